#include "factorview/ui/factor_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>

#include "platform/qt/chart_view.h"
#include "platform/qt/twips.h"

namespace kv::ui {

using kv::factorview::SurfaceConfig;
using kv::factorview::TabConfig;
using kv::qt::placeTwips;

namespace {

// Positions on a tab are given from the tab control's top left corner, its
// header rows included; the pages here start below the headers. A header row
// is 300 twips high; these are the heights the headers take (six rows outside,
// one on the nested control).
constexpr int kTabHeight = 300;
constexpr int kOuterHeader = 1920;
constexpr int kNestedHeader = 360;
// Kept free between a panel and the window's side (twips), so that the
// panel's border shows inside the window manager's frame.
constexpr int kEdge = 120;
// Kept between a grown explanation box and the control it grows towards (twips).
constexpr int kBoxGap = 120;

void fixTabHeights(kv::qt::TabStrip* strip) {
    for (int i = 0; i < strip->count(); ++i)
        strip->tabButton(i)->setFixedHeight(kv::qt::twipsToPixels(strip, kTabHeight));
}

// The height a box of `width` pixels needs to show its whole text, wrapped as
// the box wraps it, without scrolling.
int wholeTextHeight(const QPlainTextEdit* box, int width) {
    const QTextDocument* doc = box->document();
    const qreal margin = doc->documentMargin();
    const int frame = 2 * box->frameWidth();
    qreal lines = 0;
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) {
        QTextLayout layout(b.text(), box->font());
        layout.setTextOption(doc->defaultTextOption());
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(width - frame - 2 * margin);
            lines += line.height();
            if (line.leading() < 0) lines += std::ceil(line.leading());
        }
        layout.endLayout();
    }
    // The view keeps the document's margin above and below the lines, and
    // scrolls unless a pixel is left over.
    return frame + static_cast<int>(std::ceil(lines + 2 * margin)) + 1;
}

// A tab page's height: its stack's inside (a hidden page's own size may lag).
int pageHeight(const QWidget* page) {
    if (auto* stack = qobject_cast<const QStackedWidget*>(page->parentWidget())) return stack->contentsRect().height();
    return page->height();
}

}  // namespace

FactorWeightView::FactorWeightView(const SurfaceConfig& c, kv::MessageSink& messages, QWidget* parent)
    : FormWindow(parent), logic_(std::make_unique<kv::factorview::FactorWeightWindow>(c, messages)) {
    setObjectName(c.windowName);
    setWindowTitle(QString::fromStdString(logic_->Caption));
    kv::qt::resizeTwips(this, c.clientWidth, c.clientHeight);

    tabs_ = new kv::qt::TabStrip(this);
    tabs_->setObjectName("SSTab1");
    placeTwips(tabs_, c.tabStrip.left, c.tabStrip.top,
               std::min(c.tabStrip.width, c.clientWidth - c.tabStrip.left - kEdge), c.tabStrip.height);
    for (int k = 1; k <= 30; ++k) {
        const TabConfig& t = c.tabs[k - 1];
        QWidget* page = nullptr;
        if (k == 12) {
            page = buildAgePage(c);
        } else {
            page = new QWidget;
            auto* grid = new kv::qt::GridView(logic_->FactorGrid[k], page);
            grid->setObjectName(t.grid);
            placeTwips(grid, c.factorGrid.left, c.factorGrid.top - kOuterHeader, c.factorGrid.width,
                       c.factorGrid.height);
            if (t.box) makeBox(page, k, c.boxLeft, c.boxTop - kOuterHeader);
        }
        tabs_->addPage(page, QString::fromUtf8(t.caption));
    }
    fixTabHeights(tabs_);
    tabs_->bind(logic_->SSTab1);

    legend_ = new kv::qt::GridView(logic_->Legend, this);
    legend_->setObjectName(c.legendName);
    placeTwips(legend_, c.legend.left, c.legend.top, std::min(c.legend.width, c.clientWidth - c.legend.left - kEdge),
               c.legend.height);
}

void FactorWeightView::fitLegend() {
    // The strip's texts are whole: the strip widens to its columns, leftwards
    // as far as the window allows; wider still, it scrolls, its row above the
    // scroll bar. It is one row: its first row fills it, the rows below are
    // not shown.
    legend_->gridModel()->flush();
    legend_->fitToContents();
    const kv::controls::GridModel& g = logic_->Legend;
    int contents = 2 * legend_->frameWidth();
    for (int col = 0; col < g.cols(); ++col) contents += legend_->columnWidth(col);
    QRect box = legend_->geometry();
    int bar = 0;
    if (contents > box.width()) {
        const int edge = kv::qt::twipsToPixels(this, kEdge);
        const int room = legend_->parentWidget()->width() - 2 * edge;
        box.setWidth(std::min(contents, room));
        box.moveLeft(std::max(edge, std::min(box.left(), edge + room - box.width())));
        if (contents > room) {
            bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, legend_);
            box.setTop(box.top() - bar);
        }
        legend_->setGeometry(box);
    }
    // The grid and the views that keep its fixed cells in place.
    QList<QTableView*> views = legend_->findChildren<QTableView*>(Qt::FindDirectChildrenOnly);
    views.prepend(legend_);
    for (QTableView* view : views) {
        view->setRowHeight(0, legend_->contentsRect().height() - bar);
        for (int r = 1; r < g.rows(); ++r) view->setRowHidden(r, true);
    }
    legend_->fitToContents();
}

QWidget* FactorWeightView::buildAgePage(const SurfaceConfig& c) {
    auto* page = new QWidget;
    nested_ = new kv::qt::TabStrip(page);
    nested_->setObjectName(c.nestedName);
    placeTwips(nested_, c.nested.left, c.nested.top - kOuterHeader, c.nested.width, c.nested.height);
    kv::controls::ChartModel* charts[2] = {&logic_->MaleChart, &logic_->FemaleChart};
    const char* names[2] = {c.maleChart, c.femaleChart};
    for (int i = 0; i < 2; ++i) {
        auto* p = new QWidget;
        auto* chart = new kv::qt::ChartView(*charts[i], p);
        chart->setObjectName(names[i]);
        placeTwips(chart, 360, 600 - kNestedHeader, 10935, 6495);
        nested_->addPage(p, QString::fromUtf8(c.nestedCaptions[i]));
    }
    auto* third = new QWidget;
    auto* grid = new kv::qt::GridView(logic_->FactorGrid[12], third);
    grid->setObjectName(c.tabs[11].grid);
    placeTwips(grid, 600, 600 - kNestedHeader, 10935, 5895);
    const int boxTop = c.f12BoxOnNested ? 7200 - kNestedHeader
                                        : c.nested.top - kOuterHeader + c.nested.height + 120;
    if (c.f12BoxOnNested) makeBox(third, 12, 600, boxTop);
    else makeBox(page, 12, c.nested.left, boxTop);
    nested_->addPage(third, QString::fromUtf8(c.nestedCaptions[2]));
    fixTabHeights(nested_);
    nested_->bind(logic_->Nested);
    return page;
}

QPlainTextEdit* FactorWeightView::makeBox(QWidget* parent, int k, int left, int top) {
    const TabConfig& t = logic_->config().tabs[k - 1];
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(t.box);
    box->setReadOnly(true);
    // The lines wrap within the box; no scroll bar takes the place of a line
    // of these low boxes.
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    placeTwips(box, left, top, t.boxWidth, t.boxHeight);
    boxes_[k] = box;
    designedBoxes_[k] = box->geometry();
    // Fitted to its text when it comes on the screen, its page laid out.
    box->installEventFilter(this);
    return box;
}

void FactorWeightView::fitBox(int k) {
    QPlainTextEdit* box = boxes_[k];
    QWidget* page = box->parentWidget();
    QRect place = designedBoxes_[k];
    const int need = wholeTextHeight(box, place.width()) - place.height();
    if (need > 0) {
        // The free room above and below: up to the nearest control across the
        // box's width, or to the page's edge.
        const int gap = kv::qt::twipsToPixels(box, kBoxGap);
        int top = gap, bottom = pageHeight(page) - gap;  // bottom: the first row not to take
        for (QWidget* other : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect r = other->geometry();
            if (other == box || other->isWindow() || r.right() < place.left() || r.left() > place.right()) continue;
            if (r.bottom() < place.top())
                top = std::max(top, r.bottom() + 1 + gap);
            else if (r.top() > place.bottom())
                bottom = std::min(bottom, r.top() - gap);
        }
        // Upwards towards the grid first, then downwards.
        const int up = std::clamp(place.top() - top, 0, need);
        const int down = std::clamp(bottom - 1 - place.bottom(), 0, need - up);
        place.adjust(0, -up, 0, down);
    }
    if (box->geometry() != place) box->setGeometry(place);
}

void FactorWeightView::showEvent(QShowEvent* e) {
    FormWindow::showEvent(e);
    // The boxes' margins and font are settled once the window is on the screen.
    for (int k = 1; k <= 30; ++k)
        if (boxes_[k]) fitBox(k);
}

bool FactorWeightView::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Show)
        for (int k = 1; k <= 30; ++k)
            if (boxes_[k] == watched) fitBox(k);
    return FormWindow::eventFilter(watched, e);
}

FactorWeightView::~FactorWeightView() {
    // The views follow models that the logic owns: they go first.
    delete tabs_;
    delete legend_;
}

void FactorWeightView::formLoad(std::function<void()> done) {
    if (!logic_->Form_Load()) {
        // The message has been shown; a window that could not read its tables
        // is not opened.
        done();
        delete this;
        return;
    }
    for (int k = 1; k <= 30; ++k)
        if (boxes_[k]) boxes_[k]->setPlainText(QString::fromStdString(logic_->Box[k].text));
    // The charts draw each weight in the colour the legend strip gives it.
    std::vector<QColor> colors;
    const kv::controls::GridModel& legend = logic_->Legend;
    for (int c = 0; c < 3 && c < legend.cols(); ++c) {
        const auto rgb = legend.backColor(0, c);
        colors.push_back(rgb ? QColor((*rgb >> 16) & 0xFF, (*rgb >> 8) & 0xFF, *rgb & 0xFF) : QColor());
    }
    for (kv::qt::ChartView* chart : findChildren<kv::qt::ChartView*>()) chart->setSeriesColors(colors);
    fitLegend();
    done();
}

}  // namespace kv::ui
