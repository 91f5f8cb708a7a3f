// Showing windows. A window's load work runs before it is shown; "show" keeps
// one instance per program run (loaded on first show or after it was closed,
// otherwise only brought to the front), "show new" makes a new instance on
// every call. Closing a window unloads it (the instance is deleted).
//
// A window whose load runs off the GUI thread reports its end through done();
// the show helpers can wait for it in a local event loop, so that the caller
// goes on only after the load work has ended, while the program stays responsive.
#pragma once
#include <functional>

#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace kv::qt {

class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr);
    // The load work; calls done() when it has ended (at once by default).
    virtual void formLoad(std::function<void()> done) { done(); }
    bool loadFinished() const { return loaded_; }
    void markLoaded() { loaded_ = true; }

private:
    bool loaded_ = false;
};

// Loads w, waits in a local event loop until its load has ended, shows it.
void loadAndShow(FormWindow* w);

template <class W>
class SingleWindow {
public:
    explicit SingleWindow(std::function<W*()> make) : make_(std::move(make)) {}
    // Loads (when not loaded) and shows the single instance; returns after the load.
    W* show() {
        if (w_) {
            w_->setWindowState(w_->windowState() & ~Qt::WindowMinimized);
            w_->show();
            w_->raise();
            w_->activateWindow();
            return w_;
        }
        W* w = make_();
        w_ = w;
        loadAndShow(w);
        return w_;  // null when the load closed the window
    }
    W* instance() const { return w_; }
    bool loaded() const { return !w_.isNull(); }

private:
    std::function<W*()> make_;
    QPointer<W> w_;
};

// A new instance per call: loads, waits for the load, shows; the caller keeps no reference.
template <class W>
W* showNew(W* w) {
    QPointer<W> p(w);
    loadAndShow(w);
    return p;
}

}  // namespace kv::qt
