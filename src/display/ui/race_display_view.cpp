#include "display/ui/race_display_view.h"

#include <QVBoxLayout>
#include <QHBoxLayout>

#include "platform/qt/chart_view.h"
#include "platform/qt/twips.h"

namespace kv::ui {

namespace {

QLabel* label(const kv::controls::TextModel& t, QWidget* parent) {
    auto* l = new QLabel(QString::fromStdString(t.text), parent);
    l->setWordWrap(true);
    return l;
}

kv::qt::GridView* gridView(kv::controls::GridModel& g, const char* name, QWidget* parent) {
    auto* v = new kv::qt::GridView(g, parent);
    v->setObjectName(name);
    return v;
}

}  // namespace

RaceDisplayPanel::RaceDisplayPanel(kv::display::RaceDisplay& d, QWidget* parent) : QWidget(parent), d_(d) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    text1_ = new QLineEdit(this);
    text1_->setObjectName("Text1");
    text1_->setReadOnly(true);
    layout->addWidget(text1_);
    tabs_ = new kv::qt::TabStrip(this);
    tabs_->setObjectName("SSTab1");
    layout->addWidget(tabs_, 1);

    auto page = [this](std::initializer_list<QWidget*> widgets, bool across = false) {
        auto* p = new QWidget(tabs_);
        QBoxLayout* l = across ? static_cast<QBoxLayout*>(new QHBoxLayout(p)) : new QVBoxLayout(p);
        for (QWidget* w : widgets) {
            w->setParent(p);
            l->addWidget(w, qobject_cast<QLabel*>(w) ? 0 : 1);
        }
        return p;
    };
    auto* p0 = page({label(d.Label1, nullptr), gridView(d.RACEDETAILGrid1, "RACEDETAILGrid1", nullptr),
                     label(d.Label2, nullptr)});
    auto* p1 = page({label(d.Label1, nullptr), gridView(d.RACEDETAILGrid2, "RACEDETAILGrid2", nullptr)});
    auto* p2 = page({gridView(d.UMATANGrid2, "UMATANGrid2", nullptr), gridView(d.UMARENGrid1, "UMARENGrid1", nullptr)},
                    true);
    auto* p3 = page({gridView(d.SANRENGrid3, "SANRENGrid3", nullptr)});
    auto* p4 = page({label(d.Label3, nullptr), gridView(d.SANTANGrid4, "SANTANGrid4", nullptr)});
    auto* p5 = page({gridView(d.HAITOGrid1, "HAITOGrid1", nullptr)});
    auto* chart = new kv::qt::ChartView(d.YNjunMSChart, nullptr);
    chart->setObjectName("YNjunMSChart");
    auto* p6 = page({chart, label(d.Label4, nullptr)});
    QWidget* pages[7] = {p0, p1, p2, p3, p4, p5, p6};
    for (int i = 0; i < 7; ++i) tabs_->addPage(pages[i], QString::fromStdString(d.SSTab1.caption(i)));
    tabs_->bind(d.SSTab1);
}

RaceDisplayPanel::~RaceDisplayPanel() = default;

kv::qt::GridView* RaceDisplayPanel::grid(const QString& name) const { return findChild<kv::qt::GridView*>(name); }

void RaceDisplayPanel::select(int p) {
    if (d_.List1_Click(p)) showHeader();
}

void RaceDisplayPanel::showHeader() {
    text1_->setText(QString::fromStdString(d_.Text1.text));
    text1_->setCursorPosition(0);
    if (d_.Text1.back) text1_->setStyleSheet(QString::asprintf("QLineEdit { background-color: #%06X; }", *d_.Text1.back));
    else text1_->setStyleSheet({});
}

KakosoWindow::KakosoWindow(QWidget* parent) : FormWindow(parent), logic_([this] { close(); }) {
    setObjectName("Kakoso");
    setWindowTitle(QString::fromUtf8(kv::display::kKakosoCaption));
    kv::qt::resizeTwips(this, 13380, 10050);
    auto* layout = new QVBoxLayout(this);
    command1_ = new QPushButton(QString::fromUtf8(kv::display::kKakosoCommand1Caption), this);
    command1_->setObjectName("Command1");
    layout->addWidget(command1_);
    grid_ = gridView(logic_.EXFG1, "EXFG1", this);
    layout->addWidget(grid_, 1);
    connect(command1_, &QPushButton::clicked, this, [this] { logic_.Command1_Click(); });
}

// The grid's view goes before the grid it shows.
KakosoWindow::~KakosoWindow() { delete grid_; }

void KakosoWindow::formLoad(std::function<void()> done) {
    logic_.Form_Load();
    done();
}

KakosoWindow* showKakoso() {
    static kv::qt::SingleWindow<KakosoWindow> window([] { return new KakosoWindow(); });
    return window.show();
}

}  // namespace kv::ui
