// The predictions window on screen: its load runs the prediction run on a
// worker thread (the main menu's Text5 shows the progress texts meanwhile),
// then lists the races in List1. The window cannot be closed during the run.
// When a writer or a file failed, or the run stopped, a message says so before
// the menu writes its end text. Once the run has ended, selecting a race in
// List1 shows it in the race display beside the list.
#pragma once
#include <functional>
#include <memory>

#include <QListWidget>

#include "display/race_display.h"
#include "display/ui/race_display_view.h"
#include "platform/qt/show.h"
#include "platform/qt/sinks_qt.h"
#include "prediction/predictions_window.h"

namespace kv::ui {

class PredictionsWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    // menuStatus: the main menu's status sink (it is written from the worker
    // through a queued sink). makeChain builds the run's writer chain.
    PredictionsWindow(kv::StatusSink& menuStatus, kv::MessageSink& messages,
                      std::function<kv::pred::WriterChain()> makeChain, QWidget* parent = nullptr);
    ~PredictionsWindow() override;
    void formLoad(std::function<void()> done) override;

    kv::pred::YOSOKEKKATHISWEEKNQUEL& logic() { return *logic_; }
    QListWidget* list1() const { return list1_; }
    kv::display::RaceDisplay& display() { return *display_; }
    RaceDisplayPanel* displayPanel() const { return panel_; }
    bool running() const { return running_; }
    // True when the last load's work failed (its message has been shown).
    bool failed() const { return failed_; }

    // The message for a run with failures ("" when there were none).
    static std::string failureReport(const kv::pred::YOSOKEKKATHISWEEKNQUEL& w, const std::string& error);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    kv::MessageSink& messages_;
    kv::qt::GuiStatusSink* menu_;
    std::unique_ptr<kv::pred::YOSOKEKKATHISWEEKNQUEL> logic_;
    QListWidget* list1_;
    std::unique_ptr<kv::display::RaceDisplay> display_;
    RaceDisplayPanel* panel_;
    bool running_ = false;
    bool failed_ = false;
};

}  // namespace kv::ui
