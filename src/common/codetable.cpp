#include "common/codetable.h"

#include "common/codec.h"
#include "common/quoted.h"
#include "common/recordfile.h"

namespace kv {

bool CodeTable::load(const std::string& path) {
    rows_.clear();
    auto bytes = readFileBytes(path);
    if (!bytes) return false;
    loadBytes(*bytes);
    return true;
}

void CodeTable::loadBytes(std::string_view bytes) {
    rows_.clear();
    InputReader in(bytes);
    // Every 8 consecutive fields form one row; rows past the 501st are not kept.
    while (!in.atEnd() && rows_.size() < static_cast<std::size_t>(kRows)) {
        std::array<std::string, kCols> row;
        for (int c = 0; c < kCols; ++c) row[static_cast<std::size_t>(c)] = in.atEnd() ? std::string() : fromCp932(in.next());
        rows_.push_back(std::move(row));
    }
}

std::optional<std::string> CodeTable::lookup(std::string_view table, std::string_view code, int col) const {
    if (col < 0 || col >= kCols) return std::nullopt;
    std::optional<std::string> result;
    for (const auto& row : rows_)
        if (row[0] == table && row[1] == code) result = row[static_cast<std::size_t>(col)];
    // Rows never loaded hold empty texts and match an empty table number and code.
    if (table.empty() && code.empty() && rows_.size() < static_cast<std::size_t>(kRows)) result = std::string();
    return result;
}

RecordLayout codeTableLayout() {
    RecordLayout l;
    l.text = true;
    l.fieldForm = true;
    l.needsRecords = true;
    l.rowFields = CodeTable::kCols;
    l.wholeRows = true;
    l.maxLines = CodeTable::kRows;
    l.action = "JRACODE フォルダの CodeTable.csv を入れ直して下さい。";
    return l;
}

const std::string& CodeTable::cell(int row, int col) const {
    static const std::string empty;
    if (row < 0 || row >= rowCount() || col < 0 || col >= kCols) return empty;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

}  // namespace kv
