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
#include <QScrollArea>
#include <QStyle>

namespace kv::qt {

namespace {

constexpr const char* kPlacedProperty = "kvPlaced";
constexpr const char* kResizableProperty = "kvResizable";
constexpr int kCascade = 28;  // pixels a window opens away from one it would cover

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

// The room a window's frame takes around its client area: known once the
// window has been mapped; before that, room for a title bar and borders.
QSize frameMargins(const QWidget* w) {
    const QSize known = w->frameGeometry().size() - w->size();
    if (known.width() > 0 || known.height() > 0) return known.expandedTo(QSize(0, 0));
    return {16, 40};
}

// A window whose controls sit at fixed places and that is larger than the
// room on the screen keeps its controls in a scroll area of the room's size.
void scrollIntoRoom(QWidget* w, const QSize& room) {
    if (w->width() <= room.width() && w->height() <= room.height()) return;
    auto* inner = new QWidget;
    inner->setObjectName(QStringLiteral("kvScrolledContents"));
    inner->setFixedSize(w->size());
    for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (c->isWindow()) continue;
        const bool shown = !c->isHidden();
        const QRect g = c->geometry();
        c->setParent(inner);
        c->setGeometry(g);
        if (shown) c->show();
    }
    auto* area = new QScrollArea(w);
    area->setObjectName(QStringLiteral("kvScrollArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(inner);
    // Room for the scroll bar beside (below) the contents where the screen has it.
    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    QSize fit = w->size();
    if (fit.height() > room.height()) fit = QSize(fit.width() + bar, room.height());
    if (fit.width() > room.width()) fit = QSize(room.width(), std::min(fit.height() + bar, room.height()));
    fit = fit.boundedTo(room);
    w->setFixedSize(fit);
    area->setGeometry(0, 0, fit.width(), fit.height());
    area->show();
}

void place(QWidget* w) {
    QRect over;
    if (w != g_main && g_main && g_main->isVisible())
        over = g_main->frameGeometry();
    const QRect available = availableAt(over.isValid() ? over.center() : QPoint());
    if (!over.isValid()) over = available;
    const QSize margins = frameMargins(w);
    const QSize room = (available.size() - margins).expandedTo(QSize(1, 1));
    if (!w->property(kResizableProperty).toBool()) {
        if (w->layout()) {
            // Laid-out contents follow the size: a window larger than the screen is cut to it.
            w->setFixedSize(w->size().boundedTo(room));
        } else {
            scrollIntoRoom(w, room);
            w->setFixedSize(w->size());
            // Text boxes at fixed places are sized for their texts with a thin inner margin.
            for (QPlainTextEdit* t : w->findChildren<QPlainTextEdit*>()) t->document()->setDocumentMargin(1);
        }
    }
    if (w->testAttribute(Qt::WA_Moved)) return;  // placed by its own code
    const QSize frame = w->size() + margins;
    QPoint at = placedTopLeft(frame, over, available);
    // A window that would open exactly over another one opens a little lower and to the right.
    auto taken = [w](const QPoint& p) {
        for (QWidget* o : QApplication::topLevelWidgets())
            if (o != w && o->isVisible() && isProgramWindow(o) && o->pos() == p) return true;
        return false;
    };
    for (int i = 0; i < 32 && taken(at); ++i) {
        QPoint next = placedTopLeft(frame, QRect(at + QPoint(kCascade, kCascade), frame), available);
        if (next == at || taken(next)) {
            const QPoint back = placedTopLeft(frame, QRect(at - QPoint(kCascade, kCascade), frame), available);
            if (back != at && !taken(back)) next = back;
        }
        if (next == at) break;
        at = next;
    }
    w->move(at);
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

void centreOnScreen(QWidget* w) {
    const QRect available = availableAt(w->screen() ? w->screen()->geometry().center() : QPoint());
    const QSize frame = w->frameGeometry().size().expandedTo(w->size());
    w->move(placedTopLeft(frame, available, available));
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
