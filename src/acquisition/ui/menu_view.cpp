#include "acquisition/ui/menu_view.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGroupBox>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "acquisition/ui/progress_dialog.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/twips.h"

namespace kv::ui {

using kv::TEZF1THISWEEKNQUEL;
using kv::qt::placeTwips;

namespace {

enum class Kind { Button, Frame, Label, Text, Option, Picture };

struct Place {
    const char* name;
    Kind kind;
    const char* parent;  // frame name, or nullptr for the window
    int left, top, width, height;  // twips
};

// The menu's arrangement, top to bottom, in twips.
constexpr int kFormWidth = 12120;
constexpr int kFormHeight = 10395;
const Place kPlaces[] = {
    {"Command1", Kind::Button, nullptr, 120, 120, 1335, 495},
    {"Command14", Kind::Button, nullptr, 1575, 120, 3600, 495},
    {"Command16", Kind::Button, nullptr, 5295, 120, 4455, 495},
    {"Frame1", Kind::Frame, nullptr, 120, 780, 3735, 3615},
    {"Command2", Kind::Button, "Frame1", 240, 360, 3255, 735},
    {"Command4", Kind::Button, "Frame1", 240, 1200, 3255, 735},
    {"Command6", Kind::Button, "Frame1", 240, 2040, 3255, 735},
    {"Label2", Kind::Label, "Frame1", 240, 2880, 3255, 495},
    {"Frame2", Kind::Frame, nullptr, 3975, 780, 3975, 3615},
    {"Command11", Kind::Button, "Frame2", 120, 360, 1815, 735},
    {"Command15", Kind::Button, "Frame2", 2040, 360, 1815, 735},
    {"Command5", Kind::Button, "Frame2", 120, 1200, 3735, 615},
    {"Command9", Kind::Button, "Frame2", 120, 1920, 3735, 615},
    {"Command10", Kind::Button, "Frame2", 120, 2640, 3735, 615},
    {"Frame3", Kind::Frame, nullptr, 8070, 780, 3930, 3615},
    {"Command3", Kind::Button, "Frame3", 120, 360, 3690, 735},
    {"Text2", Kind::Text, "Frame3", 120, 1200, 3690, 975},
    {"Command7", Kind::Button, "Frame3", 120, 2280, 3690, 735},
    {"Label3", Kind::Label, "Frame3", 120, 3120, 3690, 375},
    {"Option1", Kind::Option, nullptr, 3975, 4455, 8025, 375},
    {"Frame4", Kind::Frame, nullptr, 3975, 4980, 3975, 1095},
    {"Command8", Kind::Button, "Frame4", 120, 300, 3735, 675},
    {"Frame5", Kind::Frame, nullptr, 3975, 6180, 3975, 2535},
    {"Command12", Kind::Button, "Frame5", 120, 300, 3735, 615},
    {"Text3", Kind::Text, "Frame5", 120, 1020, 3735, 735},
    {"Command13", Kind::Button, "Frame5", 120, 1860, 3735, 555},
    {"Text1", Kind::Text, nullptr, 120, 4860, 3735, 1635},
    {"Text4", Kind::Text, nullptr, 120, 6600, 3735, 2115},
    {"Text5", Kind::Text, nullptr, 8070, 4860, 3930, 1635},
    {"Text6", Kind::Text, nullptr, 8070, 6600, 3930, 2115},
    {"Label1", Kind::Label, nullptr, 120, 8820, 7830, 1455},
    {"Picture1", Kind::Picture, nullptr, 8070, 8820, 3930, 1455},
};

struct Handler {
    const char* name;
    void (TEZF1THISWEEKNQUEL::*fn)();
};
const Handler kHandlers[] = {
    {"Command1", &TEZF1THISWEEKNQUEL::Command1_Click},   {"Command2", &TEZF1THISWEEKNQUEL::Command2_Click},
    {"Command3", &TEZF1THISWEEKNQUEL::Command3_Click},   {"Command4", &TEZF1THISWEEKNQUEL::Command4_Click},
    {"Command5", &TEZF1THISWEEKNQUEL::Command5_Click},   {"Command6", &TEZF1THISWEEKNQUEL::Command6_Click},
    {"Command7", &TEZF1THISWEEKNQUEL::Command7_Click},   {"Command8", &TEZF1THISWEEKNQUEL::Command8_Click},
    {"Command9", &TEZF1THISWEEKNQUEL::Command9_Click},   {"Command10", &TEZF1THISWEEKNQUEL::Command10_Click},
    {"Command11", &TEZF1THISWEEKNQUEL::Command11_Click}, {"Command12", &TEZF1THISWEEKNQUEL::Command12_Click},
    {"Command13", &TEZF1THISWEEKNQUEL::Command13_Click}, {"Command14", &TEZF1THISWEEKNQUEL::Command14_Click},
    {"Command15", &TEZF1THISWEEKNQUEL::Command15_Click}, {"Command16", &TEZF1THISWEEKNQUEL::Command16_Click},
};

}  // namespace

MenuPicture::MenuPicture(QWidget* parent) : QLabel(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setCursor(Qt::PointingHandCursor);
}

void MenuPicture::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) Q_EMIT clicked();
    QLabel::mousePressEvent(e);
}

MenuWindow::MenuWindow(kv::MessageSink& messages, kv::Shell& shell, const kv::Clock& clock,
                       std::unique_ptr<kv::JVLink> jvlink, QWidget* parent)
    : QWidget(parent), jv_(std::move(jvlink)) {
    widgets_ = new kv::qt::WidgetStatusSink(this);
    logic_ = std::make_unique<TEZF1THISWEEKNQUEL>(messages, kv::qt::qtYield(), *jv_, shell, clock, widgets_);
    guiStatus_ = new kv::qt::GuiStatusSink(*logic_, this);
    logic_->ProgressModal = qtProgressModal(this);
    build();
}

MenuWindow::~MenuWindow() = default;

void MenuWindow::build() {
    setWindowTitle(QString::fromStdString(logic_->Caption));
    kv::qt::resizeTwips(this, kFormWidth, kFormHeight);
    setFixedSize(size());
    for (const Place& p : kPlaces) {
        QWidget* parent = this;
        if (p.parent) parent = controls_.at(p.parent);
        const QString caption = QString::fromStdString(TEZF1THISWEEKNQUEL::CaptionOf(p.name));
        QWidget* w = nullptr;
        switch (p.kind) {
            case Kind::Button: {
                auto* b = new QPushButton(caption, parent);
                const std::string name = p.name;
                for (const Handler& h : kHandlers)
                    if (name == h.name) {
                        auto fn = h.fn;
                        connect(b, &QPushButton::clicked, this, [this, name, fn] { press(name, fn); });
                    }
                w = b;
                break;
            }
            case Kind::Frame: w = new QGroupBox(caption, parent); break;
            case Kind::Label: {
                auto* l = new QLabel(caption, parent);
                l->setWordWrap(true);
                l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                if (std::string(p.name) == "Label1") {
                    l->setFrameShape(QFrame::Panel);
                    l->setFrameShadow(QFrame::Sunken);
                }
                w = l;
                break;
            }
            case Kind::Text: {
                auto* t = new QPlainTextEdit(parent);
                t->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                w = t;
                break;
            }
            case Kind::Option: {
                option1_ = new QRadioButton(caption, parent);
                connect(option1_, &QRadioButton::toggled, this, [this](bool on) { logic_->Option1 = on; });
                w = option1_;
                break;
            }
            case Kind::Picture: {
                auto* pic = new MenuPicture(parent);
                connect(pic, &MenuPicture::clicked, this, [this] { logic_->Picture1_Click(); });
                w = pic;
                break;
            }
        }
        w->setObjectName(p.name);
        placeTwips(w, p.left, p.top, p.width, p.height);
        if (p.kind == Kind::Picture) {
            QPixmap pm(w->size());
            QPainter painter(&pm);
            QLinearGradient g(0, 0, pm.width(), pm.height());
            g.setColorAt(0, QColor(0x1E, 0x5A, 0x2E));
            g.setColorAt(1, QColor(0x9C, 0xD8, 0x8A));
            painter.fillRect(pm.rect(), g);
            painter.setPen(QPen(QColor(255, 255, 255, 160), 3));
            for (int i = 0; i < 4; ++i) {
                const int y = pm.height() * (i + 1) / 5;
                painter.drawLine(0, y, pm.width(), y - pm.height() / 6);
            }
            painter.end();
            static_cast<QLabel*>(w)->setPixmap(pm);
        }
        controls_[p.name] = w;
        if (p.kind == Kind::Text || std::string(p.name) == "Label1") widgets_->bind(p.name, w);
    }
}

QWidget* MenuWindow::control(const std::string& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

QAbstractButton* MenuWindow::button(const std::string& name) const {
    return qobject_cast<QAbstractButton*>(control(name));
}

void MenuWindow::formLoad() {
    logic_->Form_Load();
    syncOption();
}

void MenuWindow::press(const std::string& name, void (TEZF1THISWEEKNQUEL::*handler)()) {
    if (busy_.count(name)) return;
    // The button is blocked while its handler runs and given back on every way out.
    struct Pressed {
        MenuWindow& menu;
        std::string name;
        QPointer<QWidget> button;
        Pressed(MenuWindow& m, const std::string& n) : menu(m), name(n), button(m.control(n)) {
            menu.busy_.insert(name);
            if (button) button->setEnabled(false);
        }
        ~Pressed() {
            if (button) button->setEnabled(true);
            menu.busy_.erase(name);
        }
    };
    {
        const Pressed pressed(*this, name);
        try {
            ((*logic_).*handler)();
        } catch (const std::exception& e) {
            kv::qt::tellWorkFailure(this, e.what());
        } catch (...) {
            kv::qt::tellWorkFailure(this, "unknown exception");
        }
    }
    syncOption();
}

void MenuWindow::syncOption() {
    if (!option1_ || option1_->isChecked() == logic_->Option1) return;
    // A lone option button cannot be cleared through setChecked while it is exclusive.
    option1_->setAutoExclusive(false);
    option1_->setChecked(logic_->Option1);
    option1_->setAutoExclusive(true);
}

void MenuWindow::closeEvent(QCloseEvent* e) {
    // Closing the menu only hides it; the program goes on while other windows are open.
    e->accept();
}

}  // namespace kv::ui
