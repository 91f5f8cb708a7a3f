#include "platform/qt/placement.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMargins>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>

#ifdef KV_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace kv::qt {

namespace {

constexpr const char* kPlacedProperty = "kvPlaced";
constexpr const char* kResizableProperty = "kvResizable";
constexpr const char* kFollowsSizeProperty = "kvFollowsSize";
constexpr const char* kDesignedProperty = "kvDesignedSize";  // the size it was first shown with
constexpr const char* kOwnPlaceProperty = "kvOwnPlace";  // moved by its own code before it was shown
constexpr const char* kFrameAtProperty = "kvFrameAt";  // where its frame was put
constexpr int kCascade = 28;  // pixels a window opens away from one it would cover

QPointer<QWidget> g_main;
QPointer<QWidget> g_last;   // the window shown or activated last
QPointer<QWidget> g_input;  // the window of the last press of a mouse button or key
// The frame a window manager puts around a window: the last one seen, and
// before any was seen, room for a title bar and borders.
QMargins g_frame(8, 32, 8, 8);

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

// The frame an X window manager has announced for the window
// (_NET_FRAME_EXTENTS); none elsewhere or before it has framed the window.
// Read from the server each time: Qt may keep a frame it saw before the
// window manager had made it.
std::optional<QMargins> announcedFrame(const QWidget* w) {
#if defined(KV_HAVE_XCB) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    const WId id = w->internalWinId();
    if (!x11 || !x11->connection() || !id) return std::nullopt;
    xcb_connection_t* c = x11->connection();
    static xcb_connection_t* atomOn = nullptr;
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atomOn != c) {
        static const char name[] = "_NET_FRAME_EXTENTS";
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
        atom = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(r);
        atomOn = c;
    }
    if (atom == XCB_ATOM_NONE) return std::nullopt;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, static_cast<xcb_window_t>(id), atom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    std::optional<QMargins> m;
    if (r && r->type == XCB_ATOM_CARDINAL && r->format == 32 && xcb_get_property_value_length(r) == 16) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
        m = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
    }
    std::free(r);
    return m;
#else
    (void)w;
    return std::nullopt;
#endif
}

// The frame around the window as the window manager gave it, none when it
// has given none yet (before the window is mapped).
std::optional<QMargins> givenFrame(const QWidget* w) {
    if (auto m = announcedFrame(w)) return m;
    const QRect f = w->frameGeometry(), g = w->geometry();
    if (f == g) return std::nullopt;
    return QMargins(std::max(0, g.left() - f.left()), std::max(0, g.top() - f.top()),
                    std::max(0, f.right() - g.right()), std::max(0, f.bottom() - g.bottom()));
}

// The room the window's frame takes around its client area: as the window
// manager gave it, or as it gave it to the last window it framed.
QMargins frameMargins(const QWidget* w) {
    if (auto m = givenFrame(w)) g_frame = *m;
    return g_frame;
}

QSize marginsSize(const QMargins& m) { return {m.left() + m.right(), m.top() + m.bottom()}; }

// Where a window's frame is: as the window manager has it, or, until the
// window is framed, where the placement put it.
QPoint frameTopLeft(const QWidget* w) {
    if (auto m = givenFrame(w)) return w->geometry().marginsAdded(*m).topLeft();
    const QVariant placed = w->property(kFrameAtProperty);
    return placed.isValid() ? placed.toPoint() : w->geometry().topLeft();
}

// A window whose controls sit at fixed places and that is larger than the
// room on the screen keeps its controls in a scroll area of the room's size
// (made once; sized again when the room changes).
void scrollIntoRoom(QWidget* w, const QSize& designed, const QSize& room) {
    auto* area = w->findChild<QScrollArea*>(QStringLiteral("kvScrollArea"), Qt::FindDirectChildrenOnly);
    if (!area) {
        if (designed.width() <= room.width() && designed.height() <= room.height()) {
            w->setFixedSize(designed);
            return;
        }
        auto* inner = new QWidget;
        inner->setObjectName(QStringLiteral("kvScrolledContents"));
        inner->setFixedSize(designed);
        for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (c->isWindow()) continue;
            const bool shown = !c->isHidden();
            const QRect g = c->geometry();
            c->setParent(inner);
            c->setGeometry(g);
            if (shown) c->show();
        }
        area = new QScrollArea(w);
        area->setObjectName(QStringLiteral("kvScrollArea"));
        area->setFrameShape(QFrame::NoFrame);
        area->setWidget(inner);
        area->show();
    }
    // Room for the scroll bar beside (below) the contents where the screen has it.
    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    QSize fit = designed;
    if (fit.height() > room.height()) fit = QSize(fit.width() + bar, room.height());
    if (fit.width() > room.width()) fit = QSize(room.width(), std::min(fit.height() + bar, room.height()));
    fit = fit.boundedTo(room);
    w->setFixedSize(fit);
    area->setGeometry(0, 0, fit.width(), fit.height());
}

// The window's size for the room on the screen (see the header).
void fitIntoRoom(QWidget* w, const QSize& room) {
    if (w->property(kResizableProperty).toBool()) return;
    QVariant designed = w->property(kDesignedProperty);
    const bool first = !designed.isValid();
    if (first) {
        designed = w->size();
        w->setProperty(kDesignedProperty, designed);
    }
    if (w->layout() || w->property(kFollowsSizeProperty).toBool()) {
        // Laid-out contents follow the size: a window larger than the screen is cut to it.
        w->setFixedSize(designed.toSize().boundedTo(room));
        return;
    }
    scrollIntoRoom(w, designed.toSize(), room);
    // Text boxes at fixed places are sized for their texts with a thin inner margin.
    if (first)
        for (QPlainTextEdit* t : w->findChildren<QPlainTextEdit*>()) t->document()->setDocumentMargin(1);
}

// The first place from `at` on where the frame's top-left corner is not on or
// next to another window's (whose title bar it would then cover): a step down
// and to the right, and where the screen ends there, sideways, down, or back
// up and to the left.
QPoint cascaded(const QWidget* w, QPoint at, const QSize& frame, const QRect& available) {
    auto taken = [w](const QPoint& p) {
        for (QWidget* o : QApplication::topLevelWidgets()) {
            if (o == w || !o->isVisible() || !isProgramWindow(o)) continue;
            const QPoint d = frameTopLeft(o) - p;
            if (std::abs(d.x()) < kCascade / 2 && std::abs(d.y()) < kCascade / 2) return true;
        }
        return false;
    };
    if (!taken(at)) return at;
    static const QPoint directions[] = {{1, 1}, {1, 0}, {0, 1}, {1, -1}, {-1, 1}, {-1, -1}, {-1, 0}, {0, -1}};
    for (const QPoint& d : directions)
        for (int step = 1; step <= 32; ++step) {
            const QPoint next = placedTopLeft(frame, QRect(at + d * (kCascade * step), frame), available);
            if (!taken(next)) return next;
        }
    return at;
}

// Puts the window's frame (with the margins it has or is expected to have) at `at`.
void moveFrameTo(QWidget* w, const QPoint& at, const QMargins& margins) {
    w->setProperty(kFrameAtProperty, at);
    // move() places the frame where Qt knows it, else the client area.
    const QPoint client = at + QPoint(margins.left(), margins.top());
    const QPoint target = client - (w->geometry().topLeft() - w->pos());
    if (target != w->pos()) w->move(target);
}

void place(QWidget* w) {
    QRect over;
    if (w != g_main && g_main && g_main->isVisible())
        over = QRect(frameTopLeft(g_main), g_main->size() + marginsSize(frameMargins(g_main)));
    const QRect available = availableAt(over.isValid() ? over.center() : QPoint());
    if (!over.isValid()) over = available;
    const QMargins margins = frameMargins(w);
    fitIntoRoom(w, (available.size() - marginsSize(margins)).expandedTo(QSize(1, 1)));
    if (w->property(kOwnPlaceProperty).toBool()) return;  // placed by its own code
    const QSize frame = w->size() + marginsSize(margins);
    moveFrameTo(w, cascaded(w, placedTopLeft(frame, over, available), frame, available), margins);
}

// A window manager frames a window once it is mapped, with a frame the
// placement could only guess at before: the window is placed again when its
// frame is known (at once where the frame is known from the start), and again
// in the first second when the frame still changes or the window is not where
// it was put (a move asked for while the window manager was still mapping the
// window may be lost); a few times at most, so as not to fight a window
// manager that places windows itself.
void placeAgainWhenFramed(QWidget* w) {
    auto* timer = new QTimer(w);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, w,
                     [w, timer, ticks = 0, framedTicks = 0, placings = 0, used = QMargins()]() mutable {
                         const std::optional<QMargins> given = givenFrame(w);
                         if (given && w->isVisible()) {
                             const QVariant at = w->property(kFrameAtProperty);
                             const bool moved = at.isValid() && at.toPoint() != frameTopLeft(w);
                             if (framedTicks++ == 0 || ((*given != used || moved) && placings < 8)) {
                                 place(w);
                                 ++placings;
                             }
                             used = *given;
                         }
                         if (framedTicks > 100 || ++ticks > 1000) {
                             timer->stop();
                             timer->deleteLater();
                         }
                     });
    timer->start();
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
            if (w->testAttribute(Qt::WA_Moved)) w->setProperty(kOwnPlaceProperty, true);
            place(w);
            placeAgainWhenFramed(w);
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

void setControlsFollowSize(QWidget* w) {
    if (w) w->setProperty(kFollowsSizeProperty, true);
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
