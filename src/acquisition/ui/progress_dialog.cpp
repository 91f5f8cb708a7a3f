#include "acquisition/ui/progress_dialog.h"

#include <algorithm>

#include <QCloseEvent>
#include <QPointer>

#include "platform/qt/twips.h"

namespace kv::ui {

using kv::qt::placeTwips;

ProgressDialog::ProgressDialog(kv::TEZF2THISWEEKNQUEL& logic, QWidget* owner) : QDialog(owner), logic_(logic) {
    setWindowTitle(QString::fromStdString(logic_.Caption));
    setModal(true);
    kv::qt::resizeTwips(this, 5400, 1800);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    placeTwips(bar_, 240, 240, 4920, 375);
    label_ = new QLabel(this);
    label_->setAlignment(Qt::AlignCenter);
    placeTwips(label_, 240, 720, 4920, 300);
    cancel_ = new QPushButton(QString::fromStdString(logic_.Command1Caption), this);
    placeTwips(cancel_, 1920, 1140, 1560, 435);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        logic_.Command1_Click();
        finishIfClosed();
    });
    connect(&timer_, &QTimer::timeout, this, &ProgressDialog::tick);
    timer_.setInterval(logic_.Timer1.Interval > 0 ? logic_.Timer1.Interval : 10);
    refresh();
    if (logic_.Timer1.Enabled) timer_.start();
    // A window that closed itself in its load never shows.
    if (logic_.Closed) done_ = true;
}

void ProgressDialog::tick() {
    if (done_) return;
    logic_.Timer1_Timer();
    if (!logic_.Timer1.Enabled) timer_.stop();
    refresh();
    finishIfClosed();
}

void ProgressDialog::refresh() {
    const auto& b = logic_.ProgressBar1;
    const int lo = static_cast<int>(b.Min), hi = static_cast<int>(std::max(b.Max, b.Min));
    bar_->setRange(lo, hi);
    bar_->setValue(static_cast<int>(std::clamp(b.Value, static_cast<long>(lo), static_cast<long>(hi))));
    label_->setText(QString::fromStdString(logic_.Label1));
}

void ProgressDialog::finishIfClosed() {
    if (!logic_.Closed || done_) return;
    done_ = true;
    timer_.stop();
    accept();
}

void ProgressDialog::closeEvent(QCloseEvent* e) {
    if (!done_) {
        done_ = true;
        timer_.stop();
        logic_.Form_Unload();
    }
    e->accept();
    QDialog::closeEvent(e);
}

void ProgressDialog::reject() {
    // Escape and the close box: the window closes without touching the owner's result.
    if (!done_) {
        done_ = true;
        timer_.stop();
        logic_.Form_Unload();
    }
    QDialog::reject();
}

kv::ProgressModalFn qtProgressModal(QWidget* owner) {
    QPointer<QWidget> o(owner);
    return [o](kv::TEZF2THISWEEKNQUEL& w) {
        if (w.Closed) return;
        ProgressDialog dlg(w, o.data());
        dlg.exec();
    };
}

}  // namespace kv::ui
