#include "platform/qt/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace kv::qt {

int twipsToPixels(const QWidget* w, int twips) {
    int dpi = 96;
    if (w) dpi = w->logicalDpiX();
    else if (auto* s = QGuiApplication::primaryScreen()) dpi = static_cast<int>(s->logicalDotsPerInchX());
    if (dpi <= 0) dpi = 96;
    return twipsToPixels(twips, dpi);
}

void placeTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twipsToPixels(w, left), twipsToPixels(w, top), twipsToPixels(w, width), twipsToPixels(w, height));
}

void resizeTwips(QWidget* w, int width, int height) {
    w->resize(twipsToPixels(w, width), twipsToPixels(w, height));
}

}  // namespace kv::qt
