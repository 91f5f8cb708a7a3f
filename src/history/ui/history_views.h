// The past performance and big-payout hit list windows on screen. Both loads
// run on a worker thread (the main menu's Text6 shows the progress meanwhile);
// the window is shown once its load has ended. A history search is under way
// while either load runs (historySearchUnderWay()), so the menu can
// keep both of its buttons blocked.
#pragma once
#include <array>
#include <functional>
#include <memory>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

#include "history/past_performance_window.h"
#include "history/hit_list_window.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/show.h"
#include "platform/qt/sinks_qt.h"
#include "platform/qt/tabstrip.h"

namespace kv::ui {

// True while the load of a past performance or hit list window runs.
bool historySearchUnderWay();

// A history window: its load work runs on a worker thread, then `after` on
// the GUI thread; it cannot be closed while the load runs.
class HistoryWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    using FormWindow::FormWindow;
    bool running() const { return running_; }
    // True when the last load stopped on an unexpected error (its message said so).
    bool loadFailed() const { return loadFailed_; }

protected:
    void load(std::function<void()> work, std::function<void()> after, std::function<void()> done);
    void closeEvent(QCloseEvent* e) override;

private:
    bool running_ = false;
    bool loadFailed_ = false;
};

class PastPerformanceWindow : public HistoryWindow {
    Q_OBJECT
public:
    // messages: where the load's failure or note is told (none: only the log).
    explicit PastPerformanceWindow(kv::StatusSink& menuStatus, kv::MessageSink* messages = nullptr,
                                   QWidget* parent = nullptr);
    ~PastPerformanceWindow() override;
    void formLoad(std::function<void()> done) override;

    kv::history::KakoSeisekiQUEL& logic() { return *logic_; }
    QListWidget* list1() const { return list1_; }
    kv::qt::TabStrip* ssTab1() const { return tab1_; }
    kv::qt::TabStrip* ssTab2() const { return tab2_; }
    QPlainTextEdit* text1() const { return text1_; }
    QPlainTextEdit* text2(int i) const { return text2_[static_cast<std::size_t>(i)]; }
    // The click on an item of List1.
    void clickDay(int row);

private:
    kv::qt::GuiStatusSink* menu_;
    std::unique_ptr<kv::history::KakoSeisekiQUEL> logic_;
    QListWidget* list1_;
    kv::qt::TabStrip *tab1_, *tab2_;
    QPlainTextEdit* text1_;
    std::array<QPlainTextEdit*, kv::history::KakoSeisekiQUEL::kRaceTabs> text2_{};
};

class HitListWindow : public HistoryWindow {
    Q_OBJECT
public:
    explicit HitListWindow(kv::StatusSink& menuStatus, kv::MessageSink* messages = nullptr, QWidget* parent = nullptr);
    ~HitListWindow() override;
    void formLoad(std::function<void()> done) override;

    kv::history::TekichuListQUEL& logic() { return *logic_; }
    // The grid's view (made once the load has filled the grid).
    kv::qt::GridView* grid() const { return grid_; }
    QLabel* label1() const { return label1_; }

private:
    kv::qt::GuiStatusSink* menu_;
    std::unique_ptr<kv::history::TekichuListQUEL> logic_;
    kv::qt::GridView* grid_ = nullptr;
    QLabel* label1_;
};

}  // namespace kv::ui
