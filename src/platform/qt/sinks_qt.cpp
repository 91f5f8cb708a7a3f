#include "platform/qt/sinks_qt.h"

#include <algorithm>
#include <mutex>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>

#include "platform/qt/gui_thread.h"
#include "platform/qt/placement.h"

namespace kv::qt {

namespace {
std::mutex g_hookMutex;
std::function<void(const std::string&)> g_hook;

QColor rgbColor(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
}  // namespace

QString applicationTitle() {
    QString n = QCoreApplication::applicationName();
    return n.isEmpty() ? QStringLiteral("korivan") : n;
}

void setWidgetText(QWidget* w, const QString& text) {
    if (!w) return;
    if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
    else if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) p->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w)) t->setPlainText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(text);
    else w->setWindowTitle(text);
}

QString widgetText(const QWidget* w) {
    if (!w) return {};
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w)) return p->toPlainText();
    if (auto* t = qobject_cast<const QTextEdit*>(w)) return t->toPlainText();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    return w->windowTitle();
}

void setWidgetBackColor(QWidget* w, unsigned rgb) {
    if (!w) return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, rgbColor(rgb));
    p.setColor(QPalette::Base, rgbColor(rgb));
    p.setColor(QPalette::Button, rgbColor(rgb));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setWidgetForeColor(QWidget* w, unsigned rgb) {
    if (!w) return;
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, rgbColor(rgb));
    p.setColor(QPalette::Text, rgbColor(rgb));
    p.setColor(QPalette::ButtonText, rgbColor(rgb));
    w->setPalette(p);
}

QWidget* WidgetStatusSink::widget(const std::string& control) const {
    auto it = widgets_.find(control);
    return it == widgets_.end() ? nullptr : it->second.data();
}

void WidgetStatusSink::setText(const std::string& control, const std::string& text) {
    runOnGui(this, [this, control, text] { setWidgetText(widget(control), QString::fromStdString(text)); });
}

void WidgetStatusSink::setBackColor(const std::string& control, unsigned rgb) {
    runOnGui(this, [this, control, rgb] { setWidgetBackColor(widget(control), rgb); });
}

void WidgetStatusSink::setForeColor(const std::string& control, unsigned rgb) {
    runOnGui(this, [this, control, rgb] { setWidgetForeColor(widget(control), rgb); });
}

void MessageBoxSink::setHook(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_hook = std::move(hook);
}

void MessageBoxSink::message(const std::string& text) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_hook;
    }
    if (hook) {
        hook(text);
        return;
    }
    // The box belongs to the window that raised it and opens over it.
    QPointer<QObject> context(backgroundContext());
    runOnGui(
        this,
        [this, text, context] {
            QWidget* owner = parent_ ? parent_->window() : messageOwner(context.data());
            QMessageBox box(QMessageBox::NoIcon, applicationTitle(), QString::fromStdString(text), QMessageBox::Ok,
                            owner);
            if (owner && !owner->isVisible()) {
                // Its window is not on the screen yet (a load's message): the box opens in the
                // middle of the screen, not over the place the window has before it is placed.
                box.show();
                centreOnScreen(&box);
            }
            box.exec();
        },
        /*blocking=*/true);
}

void ProgressBarSink::progress(const std::string& bar, long value, long max) {
    runOnGui(this, [this, bar, value, max] {
        auto it = bars_.find(bar);
        if (it == bars_.end() || !it->second) return;
        QProgressBar* b = it->second;
        const int m = static_cast<int>(std::max(0L, max));
        b->setRange(0, m);
        b->setValue(static_cast<int>(std::clamp(value, 0L, static_cast<long>(m))));
    });
}

void GuiStatusSink::setText(const std::string& control, const std::string& text) {
    runOnGui(this, [this, control, text] { target_.setText(control, text); });
}

void GuiStatusSink::setBackColor(const std::string& control, unsigned rgb) {
    runOnGui(this, [this, control, rgb] { target_.setBackColor(control, rgb); });
}

void GuiStatusSink::setForeColor(const std::string& control, unsigned rgb) {
    runOnGui(this, [this, control, rgb] { target_.setForeColor(control, rgb); });
}

kv::YieldFn qtYield() {
    return [] {
        if (onGuiThread()) QCoreApplication::processEvents();
    };
}

bool DesktopShell::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

bool DesktopShell::startProgram(const std::string&) { return false; }

}  // namespace kv::qt
