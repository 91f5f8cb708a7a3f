// The download progress window on screen: a modal dialog whose 10 ms timer
// drives the window's tick, with a real cancel button.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "acquisition/progress.h"

namespace kv::ui {

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    ProgressDialog(kv::TEZF2THISWEEKNQUEL& logic, QWidget* owner);
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* bar() const { return bar_; }
    QLabel* label() const { return label_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void tick();
    void refresh();
    void finishIfClosed();

    kv::TEZF2THISWEEKNQUEL& logic_;
    QProgressBar* bar_;
    QLabel* label_;
    QPushButton* cancel_;
    QTimer timer_;
    bool done_ = false;
};

// The owner windows' way to show the progress window modally on screen.
kv::ProgressModalFn qtProgressModal(QWidget* owner);

}  // namespace kv::ui
