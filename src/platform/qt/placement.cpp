#include "platform/qt/placement.h"

#include <algorithm>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>

namespace kv::qt {

namespace {

constexpr const char* kPlacedProperty = "kvPlaced";
constexpr const char* kResizableProperty = "kvResizable";

QPointer<QWidget> g_main;
QPointer<QWidget> g_last;   // the window shown or activated last
QPointer<QWidget> g_input;  // the window of the last press of a mouse button or key

// Windows of the program the placement looks after: top-level, not a dialog
// (Qt places those over their parent), not a popup or tool tip.
bool isProgramWindow(const QWidget* w) {
    if (!w || !w->isWindow() || qobject_cast<const QDialog*>(w)) return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Widget;
}

QRect availableAt(const QPoint& p) {
    QScreen* s = QGuiApplication::screenAt(p);
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void place(QWidget* w) {
    QRect over;
    if (w != g_main && g_main && g_main->isVisible())
        over = g_main->frameGeometry();
    const QRect available = availableAt(over.isValid() ? over.center() : QPoint());
    if (!over.isValid()) over = available;
    if (!w->property(kResizableProperty).toBool()) {
        if (w->layout()) {
            // Laid-out contents follow the size: a window larger than the screen is cut to it.
            const QSize margins = w->frameGeometry().size().expandedTo(w->size()) - w->size();
            w->setFixedSize(w->size().boundedTo(available.size() - margins));
        } else {
            w->setFixedSize(w->size());
            // Text boxes at fixed places are sized for their texts with a thin inner margin.
            for (QPlainTextEdit* t : w->findChildren<QPlainTextEdit*>()) t->document()->setDocumentMargin(1);
        }
    }
    if (w->testAttribute(Qt::WA_Moved)) return;  // placed by its own code
    // The frame is not known before the window is first mapped; the client size stands for it.
    const QSize frame = w->frameGeometry().size().expandedTo(w->size());
    w->move(placedTopLeft(frame, over, available));
}

class PlacementFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        const QEvent::Type type = e->type();
        if (type != QEvent::Show && type != QEvent::WindowActivate && type != QEvent::MouseButtonPress &&
            type != QEvent::KeyPress)
            return false;
        if (!o->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(o);
        if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress) {
            if (isProgramWindow(w->window())) g_input = w->window();
            return false;
        }
        if (!isProgramWindow(w)) return false;
        g_last = w;
        if (e->type() == QEvent::Show && !w->property(kPlacedProperty).toBool()) {
            w->setProperty(kPlacedProperty, true);
            place(w);
        }
        return false;
    }
};

}  // namespace

void installWindowPlacement(QWidget* mainWindow) {
    static PlacementFilter* filter = nullptr;
    g_main = mainWindow;
    if (!filter && qApp) {
        filter = new PlacementFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

QWidget* mainWindow() { return g_main.data(); }

void setResizable(QWidget* w) {
    if (w) w->setProperty(kResizableProperty, true);
}

QPoint placedTopLeft(QSize size, const QRect& over, const QRect& available) {
    int x = over.x() + (over.width() - size.width()) / 2;
    int y = over.y() + (over.height() - size.height()) / 2;
    x = std::max(available.left(), std::min(x, available.right() + 1 - size.width()));
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - size.height()));
    return {x, y};
}

QWidget* messageOwner(QObject* context) {
    for (QObject* o = context; o; o = o->parent()) {
        if (!o->isWidgetType()) continue;
        QWidget* w = static_cast<QWidget*>(o)->window();
        if (w->isVisible()) return w;
        break;
    }
    if (g_input && g_input->isVisible()) return g_input;
    QWidget* active = QApplication::activeWindow();
    // A message box that is up already hands its owner on.
    while (active && qobject_cast<QDialog*>(active) && active->parentWidget()) active = active->parentWidget()->window();
    if (active && !qobject_cast<QDialog*>(active)) return active;
    if (g_last && g_last->isVisible()) return g_last;
    return g_main.data();
}

}  // namespace kv::qt
