// Windows whose load does the work and which are then only shown: structure
// processing, cancellation processing, and the live odds window (buttons).
#pragma once
#include <memory>

#include <QPlainTextEdit>
#include <QPushButton>

#include "acquisition/cancel.h"
#include "acquisition/live_odds.h"
#include "acquisition/live_results.h"
#include "acquisition/structure.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/show.h"
#include "platform/qt/sinks_qt.h"

namespace kv::ui {

// A window with one text box above one button; the button closes it.
class TextAndButtonWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    explicit TextAndButtonWindow(QWidget* parent = nullptr);
    QPlainTextEdit* text1() const { return text1_; }
    QPushButton* command1() const { return cmd1_; }

protected:
    QPlainTextEdit* text1_;
    QPushButton* cmd1_;
};

class StructureWindow : public TextAndButtonWindow {
    Q_OBJECT
public:
    // menu: the main menu's status controls ("Label1", "Text4").
    StructureWindow(kv::StatusSink& menu, kv::MessageSink& messages, kv::Shell& shell, QWidget* parent = nullptr);
    void formLoad(std::function<void()> done) override;
    kv::KOUZOUTAIQUEL& logic() { return logic_; }

private:
    kv::KOUZOUTAIQUEL logic_;
};

class CancellationWindow : public TextAndButtonWindow {
    Q_OBJECT
public:
    CancellationWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent = nullptr);
    ~CancellationWindow() override;
    void formLoad(std::function<void()> done) override;
    kv::CHUSIRIALTIME& logic() { return *logic_; }

private:
    std::unique_ptr<kv::JVLink> jv_;
    std::unique_ptr<kv::CHUSIRIALTIME> logic_;
};

class LiveOddsWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    LiveOddsWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent = nullptr);
    ~LiveOddsWindow() override;
    kv::TEZP2RIALTIME& logic() { return *logic_; }
    QPushButton* command(int n) const { return n >= 1 && n <= 3 ? cmd_[n - 1] : nullptr; }
    QPlainTextEdit* text1() const { return text1_; }

private:
    std::unique_ptr<kv::JVLink> jv_;
    kv::qt::WidgetStatusSink* widgets_;
    std::unique_ptr<kv::TEZP2RIALTIME> logic_;
    QPushButton* cmd_[3]{};
    QPlainTextEdit* text1_;
};

// The live results window: its load fetches and applies the live results; then
// a label and a button that closes it.
class LiveResultsWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    LiveResultsWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent = nullptr);
    ~LiveResultsWindow() override;
    void formLoad(std::function<void()> done) override;
    kv::TEZHRRIALTIME& logic() { return *logic_; }
    QPushButton* command1() const { return cmd1_; }

private:
    std::unique_ptr<kv::JVLink> jv_;
    std::unique_ptr<kv::TEZHRRIALTIME> logic_;
    QPushButton* cmd1_;
};

}  // namespace kv::ui
