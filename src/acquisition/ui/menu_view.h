// The main menu on screen: every control of the menu at its place, the status
// area bound to the menu's text boxes and label, and each button forwarding to
// its handler. A button stays blocked while its own handler runs (a handler
// that yields or waits for a window cannot be started a second time).
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <QAbstractButton>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include "acquisition/menu.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/sinks_qt.h"

namespace kv::ui {

// The picture at the bottom right; a click ends the program.
class MenuPicture : public QLabel {
    Q_OBJECT
public:
    explicit MenuPicture(QWidget* parent = nullptr);
Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

class MenuWindow : public QWidget {
    Q_OBJECT
public:
    // jvlink is the menu's own JV-Link control (kept by the window).
    MenuWindow(kv::MessageSink& messages, kv::Shell& shell, const kv::Clock& clock,
               std::unique_ptr<kv::JVLink> jvlink, QWidget* parent = nullptr);
    ~MenuWindow() override;

    kv::TEZF1THISWEEKNQUEL& logic() { return *logic_; }
    // The status sink of the program (the menu's controls), usable from any thread.
    kv::StatusSink& statusSink() { return *guiStatus_; }
    // The widget of a control by name ("Command2", "Text5", "Frame1", "Picture1", ...).
    QWidget* control(const std::string& name) const;
    QAbstractButton* button(const std::string& name) const;

    // The menu's load (before it is shown).
    void formLoad();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void build();
    void press(const std::string& name, void (kv::TEZF1THISWEEKNQUEL::*handler)());
    void syncOption();

    std::unique_ptr<kv::JVLink> jv_;
    kv::qt::WidgetStatusSink* widgets_;
    kv::qt::GuiStatusSink* guiStatus_ = nullptr;
    std::unique_ptr<kv::TEZF1THISWEEKNQUEL> logic_;
    std::map<std::string, QWidget*> controls_;
    std::set<std::string> busy_;
    QRadioButton* option1_ = nullptr;
};

}  // namespace kv::ui
