#include "platform/qt/gui_thread.h"

#include <atomic>

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace kv::qt {

namespace {
std::atomic<int> g_jobs{0};
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
    QThread* t = QThread::create([w = std::move(work)] {
        try {
            w();
        } catch (...) {
        }
    });
    if (done) QObject::connect(t, &QThread::finished, context, std::move(done));
    QObject::connect(t, &QThread::finished, t, [t] {
        --g_jobs;
        t->deleteLater();
    });
    t->start();
}

int runningBackgroundJobs() { return g_jobs.load(); }

}  // namespace kv::qt
