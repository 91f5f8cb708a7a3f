// The expansion window on screen: ④ and ⑤ run off the GUI thread with the
// progress bars moving; neither can be started again, in this or any other
// expansion window, while one runs, and the window running it does not close
// until it has ended.
#pragma once
#include <memory>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "expansion/expansion_window.h"
#include "platform/qt/show.h"
#include "platform/qt/sinks_qt.h"

namespace kv::ui {

class ExpansionWindow : public kv::qt::FormWindow {
    Q_OBJECT
public:
    explicit ExpansionWindow(kv::MessageSink& messages, QWidget* parent = nullptr);
    ~ExpansionWindow() override;
    void formLoad(std::function<void()> done) override;

    kv::expansion::KORIVANEXPDTHISWEEKNQUEL& logic() { return *logic_; }
    QWidget* control(const QString& name) const { return findChild<QWidget*>(name); }
    bool running() const { return running_; }
    // True while ④ or ⑤ runs in any expansion window.
    static bool runUnderWay();
    // The report of the last ⑤ (valid once it has ended).
    const kv::expansion::CalculationReport& lastReport() const { return report_; }

Q_SIGNALS:
    void runFinished();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void start(bool calculation);
    void updateButtons();
    static void setRunUnderWay(bool on);

    kv::qt::WidgetStatusSink* status_;
    kv::qt::ProgressBarSink* progress_;
    std::unique_ptr<kv::expansion::KORIVANEXPDTHISWEEKNQUEL> logic_;
    QPushButton *cmd1_, *cmd2_, *cmd3_;
    bool running_ = false;
    kv::expansion::CalculationReport report_;
};

}  // namespace kv::ui
