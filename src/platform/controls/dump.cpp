#include "platform/controls/dump.h"

#include <cstdio>

#include "common/numbers.h"

namespace kv::controls {

std::string dumpEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\0': out += ' '; break;
            default: out += ch;
        }
    }
    return out;
}

std::string arrayName(std::string_view name, int index) {
    return std::string(name) + "(" + std::to_string(index) + ")";
}

std::string dumpColour(Rgb rgb) {
    if (!rgb) return "-";
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(*rgb & 0xFFFFFFu));
    return buf;
}

void ControlDump::text(std::string_view name, std::string_view text, Rgb back, Rgb fore) {
    out_ << "== " << name << " text\n" << dumpEscape(text) << '\n';
    if (back || fore) out_ << "colour back=" << dumpColour(back) << " fore=" << dumpColour(fore) << '\n';
}

void ControlDump::list(std::string_view name, const std::vector<std::string>& items) {
    out_ << "== " << name << " list " << items.size() << '\n';
    for (const auto& it : items) out_ << dumpEscape(it) << '\n';
}

void ControlDump::grid(std::string_view name, const GridModel& g) {
    out_ << "== " << name << " grid " << g.rows() << 'x' << g.cols() << " fixed " << g.fixedRows() << ','
         << g.fixedCols() << '\n';
    std::string line;
    for (int r = 0; r < g.rows(); ++r) {
        line.clear();
        for (int c = 0; c < g.cols(); ++c) {
            if (c) line += '\t';
            line += dumpEscape(g.text(r, c));
        }
        out_ << line << '\n';
    }
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c) {
            Rgb b = g.backColor(r, c), f = g.foreColor(r, c);
            if (b || f)
                out_ << "colour " << r << ',' << c << " back=" << dumpColour(b) << " fore=" << dumpColour(f) << '\n';
        }
}

void ControlDump::chart(std::string_view name, const ChartModel& c) {
    out_ << "== " << name << " chart " << c.rowCount() << 'x' << c.columnCount() << '\n';
    for (int r = 1; r <= c.rowCount(); ++r) {
        out_ << dumpEscape(c.rowLabel(r, 1));
        for (int col = 1; col <= c.columnCount(); ++col) {
            out_ << '\t';
            if (auto v = c.value(r, col)) out_ << formatDouble(*v);
        }
        out_ << '\n';
    }
}

void ControlDump::tabs(std::string_view name, const TabStripModel& t) {
    out_ << "== " << name << " tabs " << t.count() << " current " << t.current() << '\n';
    for (int i = 0; i < t.count(); ++i) out_ << dumpEscape(t.caption(i)) << '\n';
}

void ControlDump::progress(std::string_view name, const ProgressModel& p) {
    out_ << "== " << name << " progress " << p.value << '/' << p.maximum << '\n';
}

}  // namespace kv::controls
