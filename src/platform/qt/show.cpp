#include "platform/qt/show.h"

#include <memory>

namespace kv::qt {

FormWindow::FormWindow(QWidget* parent) : QWidget(parent, Qt::Window) { setAttribute(Qt::WA_DeleteOnClose); }

void loadAndShow(FormWindow* w) {
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
