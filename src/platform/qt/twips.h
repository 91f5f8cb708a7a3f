// Twips (1/1440 inch) to pixels: twips x DPI / 1440.
#pragma once
#include <QRect>
#include <QWidget>

namespace kv::qt {

inline int twipsToPixels(int twips, int dpi) {
    return static_cast<int>((static_cast<long long>(twips) * dpi + 720) / 1440);
}
// With the widget's logical DPI (96 when the widget has no screen yet).
int twipsToPixels(const QWidget* w, int twips);
// Places a child at left, top, width, height given in twips.
void placeTwips(QWidget* w, int left, int top, int width, int height);
// Sets a window's client size from twips.
void resizeTwips(QWidget* w, int width, int height);

}  // namespace kv::qt
