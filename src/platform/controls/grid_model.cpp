#include "platform/controls/grid_model.h"

#include <algorithm>
#include <stdexcept>

namespace kv::controls {

std::uint32_t qbColor(int index) {
    static constexpr std::uint32_t palette[16] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    if (index < 0 || index > 15) throw std::out_of_range("qbColor index");
    return palette[index];
}

std::uint32_t bgrToRgb(std::uint32_t bgr) {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

GridModel::GridModel(int rows, int cols, int fixedRows, int fixedCols) {
    resize(rows, cols);
    setFixedRows(fixedRows);
    setFixedCols(fixedCols);
    curRow_ = std::min(fixedRows_, std::max(rows_ - 1, 0));
    curCol_ = std::min(fixedCols_, std::max(cols_ - 1, 0));
}

std::size_t GridModel::index(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) throw std::out_of_range("grid cell");
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col);
}

void GridModel::resize(int rows, int cols) {
    if (rows < 0 || cols < 0) throw std::out_of_range("grid size");
    if (rows == rows_ && cols == cols_) return;
    std::vector<Cell> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    const int keepRows = std::min(rows, rows_), keepCols = std::min(cols, cols_);
    for (int r = 0; r < keepRows; ++r)
        for (int c = 0; c < keepCols; ++c)
            cells[static_cast<std::size_t>(r) * cols + c] = std::move(cells_[index(r, c)]);
    cells_ = std::move(cells);
    rows_ = rows;
    cols_ = cols;
    colWidths_.resize(cols, -1);
    colAlign_.resize(cols, CellAlign::Default);
    rowHeights_.resize(rows, -1);
    fixedRows_ = std::min(fixedRows_, rows_);
    fixedCols_ = std::min(fixedCols_, cols_);
    curRow_ = std::min(curRow_, std::max(rows_ - 1, 0));
    curCol_ = std::min(curCol_, std::max(cols_ - 1, 0));
    notify(Change::Layout);
}

void GridModel::setRows(int rows) { resize(rows, cols_); }
void GridModel::setCols(int cols) { resize(rows_, cols); }

void GridModel::setFixedRows(int n) {
    if (n < 0 || n > rows_) throw std::out_of_range("fixed rows");
    fixedRows_ = n;
    notify(Change::Layout);
}

void GridModel::setFixedCols(int n) {
    if (n < 0 || n > cols_) throw std::out_of_range("fixed cols");
    fixedCols_ = n;
    notify(Change::Layout);
}

const std::string& GridModel::text(int row, int col) const { return cells_[index(row, col)].text; }

void GridModel::setText(int row, int col, std::string text) {
    cells_[index(row, col)].text = std::move(text);
    notify(Change::Cells);
}

Rgb GridModel::backColor(int row, int col) const { return cells_[index(row, col)].back; }

void GridModel::setBackColor(int row, int col, Rgb rgb) {
    cells_[index(row, col)].back = rgb;
    notify(Change::Cells);
}

Rgb GridModel::foreColor(int row, int col) const { return cells_[index(row, col)].fore; }

void GridModel::setForeColor(int row, int col, Rgb rgb) {
    cells_[index(row, col)].fore = rgb;
    notify(Change::Cells);
}

static void checkIndex(int i, std::size_t n, const char* what) {
    if (i < 0 || static_cast<std::size_t>(i) >= n) throw std::out_of_range(what);
}

int GridModel::colWidth(int col) const {
    checkIndex(col, colWidths_.size(), "grid column");
    return colWidths_[col] < 0 ? defaultColWidth_ : colWidths_[col];
}

bool GridModel::colWidthSet(int col) const {
    checkIndex(col, colWidths_.size(), "grid column");
    return colWidths_[col] >= 0;
}

void GridModel::setColWidth(int col, int twips) {
    checkIndex(col, colWidths_.size(), "grid column");
    colWidths_[col] = std::max(twips, 0);
    notify(Change::Layout);
}

int GridModel::rowHeight(int row) const {
    checkIndex(row, rowHeights_.size(), "grid row");
    return rowHeights_[row] < 0 ? defaultRowHeight_ : rowHeights_[row];
}

bool GridModel::rowHeightSet(int row) const {
    checkIndex(row, rowHeights_.size(), "grid row");
    return rowHeights_[row] >= 0;
}

void GridModel::setRowHeight(int row, int twips) {
    checkIndex(row, rowHeights_.size(), "grid row");
    rowHeights_[row] = std::max(twips, 0);
    notify(Change::Layout);
}

void GridModel::setDefaultColWidth(int twips) {
    defaultColWidth_ = std::max(twips, 0);
    notify(Change::Layout);
}

void GridModel::setDefaultRowHeight(int twips) {
    defaultRowHeight_ = std::max(twips, 0);
    notify(Change::Layout);
}

CellAlign GridModel::colAlignment(int col) const {
    checkIndex(col, colAlign_.size(), "grid column");
    return colAlign_[col];
}

void GridModel::setColAlignment(int col, CellAlign align) {
    checkIndex(col, colAlign_.size(), "grid column");
    colAlign_[col] = align;
    notify(Change::Cells);
}

void GridModel::clear() {
    for (auto& c : cells_) c = Cell{};
    notify(Change::Cells);
}

void GridModel::setCurrent(int row, int col) {
    (void)index(row, col);
    curRow_ = row;
    curCol_ = col;
}

void GridModel::click(int row, int col) {
    setCurrent(row, col);
    if (onClick_) onClick_(row, col);
}

}  // namespace kv::controls
