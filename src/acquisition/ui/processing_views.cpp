#include "acquisition/ui/processing_views.h"

#include <QDebug>
#include <QLabel>

#include "platform/qt/gui_thread.h"
#include "platform/qt/twips.h"

namespace kv::ui {

using kv::qt::placeTwips;

TextAndButtonWindow::TextAndButtonWindow(QWidget* parent) : FormWindow(parent) {
    kv::qt::resizeTwips(this, 5880, 2400);
    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName("Text1");
    placeTwips(text1_, 240, 240, 5400, 975);
    cmd1_ = new QPushButton(this);
    cmd1_->setObjectName("Command1");
    placeTwips(cmd1_, 1800, 1440, 2280, 615);
}

StructureWindow::StructureWindow(kv::StatusSink& menu, kv::MessageSink& messages, kv::Shell& shell, QWidget* parent)
    : TextAndButtonWindow(parent), logic_(menu, messages, shell, kv::qt::qtYield()) {
    setWindowTitle(QString::fromStdString(logic_.Caption));
    cmd1_->setText(QString::fromStdString(logic_.Command1Caption));
    connect(cmd1_, &QPushButton::clicked, this, [this] {
        kv::qt::runGuarded(this, [this] { logic_.Command1_Click(); });
        close();
    });
}

void StructureWindow::formLoad(std::function<void()> done) {
    try {
        logic_.Form_Load();
    } catch (const std::exception& e) {
        kv::qt::tellWorkFailure(this, e.what());
    }
    text1_->setPlainText(QString::fromStdString(logic_.Text1));
    done();
}

CancellationWindow::CancellationWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent)
    : TextAndButtonWindow(parent), jv_(std::move(jvlink)) {
    logic_ = std::make_unique<kv::CHUSIRIALTIME>(*jv_, messages, kv::qt::qtYield());
    setWindowTitle(QString::fromStdString(logic_->Caption));
    cmd1_->setText(QString::fromStdString(logic_->Command1Caption));
    connect(cmd1_, &QPushButton::clicked, this, [this] {
        kv::qt::runGuarded(this, [this] { logic_->Command1_Click(); });
        close();
    });
}

CancellationWindow::~CancellationWindow() = default;

void CancellationWindow::formLoad(std::function<void()> done) {
    try {
        logic_->Form_Load();
    } catch (const std::exception& e) {
        kv::qt::tellWorkFailure(this, e.what());
    }
    text1_->setPlainText(QString::fromStdString(logic_->Text1));
    done();
}

LiveOddsWindow::LiveOddsWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent)
    : FormWindow(parent), jv_(std::move(jvlink)) {
    widgets_ = new kv::qt::WidgetStatusSink(this);
    logic_ = std::make_unique<kv::TEZP2RIALTIME>(messages, kv::qt::qtYield(), *jv_, widgets_);
    setWindowTitle(QString::fromStdString(logic_->Caption));
    kv::qt::resizeTwips(this, 5640, 3600);
    const char* captions[3] = {kv::TEZP2RIALTIME::Command1Caption, kv::TEZP2RIALTIME::Command2Caption,
                               kv::TEZP2RIALTIME::Command3Caption};
    void (kv::TEZP2RIALTIME::*handlers[3])() = {&kv::TEZP2RIALTIME::Command1_Click, &kv::TEZP2RIALTIME::Command2_Click,
                                                &kv::TEZP2RIALTIME::Command3_Click};
    const int tops[3] = {240, 960, 1680};
    for (int i = 0; i < 3; ++i) {
        QPushButton* b = cmd_[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        b->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        placeTwips(b, 240, tops[i], 2400, 615);
        auto h = handlers[i];
        connect(b, &QPushButton::clicked, this, [this, b, h] {
            if (!b->isEnabled()) return;
            b->setEnabled(false);
            try {
                ((*logic_).*h)();
            } catch (const std::exception& e) {
                kv::qt::tellWorkFailure(this, e.what());
            }
            b->setEnabled(true);
        });
    }
    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName("Text1");
    placeTwips(text1_, 2880, 240, 2520, 2055);
    widgets_->bind("Text1", text1_);
}

LiveOddsWindow::~LiveOddsWindow() = default;

LiveResultsWindow::LiveResultsWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent)
    : FormWindow(parent), jv_(std::move(jvlink)) {
    logic_ = std::make_unique<kv::TEZHRRIALTIME>(*jv_, messages);
    setWindowTitle(QString::fromStdString(logic_->Caption));
    kv::qt::resizeTwips(this, 4680, 2040);
    auto* label1 = new QLabel(QString::fromStdString(logic_->Label1), this);
    label1->setObjectName("Label1");
    label1->setAlignment(Qt::AlignCenter);
    placeTwips(label1, 240, 240, 4200, 495);
    cmd1_ = new QPushButton(QString::fromStdString(logic_->Command1Caption), this);
    cmd1_->setObjectName("Command1");
    placeTwips(cmd1_, 840, 960, 3000, 615);
    connect(cmd1_, &QPushButton::clicked, this, [this] {
        kv::qt::runGuarded(this, [this] { logic_->Command1_Click(); });
        close();
    });
}

LiveResultsWindow::~LiveResultsWindow() = default;

void LiveResultsWindow::formLoad(std::function<void()> done) {
    try {
        logic_->Form_Load();
    } catch (const std::exception& e) {
        kv::qt::tellWorkFailure(this, e.what());
    }
    if (auto* label1 = findChild<QLabel*>(QStringLiteral("Label1"))) label1->setText(QString::fromStdString(logic_->Label1));
    done();
}

}  // namespace kv::ui
