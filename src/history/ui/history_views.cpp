#include "history/ui/history_views.h"

#include <algorithm>
#include <atomic>

#include <QCloseEvent>
#include <QPointer>
#include <QVariant>

#include "platform/qt/gui_thread.h"
#include "platform/qt/placement.h"
#include "platform/qt/twips.h"

namespace kv::ui {

using kv::qt::placeTwips;

namespace {

std::atomic<int> g_searches{0};

// Counts a history load as under way while it runs.
struct SearchRun {
    SearchRun() { ++g_searches; }
    ~SearchRun() { --g_searches; }
};

QPlainTextEdit* textBox(QWidget* parent, const QString& name) {
    auto* t = new QPlainTextEdit(parent);
    t->setObjectName(name);
    t->setReadOnly(true);
    return t;
}

kv::qt::GridView* gridView(kv::controls::GridModel& g, QWidget* parent, const QString& name) {
    auto* v = new kv::qt::GridView(g, parent);
    v->setObjectName(name);
    return v;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

// Kept free between a control and the page's right or bottom edge (pixels).
constexpr int kPageMargin = 2;
// The least height (twips) a grid that gives up its room to the grid below it
// keeps: its two fixed rows and a few of its own, with its scroll bar.
constexpr int kLeastYieldingHeight = 1440;

// Keeps the controls of a tab page (or a window) inside it: a control placed
// wider or taller than the page is cut to it (a grid or list then scrolls), so
// that its edge and its scroll bars stay on the page.
//
// A page may name a grid that keeps every row whole (`whole`) below one whose
// lower rows are empty (`yielding`): on a page lower than designed the grid
// below keeps its designed height and rises to end inside the page, and the
// one above ends the designed gap above it, scrolling its rows. On a page of
// the designed height both keep their designed places.
class KeepInsidePage : public QObject {
public:
    static void install(QWidget* page, QWidget* yielding = nullptr, QWidget* whole = nullptr) {
        page->installEventFilter(new KeepInsidePage(page, yielding, whole));
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Resize && e->type() != QEvent::Show) return false;
        auto* page = static_cast<QWidget*>(o);
        for (QWidget* c : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect g = designed(c);
            const QRect inside(g.topLeft(),
                               QSize(std::max(1, std::min(g.width(), page->width() - g.left() - kPageMargin)),
                                     std::max(1, std::min(g.height(), page->height() - g.top() - kPageMargin))));
            if (c->geometry() != inside) c->setGeometry(inside);
        }
        if (yielding_ && whole_) raiseWhole(page);
        return false;
    }

private:
    KeepInsidePage(QObject* parent, QWidget* yielding, QWidget* whole)
        : QObject(parent), yielding_(yielding), whole_(whole) {}

    // A control's place as designed (its first place on the page).
    static QRect designed(QWidget* c) {
        QVariant place = c->property("kvDesigned");
        if (!place.isValid()) {
            place = c->geometry();
            c->setProperty("kvDesigned", place);
        }
        return place.toRect();
    }

    // The grid below rises as far as the page is lower than designed (no
    // higher than the grid above's least height allows); the grid above ends
    // the designed gap above it.
    void raiseWhole(QWidget* page) {
        const QRect above = designed(yielding_), below = designed(whole_);
        const int gap = below.top() - above.bottom() - 1;
        const int highest = above.top() + kv::qt::twipsToPixels(page, kLeastYieldingHeight) + gap;
        const int top = std::min(below.top(), std::max(highest, page->height() - kPageMargin - below.height()));
        if (top == below.top()) return;  // the page has room for the designed places
        QRect w = whole_->geometry();
        w.moveTop(top);
        w.setHeight(std::max(1, std::min(below.height(), page->height() - top - kPageMargin)));
        if (whole_->geometry() != w) whole_->setGeometry(w);
        QRect y = yielding_->geometry();
        y.setHeight(std::max(1, std::min(y.height(), top - gap - above.top())));
        if (yielding_->geometry() != y) yielding_->setGeometry(y);
    }

    QPointer<QWidget> yielding_, whole_;
};

// The controls go before the window's logic, whose models they show.
void deleteControls(QWidget* w) {
    for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete c;
}

}  // namespace

bool historySearchUnderWay() { return g_searches.load() > 0; }

void HistoryWindow::load(std::function<void()> work, std::function<void()> after, std::function<void()> done) {
    running_ = true;
    loadFailed_ = false;
    kv::qt::runInBackground(
        this,
        [work = std::move(work)] {
            SearchRun run;
            work();
        },
        [this, after = std::move(after), done = std::move(done)] {
            running_ = false;
            after();
            done();
        },
        [this](const std::string&) { loadFailed_ = true; });
}

void HistoryWindow::closeEvent(QCloseEvent* e) {
    if (running_) {
        e->ignore();
        return;
    }
    FormWindow::closeEvent(e);
}

PastPerformanceWindow::PastPerformanceWindow(kv::StatusSink& menuStatus, kv::MessageSink* messages, QWidget* parent)
    : HistoryWindow(parent) {
    using kv::history::KakoSeisekiQUEL;
    menu_ = new kv::qt::GuiStatusSink(menuStatus, this);
    logic_ = std::make_unique<KakoSeisekiQUEL>(*menu_, messages);
    KakoSeisekiQUEL& w = *logic_;
    setWindowTitle(q(KakoSeisekiQUEL::kCaption));
    kv::qt::resizeTwips(this, 12600, 13200);

    list1_ = new QListWidget(this);
    list1_->setObjectName("List1");
    placeTwips(list1_, 120, 120, 4080, 12960);
    connect(list1_, &QListWidget::itemClicked, this, [this](QListWidgetItem* it) { clickDay(list1_->row(it)); });

    tab1_ = new kv::qt::TabStrip(this);
    tab1_->setObjectName("SSTab1");
    placeTwips(tab1_, 4320, 120, 8160, 12960);
    QWidget* pages[4];
    for (QWidget*& p : pages) p = new QWidget;
    placeTwips(gridView(w.KakoSeiFG, pages[0], "KakoSeiFG"), 240, 660 - 360, 7815, 11535);
    placeTwips(gridView(w.TekiKaiFG, pages[1], "TekiKaiFG"), 360, 900 - 360, 7575, 5775);
    text1_ = textBox(pages[1], "Text1");
    placeTwips(text1_, 360, 7260 - 360, 7455, 4335);

    tab2_ = new kv::qt::TabStrip(pages[2]);
    tab2_->setObjectName("SSTab2");
    placeTwips(tab2_, 240, 780 - 360, 7815, 11295);
    for (int i = 0; i < KakoSeisekiQUEL::kRaceTabs; ++i) {
        auto* page = new QWidget;
        text2_[static_cast<std::size_t>(i)] = textBox(page, q(kv::controls::arrayName("Text2", i)));
        placeTwips(text2_[static_cast<std::size_t>(i)], 480, 1320 - 840, 6615, 1455);
        placeTwips(gridView(w.RACEFG[i], page, q(kv::controls::arrayName("RACEFG", i))), 480, 2880 - 840, 6615, 5100);
        placeTwips(gridView(w.TKFG[i], page, q(kv::controls::arrayName("TKFG", i))), 480, 8400 - 840, 6615, 2175);
        tab2_->addPage(page, q(w.SSTab2.caption(i)));
    }
    tab2_->bind(w.SSTab2);

    auto* hits = gridView(w.TanFukuFG, pages[3], "TanFukuFG");
    placeTwips(hits, 120, 480 - 360, 8895, 9015);
    auto* rates = gridView(w.TFTekiKaiFG, pages[3], "TFTekiKaiFG");
    placeTwips(rates, 120, 9600 - 360, 8895, 2055);
    for (int i = 0; i < 3; ++i) KeepInsidePage::install(pages[i]);
    // On a screen lower than the window the rates below keep every row whole
    // (回収金額 and 回収率 are their last rows); the hits, whose lower rows
    // are empty, give up the room.
    KeepInsidePage::install(pages[3], hits, rates);
    for (int i = 0; i < 4; ++i) tab1_->addPage(pages[i], q(w.SSTab1.caption(i)));
    tab1_->bind(w.SSTab1);
    // On a screen lower than the window, the list and the tabs are cut to the
    // window and scroll within their own boxes.
    KeepInsidePage::install(this);
    kv::qt::setControlsFollowSize(this);
}

PastPerformanceWindow::~PastPerformanceWindow() { deleteControls(this); }

void PastPerformanceWindow::formLoad(std::function<void()> done) {
    auto* logic = logic_.get();
    load([logic] { logic->Form_Load(); },
         [this] {
             list1_->clear();
             for (const std::string& item : logic_->List1) list1_->addItem(q(item));
         },
         std::move(done));
}

void PastPerformanceWindow::clickDay(int row) {
    logic_->List1_Click(row);
    text1_->setPlainText(q(logic_->Text1.text));
    for (int i = 0; i < kv::history::KakoSeisekiQUEL::kRaceTabs; ++i)
        text2_[static_cast<std::size_t>(i)]->setPlainText(q(logic_->Text2[static_cast<std::size_t>(i)].text));
}

HitListWindow::HitListWindow(kv::StatusSink& menuStatus, kv::MessageSink* messages, QWidget* parent)
    : HistoryWindow(parent) {
    using kv::history::TekichuListQUEL;
    menu_ = new kv::qt::GuiStatusSink(menuStatus, this);
    logic_ = std::make_unique<TekichuListQUEL>(*menu_, kv::YieldFn{}, messages);
    setWindowTitle(q(TekichuListQUEL::kCaption));
    kv::qt::resizeTwips(this, 15600, 9600);
    label1_ = new QLabel(q(logic_->Label1.text), this);
    label1_->setObjectName("Label1");
    label1_->setWordWrap(true);
    placeTwips(label1_, 120, 8520, 15360, 960);
}

HitListWindow::~HitListWindow() { deleteControls(this); }

void HitListWindow::formLoad(std::function<void()> done) {
    auto* logic = logic_.get();
    load([logic] { logic->Form_Load(); },
         [this] {
             // The grid is shown once the load has filled it on the worker.
             grid_ = gridView(logic_->tekichuFG, this, "tekichuFG");
             placeTwips(grid_, 120, 120, 15360, 8280);
         },
         std::move(done));
}

}  // namespace kv::ui
