// The code table "JRACODE\CodeTable.csv": up to 501 rows of 8 fields, read as
// one stream of quoted-line fields. Lookups scan every row; the last match wins.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/recordlayout.h"

namespace kv {

class CodeTable {
public:
    static constexpr int kRows = 501;
    static constexpr int kCols = 8;

    // Loads the file; a missing file gives an empty table (every lookup absent).
    bool load(const std::string& path);
    // Loads from bytes (CP932).
    void loadBytes(std::string_view bytes);

    // The UTF-8 text of `col` in the last row whose column 0 equals table and
    // column 1 equals code (exact text comparison); nullopt when no row matches.
    std::optional<std::string> lookup(std::string_view table, std::string_view code, int col) const;
    // Same, with no match as the empty text.
    std::string lookupText(std::string_view table, std::string_view code, int col) const {
        return lookup(table, code, col).value_or(std::string());
    }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const std::string& cell(int row, int col) const;

private:
    std::vector<std::array<std::string, kCols>> rows_;  // UTF-8 texts, rows actually read
};

// The layout the code table is checked against, as its reader takes it: one
// stream of CP932 text fields, eight a row, at most kRows rows, quotes that
// pair. Any text is a cell: a row whose table number no lookup asks for (a
// row of titles) never matches. A field lost or added shows as fields that
// are no whole number of rows. The registry of layouts holds it from the start.
RecordLayout codeTableLayout();

}  // namespace kv
