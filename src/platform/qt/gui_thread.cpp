#include "platform/qt/gui_thread.h"

#include <atomic>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

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

void runInBackground(QObject* context, std::function<void()> work, std::function<void()> done) {
    ++g_jobs;
    QThread* t = QThread::create([w = std::move(work), ctx = QPointer<QObject>(context)] {
        t_context = ctx;
        try {
            w();
        } catch (...) {
        }
    });
    // The thread object lives on the calling (GUI) thread, so this runs there.
    QObject::connect(t, &QThread::finished, t, [t, ctx = QPointer<QObject>(context), d = std::move(done)] {
        --g_jobs;
        t->deleteLater();
        if (ctx && d) d();
    });
    t->start();
}

int runningBackgroundJobs() { return g_jobs.load(); }

QObject* backgroundContext() { return t_context.data(); }

}  // namespace kv::qt
