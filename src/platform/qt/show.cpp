#include "platform/qt/show.h"

#include <memory>

#include <QEventLoopLocker>

namespace kv::qt {

FormWindow::FormWindow(QWidget* parent) : QWidget(parent, Qt::Window) { setAttribute(Qt::WA_DeleteOnClose); }

void loadAndShow(FormWindow* w) {
    // A window whose load is under way is open: closing every other window
    // meanwhile does not end the program before this one is shown.
    QEventLoopLocker keepRunning;
    QPointer<FormWindow> p(w);
    struct State {
        bool done = false;
        QPointer<QEventLoop> loop;
    };
    auto st = std::make_shared<State>();
    w->formLoad([st, p] {
        st->done = true;
        if (p) p->markLoaded();
        if (st->loop) st->loop->quit();
    });
    if (!st->done) {
        QEventLoop loop;
        st->loop = &loop;
        loop.exec();
    }
    if (p) p->show();
}

}  // namespace kv::qt
