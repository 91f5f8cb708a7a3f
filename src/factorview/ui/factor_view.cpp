#include "factorview/ui/factor_view.h"

#include <algorithm>
#include <vector>

#include <QStyle>

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

void fixTabHeights(kv::qt::TabStrip* strip) {
    for (int i = 0; i < strip->count(); ++i)
        strip->tabButton(i)->setFixedHeight(kv::qt::twipsToPixels(strip, kTabHeight));
}

}  // namespace

FactorWeightView::FactorWeightView(const SurfaceConfig& c, kv::MessageSink& messages, QWidget* parent)
    : FormWindow(parent), logic_(std::make_unique<kv::factorview::FactorWeightWindow>(c, messages)) {
    setObjectName(c.windowName);
    setWindowTitle(QString::fromStdString(logic_->Caption));
    kv::qt::resizeTwips(this, c.clientWidth, c.clientHeight);

    tabs_ = new kv::qt::TabStrip(this);
    tabs_->setObjectName("SSTab1");
    placeTwips(tabs_, c.tabStrip.left, c.tabStrip.top, std::min(c.tabStrip.width, c.clientWidth - c.tabStrip.left),
               c.tabStrip.height);
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
    placeTwips(legend_, c.legend.left, c.legend.top, std::min(c.legend.width, c.clientWidth - c.legend.left),
               c.legend.height);
}

void FactorWeightView::fitLegend() {
    // The strip's texts are whole: the strip widens to its columns, leftwards
    // as far as the window allows; wider still, it scrolls, its row above the
    // scroll bar.
    legend_->gridModel()->flush();
    legend_->fitToContents();
    const kv::controls::GridModel& g = logic_->Legend;
    int contents = 2 * legend_->frameWidth();
    for (int col = 0; col < g.cols(); ++col) contents += legend_->columnWidth(col);
    QRect box = legend_->geometry();
    if (contents <= box.width()) return;
    const int room = width();
    box.setWidth(std::min(contents, room));
    box.moveLeft(std::max(0, std::min(box.left(), room - box.width())));
    if (contents > room) {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, legend_);
        box.setTop(box.top() - bar);
    }
    legend_->setGeometry(box);
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
    return box;
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
