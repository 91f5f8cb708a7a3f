#include "expansion/ui/expansion_view.h"

#include <QCloseEvent>
#include <QList>
#include <QPointer>

#include "platform/qt/gui_thread.h"
#include "platform/qt/twips.h"

namespace kv::ui {

using kv::qt::placeTwips;

namespace {
// ④ and ⑤ work on the same files in every expansion window (③ opens a new one
// on each press), so one run at a time for the whole program.
bool g_runUnderWay = false;
QList<QPointer<ExpansionWindow>>& openWindows() {
    static QList<QPointer<ExpansionWindow>> windows;
    return windows;
}

QLabel* label(QWidget* parent, const char* name, const std::string& text, int l, int t, int w, int h) {
    auto* x = new QLabel(QString::fromStdString(text), parent);
    x->setObjectName(name);
    x->setWordWrap(true);
    x->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(x, l, t, w, h);
    return x;
}
QPlainTextEdit* textBox(QWidget* parent, const char* name, const std::string& text, int l, int t, int w, int h) {
    auto* x = new QPlainTextEdit(QString::fromStdString(text), parent);
    x->setObjectName(name);
    placeTwips(x, l, t, w, h);
    return x;
}
QProgressBar* bar(QWidget* parent, const char* name, const kv::expansion::ProgressBarState& s, int l, int t) {
    auto* x = new QProgressBar(parent);
    x->setObjectName(name);
    x->setTextVisible(false);
    x->setRange(static_cast<int>(s.min), static_cast<int>(s.max));
    x->setValue(static_cast<int>(s.value));
    placeTwips(x, l, t, 6720, 300);
    return x;
}
QPushButton* button(QWidget* parent, const char* name, const std::string& text, int l, int t, int w, int h) {
    auto* x = new QPushButton(QString::fromStdString(text), parent);
    x->setObjectName(name);
    placeTwips(x, l, t, w, h);
    return x;
}
}  // namespace

ExpansionWindow::ExpansionWindow(kv::MessageSink& messages, QWidget* parent) : FormWindow(parent) {
    status_ = new kv::qt::WidgetStatusSink(this);
    progress_ = new kv::qt::ProgressBarSink(this);
    // The calculation runs on a worker: no yield to the event loop from there.
    logic_ = std::make_unique<kv::expansion::KORIVANEXPDTHISWEEKNQUEL>(*status_, messages, *progress_, kv::YieldFn{});
    const kv::expansion::ExpansionControls c = logic_->controls();
    setWindowTitle(QString::fromStdString(c.caption));
    kv::qt::resizeTwips(this, 7200, 5280);
    label(this, "Label4", c.Label4, 240, 240, 6720, 495);
    cmd1_ = button(this, "Command1", c.Command1, 240, 840, 3000, 615);
    auto* t3 = textBox(this, "Text3", c.Text3, 3360, 840, 3600, 615);
    auto* b3 = bar(this, "ProgressBar3", c.ProgressBar3, 240, 1560);
    auto* b4 = bar(this, "ProgressBar4", c.ProgressBar4, 240, 1980);
    label(this, "Label2", c.Label2, 240, 2520, 6720, 495);
    cmd3_ = button(this, "Command3", c.Command3, 240, 3120, 3000, 615);
    auto* t1 = textBox(this, "Text1", c.Text1, 3360, 3120, 3600, 615);
    auto* b1 = bar(this, "ProgressBar1", c.ProgressBar1, 240, 3840);
    textBox(this, "Text2", c.Text2, 240, 4440, 2400, 375);
    label(this, "Label1", c.Label1, 2760, 4440, 1560, 375);
    cmd2_ = button(this, "Command2", c.Command2, 4560, 4440, 2400, 615);
    status_->bind("Text1", t1);
    status_->bind("Text3", t3);
    progress_->bind("ProgressBar1", b1);
    progress_->bind("ProgressBar3", b3);
    progress_->bind("ProgressBar4", b4);
    connect(cmd1_, &QPushButton::clicked, this, [this] { start(true); });
    connect(cmd3_, &QPushButton::clicked, this, [this] { start(false); });
    connect(cmd2_, &QPushButton::clicked, this, [this] {
        logic_->Command2_Click();
        if (logic_->closeRequested()) close();
    });
    openWindows().removeAll(nullptr);
    openWindows().append(this);
    updateButtons();
}

ExpansionWindow::~ExpansionWindow() { openWindows().removeAll(this); }

void ExpansionWindow::formLoad(std::function<void()> done) {
    logic_->Form_Load();
    done();
}

void ExpansionWindow::updateButtons() {
    cmd1_->setEnabled(!g_runUnderWay);
    cmd3_->setEnabled(!g_runUnderWay);
    cmd2_->setEnabled(!running_);
}

void ExpansionWindow::setRunUnderWay(bool on) {
    g_runUnderWay = on;
    for (const QPointer<ExpansionWindow>& w : openWindows())
        if (w) w->updateButtons();
}

bool ExpansionWindow::runUnderWay() { return g_runUnderWay; }

void ExpansionWindow::start(bool calculation) {
    if (g_runUnderWay || running_ || logic_->running()) return;
    running_ = true;
    setRunUnderWay(true);
    auto* logic = logic_.get();
    auto report = std::make_shared<kv::expansion::CalculationReport>();
    kv::qt::runInBackground(
        this,
        [logic, calculation, report] {
            if (calculation) *report = logic->Command1_Click();
            else logic->Command3_Click();
        },
        [this, calculation, report] {
            if (calculation) report_ = *report;
            running_ = false;
            setRunUnderWay(false);
            Q_EMIT runFinished();
        },
        [this, calculation](const std::string&) {
            // The run stopped before its end text: it shows as failed.
            using W = kv::expansion::KORIVANEXPDTHISWEEKNQUEL;
            if (calculation) status_->setText("Text3", W::kFailedText);
            else status_->setText("Text1", W::kFixFailedText);
        });
}

void ExpansionWindow::closeEvent(QCloseEvent* e) {
    if (running_ || logic_->running()) {
        e->ignore();
        return;
    }
    FormWindow::closeEvent(e);
}

}  // namespace kv::ui
