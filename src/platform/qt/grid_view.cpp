#include "platform/qt/grid_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QApplication>
#include <QBrush>
#include <QFontMetrics>
#include <QHash>
#include <QStyle>
#include <QTextLayout>
#include <QColor>
#include <QHeaderView>
#include <QMetaObject>
#include <QPalette>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "platform/qt/twips.h"

namespace kv::qt {

using kv::controls::CellAlign;
using kv::controls::GridModel;

static QColor toQColor(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

namespace {

// Lays a cell's text out at `width`: line breaks of the text kept, longer
// lines wrapped (between words, or anywhere in a word that is too long) when
// `wrap` is on. Returns the lines' widest natural width.
int layOut(QTextLayout& layout, int width, bool wrap) {
    QString text = layout.text();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(text);
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::ManualWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0, widest = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(widest));
}

// Relative luminance of a colour (sRGB): 0 for black, 1 for white.
double luminance(const QColor& c) {
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// A colour on which white text reads better than black (above this luminance
// black and white contrast with it equally): pure blue, navy, dark green.
bool isDark(const QColor& c) { return luminance(c) < 0.18; }

// Draws cell texts whole: on one line, or wrapped on the lines a taller fixed
// row holds; never elided; a text that still does not fit is cut at the cell's
// edge. A dark text on a dark cell is drawn white; the cell keeps its colour.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(GridView* grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        if (text.isEmpty()) return;
        const int margin = grid_->textMargin();
        const QRect room = option.rect.adjusted(margin, 0, -margin, 0);
        QTextLayout layout(text, opt.font);
        layOut(layout, room.width(), grid_->textLines(index.row()) > 1);
        const QRectF used = layout.boundingRect();
        // Lines taller than the cell (a font's line box can be taller than a
        // grid row) are centred: the blank space above and below the glyphs
        // is cut, not the glyphs.
        const qreal spare = room.height() - used.height();
        qreal y = room.top();
        if (spare < 0 || (opt.displayAlignment & Qt::AlignVCenter))
            y += spare / 2;
        else if (opt.displayAlignment & Qt::AlignBottom)
            y += spare;
        const bool selected = opt.state & QStyle::State_Selected;
        painter->save();
        painter->setClipRect(option.rect);
        QColor pen = opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text);
        if (!selected && opt.backgroundBrush.style() != Qt::NoBrush && isDark(opt.backgroundBrush.color()) &&
            isDark(pen))
            pen = Qt::white;
        painter->setPen(pen);
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            qreal x = room.left();
            if (opt.displayAlignment & Qt::AlignHCenter) x += (room.width() - line.naturalTextWidth()) / 2;
            else if (opt.displayAlignment & Qt::AlignRight) x += room.width() - line.naturalTextWidth();
            line.draw(painter, QPointF(x, y));
        }
        painter->restore();
    }

private:
    GridView* grid_;
};

}  // namespace

GridTableModel::GridTableModel(GridModel& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    shownRows_ = grid_.rows();
    shownCols_ = grid_.cols();
    grid_.setListener([this](GridModel::Change c) { schedule(c); });
}

GridTableModel::~GridTableModel() { grid_.setListener({}); }

void GridTableModel::schedule(GridModel::Change c) {
    if (c == GridModel::Change::Layout) layoutDirty_ = true;
    else cellsDirty_ = true;
    if (!pending_.exchange(true)) QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection);
}

void GridTableModel::flush() {
    pending_ = false;
    if (layoutDirty_.exchange(false)) {
        cellsDirty_ = false;
        beginResetModel();
        shownRows_ = grid_.rows();
        shownCols_ = grid_.cols();
        endResetModel();
        Q_EMIT layoutUpdated();
    } else if (cellsDirty_.exchange(false)) {
        if (shownRows_ > 0 && shownCols_ > 0) Q_EMIT dataChanged(index(0, 0), index(shownRows_ - 1, shownCols_ - 1));
    }
}

int GridTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }
int GridTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownCols_; }

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    const int r = index.row(), c = index.column();
    // The model may have shrunk since the view last heard of it.
    if (!index.isValid() || r >= grid_.rows() || c >= grid_.cols()) return {};
    const bool fixed = r < grid_.fixedRows() || c < grid_.fixedCols();
    switch (role) {
        case Qt::DisplayRole: return QString::fromStdString(grid_.text(r, c));
        case Qt::BackgroundRole: {
            if (auto b = grid_.backColor(r, c)) return QBrush(toQColor(*b));
            if (fixed) return QBrush(QApplication::palette().color(QPalette::Button));
            return {};
        }
        case Qt::ForegroundRole:
            if (auto f = grid_.foreColor(r, c)) return QBrush(toQColor(*f));
            return {};
        case Qt::TextAlignmentRole:
            switch (grid_.colAlignment(c)) {
                case CellAlign::LeftTop: return int(Qt::AlignLeft | Qt::AlignTop);
                case CellAlign::CenterCenter: return int(Qt::AlignCenter);
                case CellAlign::RightCenter: return int(Qt::AlignRight | Qt::AlignVCenter);
                default: return int(Qt::AlignLeft | Qt::AlignVCenter);
            }
        default: return {};
    }
}

GridView::GridView(GridModel& grid, QWidget* parent) : QTableView(parent) {
    model_ = new GridTableModel(grid, this);
    setModel(model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone);
    setItemDelegate(new CellDelegate(this, this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(model_, &GridTableModel::layoutUpdated, this, &GridView::applyLayout);
    // New texts may need wider columns.
    connect(model_, &QAbstractItemModel::dataChanged, this, [this] { refit(); });
    connect(this, &QTableView::clicked, this, &GridView::clickCell);
    for (auto*& f : frozen_) {
        f = new QTableView(this);
        f->setModel(model_);
        f->setSelectionMode(QAbstractItemView::NoSelection);
        f->horizontalHeader()->hide();
        f->verticalHeader()->hide();
        f->horizontalHeader()->setMinimumSectionSize(0);
        f->verticalHeader()->setMinimumSectionSize(0);
        f->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        f->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        f->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        f->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        f->setFrameShape(QFrame::NoFrame);
        f->setFocusPolicy(Qt::NoFocus);
        f->setEditTriggers(QAbstractItemView::NoEditTriggers);
        f->setWordWrap(true);
        f->setTextElideMode(Qt::ElideNone);
        f->setItemDelegate(itemDelegate());
        f->setAutoScroll(false);
        connect(f, &QTableView::clicked, this, &GridView::clickCell);
    }
    // The fixed rows follow the grid sideways, the fixed columns up and down.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, frozen_[0]->horizontalScrollBar(), &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_[1]->verticalScrollBar(), &QScrollBar::setValue);
    applyLayout();
}

void GridView::clickCell(const QModelIndex& idx) {
    if (!idx.isValid()) return;
    GridModel& g = model_->grid();
    if (idx.row() < g.rows() && idx.column() < g.cols()) g.click(idx.row(), idx.column());
}

void GridView::refit() {
    // A grid off the screen may still be filled by its window's load on a
    // worker thread: its texts are measured when it is shown.
    if (isVisible()) {
        fitToContents();
    } else {
        fitPending_ = true;
        fit(false);
    }
}

void GridView::showEvent(QShowEvent* e) {
    if (fitPending_) fitToContents();
    QTableView::showEvent(e);
}

void GridView::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    placeFrozen();
}

void GridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    placeFrozen();
}

void GridView::placeFrozen() {
    const GridModel& g = model_->grid();
    const int rows = std::min(g.fixedRows(), model_->rowCount());
    const int cols = std::min(g.fixedCols(), model_->columnCount());
    int h = 0, w = 0;
    for (int r = 0; r < rows; ++r) h += rowHeight(r);
    for (int c = 0; c < cols; ++c) w += columnWidth(c);
    const QRect vp = viewport()->geometry();
    h = std::min(h, vp.height());
    w = std::min(w, vp.width());
    QRect areas[3] = {QRect(vp.left(), vp.top(), vp.width(), h), QRect(vp.left(), vp.top(), w, vp.height()),
                      QRect(vp.left(), vp.top(), w, h)};
    for (int i = 0; i < 3; ++i) {
        QTableView* f = frozen_[i];
        const bool on = areas[i].width() > 0 && areas[i].height() > 0;
        f->setVisible(on);
        if (!on) continue;
        f->setGeometry(areas[i]);
        f->raise();
        f->doItemsLayout();  // scroll ranges for the new size
    }
    // Rows view: sideways with the grid, never down; columns view: the reverse.
    frozen_[0]->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    frozen_[0]->verticalScrollBar()->setValue(0);
    frozen_[1]->verticalScrollBar()->setValue(verticalScrollBar()->value());
    frozen_[1]->horizontalScrollBar()->setValue(0);
    frozen_[2]->horizontalScrollBar()->setValue(0);
    frozen_[2]->verticalScrollBar()->setValue(0);
}

int GridView::textMargin() const { return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1; }

int GridView::textLines(int row) const {
    const GridModel& g = model_->grid();
    if (row >= g.fixedRows() || !g.rowHeightSet(row)) return 1;
    const int spacing = QFontMetrics(font()).lineSpacing();
    const int lines = twipsToPixels(this, g.rowHeight(row)) / std::max(spacing, 1);
    // A fixed row made taller than one line holds its caption on (at least) two.
    return twipsToPixels(this, g.rowHeight(row)) * 2 >= spacing * 3 ? std::max(lines, 2) : 1;
}

int GridView::textWidth(const QString& text, int lines) const {
    QTextLayout single(text, font());
    const int widest = layOut(single, 1 << 20, false);
    if (lines < 2 || single.lineCount() > 1 || widest == 0) return widest;
    // The narrowest width at which the text wraps (as the cells wrap it) on `lines` lines.
    for (int w = (widest + lines - 1) / lines; w < widest; ++w) {
        QTextLayout layout(text, font());
        if (layOut(layout, w, true) <= w && layout.lineCount() <= lines) return w;
    }
    return widest;
}

void GridView::fitToContents() {
    fitPending_ = false;
    fit(true);
}

void GridView::fit(bool measure) {
    GridModel& g = model_->grid();
    const int rows = std::min(g.rows(), model_->rowCount());
    const int cols = std::min(g.cols(), model_->columnCount());
    // Text rectangle of a cell: the column less the text margins and the grid line.
    const int extra = 2 * textMargin() + (showGrid() ? 1 : 0);
    std::vector<int> lines(static_cast<std::size_t>(rows), 1);
    for (int r = 0; r < std::min(rows, g.fixedRows()); ++r) lines[static_cast<std::size_t>(r)] = textLines(r);
    QHash<QString, int> measured;
    for (int c = 0; c < cols; ++c) {
        const int given = twipsToPixels(this, g.colWidth(c));
        int width = given;
        if (given > 0 && measure) {
            for (int r = 0; r < rows; ++r) {
                const std::string& t = g.text(r, c);
                if (t.empty()) continue;
                // Blanks that pad a field at its end need no room.
                QString text = QString::fromStdString(t);
                qsizetype end = text.size();
                while (end > 0 && text.at(end - 1).isSpace()) --end;
                if (end == 0) continue;
                text.truncate(end);
                const int n = lines[static_cast<std::size_t>(r)];
                int w;
                if (n == 1) {
                    auto it = measured.constFind(text);
                    if (it == measured.constEnd()) it = measured.insert(text, textWidth(text, 1));
                    w = *it;
                } else {
                    w = textWidth(text, n);
                }
                width = std::max(width, w + extra);
            }
        }
        if (columnWidth(c) != width) setColumnWidth(c, width);
        for (QTableView* f : frozen_)
            if (f && f->columnWidth(c) != width) f->setColumnWidth(c, width);
    }
    // Taller fixed rows hold their lines whole.
    const int spacing = QFontMetrics(font()).lineSpacing();
    for (int r = 0; r < std::min(rows, g.fixedRows()); ++r) {
        const int n = lines[static_cast<std::size_t>(r)];
        if (n < 2) continue;
        const int height = std::max(twipsToPixels(this, g.rowHeight(r)), n * spacing + 2);
        if (rowHeight(r) != height) setRowHeight(r, height);
        for (QTableView* f : frozen_)
            if (f && f->rowHeight(r) != height) f->setRowHeight(r, height);
    }
    placeFrozen();
}

void GridView::applyLayout() {
    GridModel& g = model_->grid();
    verticalHeader()->setDefaultSectionSize(twipsToPixels(this, g.defaultRowHeight()));
    const int rows = std::min(g.rows(), model_->rowCount());
    for (int r = 0; r < rows; ++r)
        if (g.rowHeightSet(r)) setRowHeight(r, twipsToPixels(this, g.rowHeight(r)));
    // The frozen views show the same cells at the same sizes.
    for (QTableView* f : frozen_) {
        if (!f) continue;
        f->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        for (int r = 0; r < rows; ++r)
            if (g.rowHeightSet(r)) f->setRowHeight(r, rowHeight(r));
    }
    // Column widths: the given width, wider where a text needs it.
    refit();
}

}  // namespace kv::qt
