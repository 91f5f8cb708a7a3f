#include "platform/qt/gui_thread.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include "platform/qt/sinks_qt.h"
#include "platform/step_report.h"

namespace kv::qt {

namespace {
std::atomic<int> g_jobs{0};
thread_local QPointer<QObject> t_context;
}

bool onGuiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void runOnGui(QObject* context, std::function<void()> f, bool blocking) {
    if (!context || QThread::currentThread() == context->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(context, std::move(f), blocking ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

std::string backgroundFailureText(const std::string& caption) {
    const std::string which = caption.empty() ? std::string() : "「" + caption + "」の";
    return which + "処理が予期しないエラーで途中で止まりました。もう一度やり直して下さい。";
}

void runInBackground(QObject* context, std::function<void()> work, std::function<void()> done,
                     std::function<void(const std::string&)> failed) {
    ++g_jobs;
    // What left the work, written by the job's thread before it finishes.
    auto error = std::make_shared<std::optional<std::string>>();
    QThread* t = QThread::create([w = std::move(work), ctx = QPointer<QObject>(context), error] {
        t_context = ctx;
        try {
            w();
        } catch (const std::exception& e) {
            *error = std::string(e.what());
        } catch (...) {
            *error = std::string("unknown exception");
        }
    });
    // The thread object lives on the calling (GUI) thread, so this runs there.
    QObject::connect(t, &QThread::finished, t,
                     [t, ctx = QPointer<QObject>(context), d = std::move(done), f = std::move(failed), error] {
                         --g_jobs;
                         t->deleteLater();
                         if (!error->has_value()) {
                             if (ctx && d) d();
                             return;
                         }
                         const std::string& detail = **error;
                         if (ctx && f) f(detail);
                         if (ctx && d) d();
                         tellWorkFailure(ctx.data(), detail);
                     });
    t->start();
}

void tellWorkFailure(QObject* context, const std::string& detail) {
    auto* widget = qobject_cast<QWidget*>(context);
    const std::string caption = widget ? widget->windowTitle().toStdString() : std::string();
    std::fprintf(stderr, "%s: %s%swork failed: %s\n", logProgramName().c_str(), caption.c_str(),
                 caption.empty() ? "" : ": ", detail.c_str());
    // The box belongs to the window (as the work's own messages do).
    const QPointer<QObject> outer = t_context;
    t_context = context;
    MessageBoxSink box;
    box.message(backgroundFailureText(caption));
    t_context = outer;
}

bool runGuarded(QObject* context, const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        tellWorkFailure(context, e.what());
    } catch (...) {
        tellWorkFailure(context, "unknown exception");
    }
    return false;
}

int runningBackgroundJobs() { return g_jobs.load(); }

QObject* backgroundContext() { return t_context.data(); }

}  // namespace kv::qt
