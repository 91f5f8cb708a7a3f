#include "platform/qt/fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>

namespace kv::qt {

QString japaneseFontFamily() {
    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    if (families.isEmpty()) return {};
    for (const char* preferred : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic", "IPAexGothic"})
        if (families.contains(QString::fromLatin1(preferred))) return QString::fromLatin1(preferred);
    for (const QString& f : families)
        if (f.contains(QLatin1String("Sans"), Qt::CaseInsensitive) || f.contains(QLatin1String("Gothic"))) return f;
    return families.front();
}

bool useJapaneseFont() {
    const QString current = QFontInfo(QApplication::font()).family();
    if (QFontDatabase::writingSystems(current).contains(QFontDatabase::Japanese)) return true;
    const QString family = japaneseFontFamily();
    if (family.isEmpty()) return false;
    QFont f = QApplication::font();
    f.setFamilies({family});
    QApplication::setFont(f);
    return true;
}

QString missingJapaneseFontNotice() {
    return QStringLiteral(
        "No installed font has Japanese characters: the texts of this program show as empty boxes. "
        "Install a Japanese font (on Debian: apt-get install fonts-noto-cjk) and start the program again.");
}

}  // namespace kv::qt
