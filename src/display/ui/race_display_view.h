// The race display on screen: the header box Text1 and the tab control SSTab1
// with the race-card grids, the bet grids, the payout grid and the chart, all
// shown through views over the display's control models. The past-runs
// window Kakoso is one window for the whole program.
#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "display/past_runs_window.h"
#include "display/race_display.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/show.h"
#include "platform/qt/tabstrip.h"

namespace kv::ui {

class RaceDisplayPanel : public QWidget {
    Q_OBJECT
public:
    // Shows d's controls; a click on a race-card cell opens the past-runs window.
    explicit RaceDisplayPanel(kv::display::RaceDisplay& d, QWidget* parent = nullptr);
    ~RaceDisplayPanel() override;

    // Runs the selection of list item p (1-based) and shows the header.
    void select(int p);

    QLineEdit* text1() const { return text1_; }
    kv::qt::TabStrip* tabs() const { return tabs_; }
    kv::qt::GridView* grid(const QString& name) const;

private:
    void showHeader();

    kv::display::RaceDisplay& d_;
    QLineEdit* text1_;
    kv::qt::TabStrip* tabs_;
};

class KakosoWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    explicit KakosoWindow(QWidget* parent = nullptr);
    ~KakosoWindow() override;
    void formLoad(std::function<void()> done) override;
    kv::display::Kakoso& logic() { return logic_; }
    QPushButton* command1() const { return command1_; }

private:
    kv::display::Kakoso logic_;
    QPushButton* command1_;
    kv::qt::GridView* grid_;
};

// Shows the single past-runs window (loads it when it is not loaded,
// otherwise brings it to the front); returns it.
KakosoWindow* showKakoso();

}  // namespace kv::ui
