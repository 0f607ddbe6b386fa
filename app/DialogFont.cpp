#include "app/DialogFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace zamrit {

void DialogFont::RegisterSubstitutes() {
    if (!QFontDatabase::families().contains(QString::fromLatin1(kSubstitute))) return;
    for (const char* family : {kFamily, "MS PGothic"}) {
        QFont::insertSubstitution(QString::fromUtf8(family), QString::fromLatin1(kSubstitute));
    }
}

QFont DialogFont::Font() {
    QFont font(QString::fromUtf8(kFamily), kPointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace zamrit
