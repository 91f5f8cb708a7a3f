// The control dump: every window that shows data prints its controls in one
// plain-text format, so that a headless run shows what the window shows.
// UTF-8, LF line ends, controls in the order the caller gives them.
//
//   == <control> text            the text on one line (escaped), then
//   colour back=<RRGGBB|-> fore=<RRGGBB|->   when a colour of the box is set
//   == <control> list <n>        one item a line
//   == <control> grid <r>x<c> fixed <fr>,<fc>
//                                every row, cells joined by TAB, then one
//                                "colour <row>,<col> back=.. fore=.." line per
//                                cell with a colour set
//   == <control> chart <r>x<c>   "<row label> TAB <value> TAB ..." per row,
//                                a value without data empty
//   == <control> tabs <n> current <i>   one caption a line
//   == <control> progress <value>/<max>
#pragma once
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/chart_model.h"
#include "platform/controls/grid_model.h"
#include "platform/controls/tabstrip_model.h"

namespace kv::controls {

// A text box or label: its text and, when set, its colours.
struct TextModel {
    std::string text;
    Rgb back;
    Rgb fore;
};

// "\" -> "\\", TAB -> "\t", CR -> "\r", LF -> "\n", NUL -> " ".
std::string dumpEscape(std::string_view text);
// "Name(i)", the name of an element of a control array.
std::string arrayName(std::string_view name, int index);
// Six upper-case hex digits, or "-" for no colour.
std::string dumpColour(Rgb rgb);

class ControlDump {
public:
    explicit ControlDump(std::ostream& out) : out_(out) {}

    void text(std::string_view name, std::string_view text, Rgb back = {}, Rgb fore = {});
    void text(std::string_view name, const TextModel& t) { text(name, t.text, t.back, t.fore); }
    void list(std::string_view name, const std::vector<std::string>& items);
    void grid(std::string_view name, const GridModel& g);
    void chart(std::string_view name, const ChartModel& c);
    void tabs(std::string_view name, const TabStripModel& t);
    void progress(std::string_view name, const ProgressModel& p);

private:
    std::ostream& out_;
};

}  // namespace kv::controls
