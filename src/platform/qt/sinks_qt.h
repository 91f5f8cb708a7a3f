// The platform sinks on Qt: status texts and colours into named widgets,
// message boxes (OK only, the application's name as title), progress bars by
// name, the yield to the event loop and the shell. Every sink may be called
// from a worker thread: the call is carried over to the GUI thread (messages
// wait there for the OK, as a message box holds up the work that raised it).
#pragma once
#include <functional>
#include <map>
#include <string>

#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include "platform/sinks.h"

namespace kv::qt {

// Sets a widget's text the way its kind shows text (label, line edit, text edit,
// button, group box, window title). Colours are 0xRRGGBB.
void setWidgetText(QWidget* w, const QString& text);
QString widgetText(const QWidget* w);
void setWidgetBackColor(QWidget* w, unsigned rgb);
void setWidgetForeColor(QWidget* w, unsigned rgb);

class WidgetStatusSink : public QObject, public kv::StatusSink {
    Q_OBJECT
public:
    explicit WidgetStatusSink(QObject* parent = nullptr) : QObject(parent) {}
    void bind(const std::string& control, QWidget* w) { widgets_[control] = w; }
    QWidget* widget(const std::string& control) const;

    void setText(const std::string& control, const std::string& text) override;
    void setBackColor(const std::string& control, unsigned rgb) override;
    void setForeColor(const std::string& control, unsigned rgb) override;

private:
    std::map<std::string, QPointer<QWidget>> widgets_;
};

// Without a parent, each box belongs to the window that raised it (messageOwner).
class MessageBoxSink : public QObject, public kv::MessageSink {
    Q_OBJECT
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : QObject(parent), parent_(parent) {}
    void message(const std::string& text) override;
    // Tests: every message goes to the hook instead of a box.
    static void setHook(std::function<void(const std::string&)> hook);

private:
    QPointer<QWidget> parent_;
};

class ProgressBarSink : public QObject, public kv::ProgressSink {
    Q_OBJECT
public:
    explicit ProgressBarSink(QObject* parent = nullptr) : QObject(parent) {}
    void bind(const std::string& bar, QProgressBar* w) { bars_[bar] = w; }
    void progress(const std::string& bar, long value, long max) override;

private:
    std::map<std::string, QPointer<QProgressBar>> bars_;
};

// Passes every call on to another status sink on the GUI thread (queued), so a
// window's logic that runs on a worker thread can write into the main menu.
class GuiStatusSink : public QObject, public kv::StatusSink {
    Q_OBJECT
public:
    explicit GuiStatusSink(kv::StatusSink& target, QObject* parent = nullptr) : QObject(parent), target_(target) {}
    void setText(const std::string& control, const std::string& text) override;
    void setBackColor(const std::string& control, unsigned rgb) override;
    void setForeColor(const std::string& control, unsigned rgb) override;

private:
    kv::StatusSink& target_;
};

// Processes pending events on the GUI thread; does nothing on other threads.
kv::YieldFn qtYield();

// Web pages through the desktop's browser; starting a program is not possible here.
struct DesktopShell : kv::Shell {
    bool openUrl(const std::string& url) override;
    bool startProgram(const std::string& path) override;
};

// The title of every message box.
QString applicationTitle();

}  // namespace kv::qt
