// The odds download window and the odds-table window on screen.
#pragma once
#include <memory>

#include <QPlainTextEdit>
#include <QPushButton>

#include "acquisition/odds_download.h"
#include "acquisition/odds_tables.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/show.h"
#include "platform/qt/sinks_qt.h"

namespace kv::ui {

class OddsDownloadWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    OddsDownloadWindow(kv::MessageSink& messages, std::unique_ptr<kv::JVLink> jvlink, QWidget* parent = nullptr);
    ~OddsDownloadWindow() override;
    void formLoad(std::function<void()> done) override;
    kv::TEZFOTHISWEEKNQUEL& logic() { return *logic_; }
    QPushButton* command(int n) const;
    QPlainTextEdit* text1() const { return text1_; }

private:
    void press(QPushButton* b, void (kv::TEZFOTHISWEEKNQUEL::*handler)());

    std::unique_ptr<kv::JVLink> jv_;
    kv::qt::WidgetStatusSink* widgets_;
    std::unique_ptr<kv::TEZFOTHISWEEKNQUEL> logic_;
    QPushButton* cmd_[3]{};
    QPlainTextEdit* text1_;
};

class OddsTablesWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    // messages: told once per load what was missing or could not be written.
    explicit OddsTablesWindow(kv::MessageSink& messages, QWidget* parent = nullptr);
    void formLoad(std::function<void()> done) override;
    kv::KORIVANODDSN& logic() { return logic_; }
    QPushButton* command1() const { return cmd1_; }

private:
    kv::KORIVANODDSN logic_;
    QPushButton* cmd1_;
};

}  // namespace kv::ui
