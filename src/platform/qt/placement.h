// Where the program's windows open, how big they stay, and which window a
// message box belongs to. Installed once for the whole program, so every
// window gets it without doing anything:
// - the main window (the main menu) opens centred on its screen;
// - every other window opens centred over the main window; one whose frame
//   would open with its top-left corner on or next to another window's opens
//   a step lower and to the right, or, where the screen ends, sideways, lower
//   or back up;
// - every window's frame (title bar and borders included) lies wholly inside
//   the available geometry of its screen. A window manager adds the frame only
//   once the window is mapped: until then room is left for the frame the
//   window manager gave last (at first, for a title bar and borders), and the
//   window is placed again as soon as its own frame is known;
// - a window whose controls sit at fixed places and that is larger than the
//   screen shows them in a scroll area of the screen's size; one whose
//   controls follow its size (setControlsFollowSize) is cut to the screen;
// - every window keeps the size it opens with: one whose controls sit at
//   fixed places (no layout) its designed size, a laid-out one its designed
//   size cut to the screen; a window the user may resize says so with
//   setResizable(w) before it is first shown.
// Dialogs and message boxes are placed by Qt over their parent window.
#pragma once
#include <QRect>
#include <QSize>
#include <QWidget>

namespace kv::qt {

// Installs the placement for the application; `mainWindow` is the main menu.
void installWindowPlacement(QWidget* mainWindow);
QWidget* mainWindow();

// The window keeps the size the user gives it (see above).
void setResizable(QWidget* w);
// The window keeps its controls inside itself when it is cut to the screen,
// as a laid-out one does (see above); before it is first shown.
void setControlsFollowSize(QWidget* w);

// The top-left corner of a window of `size` centred over `over` and moved
// wholly inside `available` (its top-left corner stays inside when it is larger).
QPoint placedTopLeft(QSize size, const QRect& over, const QRect& available);

// Moves a window to the middle of its screen's available geometry (wholly on it).
void centreOnScreen(QWidget* w);

// The window that owns a message box raised now: the window of `context` (the
// background job that raised it, see backgroundContext()) when it is on
// screen, else the window whose control the user pressed last, else the active
// window, else the window shown or raised last, else the main window (null
// when there is none). Called on the GUI thread.
QWidget* messageOwner(QObject* context = nullptr);

}  // namespace kv::qt
