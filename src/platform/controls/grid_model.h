// The grid control as plain data: a text matrix with optional cell colours,
// column widths and row heights in twips, fixed rows and columns, the current
// cell and cell clicks. Windows keep one GridModel per grid; the Qt layer shows
// it through a table view, tests read it directly.
//
// Indexes are 0-based (row 0 is the first, usually fixed, header row).
// Reading or writing a cell outside the grid throws std::out_of_range, so a
// window's step that addresses a cell beyond its grid fails like any other bad
// value and can be skipped by its caller.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kv::controls {

// Colours are 0xRRGGBB.
using Rgb = std::optional<std::uint32_t>;

// The 16 colours of the classic QBColor palette (0 black ... 15 bright white),
// as 0xRRGGBB. An index outside 0..15 throws std::out_of_range.
std::uint32_t qbColor(int index);
// A colour written the Windows way (&H00BBGGRR) turned into 0xRRGGBB.
std::uint32_t bgrToRgb(std::uint32_t bgr);

enum class CellAlign { Default, LeftTop, LeftCenter, CenterCenter, RightCenter };

class GridModel {
public:
    // What changed, for views that mirror the model.
    enum class Change { Layout, Cells };
    using Listener = std::function<void(Change)>;

    static constexpr int kDefaultColWidth = 960;   // twips
    static constexpr int kDefaultRowHeight = 240;  // twips

    GridModel(int rows = 2, int cols = 2, int fixedRows = 1, int fixedCols = 1);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    // Resizing keeps the cells that remain inside the grid; new cells are empty.
    void setRows(int rows);
    void setCols(int cols);
    void resize(int rows, int cols);
    void setFixedRows(int n);
    void setFixedCols(int n);

    const std::string& text(int row, int col) const;
    void setText(int row, int col, std::string text);
    Rgb backColor(int row, int col) const;
    void setBackColor(int row, int col, Rgb rgb);
    Rgb foreColor(int row, int col) const;
    void setForeColor(int row, int col, Rgb rgb);

    // Column widths and row heights in twips; a value never set reads as the default.
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    bool colWidthSet(int col) const;
    int rowHeight(int row) const;
    void setRowHeight(int row, int twips);
    bool rowHeightSet(int row) const;
    void setDefaultColWidth(int twips);
    void setDefaultRowHeight(int twips);
    int defaultColWidth() const { return defaultColWidth_; }
    int defaultRowHeight() const { return defaultRowHeight_; }

    CellAlign colAlignment(int col) const;
    void setColAlignment(int col, CellAlign align);

    // Empties every text and colour; sizes and widths stay.
    void clear();

    // The current cell (the grid's Row and Col).
    int row() const { return curRow_; }
    int col() const { return curCol_; }
    void setCurrent(int row, int col);
    // A click on a cell: makes it current, then calls the click handler.
    void click(int row, int col);
    void setClickHandler(std::function<void(int row, int col)> handler) { onClick_ = std::move(handler); }

    // One listener (the view); it is called on every change, from the thread
    // that made the change.
    void setListener(Listener l) { listener_ = std::move(l); }

private:
    struct Cell {
        std::string text;
        Rgb back;
        Rgb fore;
    };
    std::size_t index(int row, int col) const;
    void notify(Change c) const {
        if (listener_) listener_(c);
    }

    int rows_ = 0, cols_ = 0, fixedRows_ = 0, fixedCols_ = 0;
    std::vector<Cell> cells_;
    std::vector<int> colWidths_;   // -1 = default
    std::vector<int> rowHeights_;  // -1 = default
    std::vector<CellAlign> colAlign_;
    int defaultColWidth_ = kDefaultColWidth;
    int defaultRowHeight_ = kDefaultRowHeight;
    int curRow_ = 0, curCol_ = 0;
    std::function<void(int, int)> onClick_;
    Listener listener_;
};

}  // namespace kv::controls
