#include "acquisition/ui/odds_views.h"

#include <QDebug>

#include "acquisition/ui/progress_dialog.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/twips.h"

namespace kv::ui {

using kv::qt::placeTwips;

OddsDownloadWindow::OddsDownloadWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent)
    : FormWindow(parent), jv_(std::move(jvlink)) {
    widgets_ = new kv::qt::WidgetStatusSink(this);
    logic_ = std::make_unique<kv::TEZFOTHISWEEKNQUEL>(messages, *jv_, widgets_);
    logic_->ProgressModal = qtProgressModal(this);
    setWindowTitle(QString::fromStdString(logic_->Caption));
    kv::qt::resizeTwips(this, 5640, 3600);
    const char* captions[3] = {kv::TEZFOTHISWEEKNQUEL::Command1Caption, kv::TEZFOTHISWEEKNQUEL::Command2Caption,
                               kv::TEZFOTHISWEEKNQUEL::Command3Caption};
    void (kv::TEZFOTHISWEEKNQUEL::*handlers[3])() = {&kv::TEZFOTHISWEEKNQUEL::Command1_Click,
                                                     &kv::TEZFOTHISWEEKNQUEL::Command2_Click,
                                                     &kv::TEZFOTHISWEEKNQUEL::Command3_Click};
    const int tops[3] = {240, 960, 1680};
    for (int i = 0; i < 3; ++i) {
        cmd_[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        cmd_[i]->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        placeTwips(cmd_[i], 240, tops[i], 2400, 615);
        auto h = handlers[i];
        QPushButton* b = cmd_[i];
        connect(b, &QPushButton::clicked, this, [this, b, h] { press(b, h); });
    }
    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName("Text1");
    placeTwips(text1_, 2880, 240, 2520, 2055);
    widgets_->bind("Text1", text1_);
}

OddsDownloadWindow::~OddsDownloadWindow() = default;

QPushButton* OddsDownloadWindow::command(int n) const { return n >= 1 && n <= 3 ? cmd_[n - 1] : nullptr; }

void OddsDownloadWindow::formLoad(std::function<void()> done) {
    logic_->Form_Load();
    done();
}

void OddsDownloadWindow::press(QPushButton* b, void (kv::TEZFOTHISWEEKNQUEL::*handler)()) {
    if (!b->isEnabled()) return;
    b->setEnabled(false);
    try {
        ((*logic_).*handler)();
    } catch (const std::exception& e) {
        kv::qt::tellWorkFailure(this, e.what());
    }
    b->setEnabled(true);
}

OddsTablesWindow::OddsTablesWindow(kv::MessageSink& messages, QWidget* parent)
    : FormWindow(parent), logic_(&messages) {
    setWindowTitle(QString::fromStdString(logic_.Caption));
    kv::qt::resizeTwips(this, 3840, 1440);
    cmd1_ = new QPushButton(QString::fromStdString(logic_.Command1Caption), this);
    cmd1_->setObjectName("Command1");
    placeTwips(cmd1_, 600, 360, 2640, 615);
    connect(cmd1_, &QPushButton::clicked, this, [this] {
        kv::qt::runGuarded(this, [this] { logic_.Command1_Click(); });
        close();
    });
}

void OddsTablesWindow::formLoad(std::function<void()> done) {
    try {
        logic_.Form_Load();
    } catch (const std::exception& e) {
        kv::qt::tellWorkFailure(this, e.what());
    }
    done();
}

}  // namespace kv::ui
