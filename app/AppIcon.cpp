#include "app/AppIcon.h"

#include <QPixmap>

namespace zamrit {

QIcon AppIcon::Icon() {
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/icons/ZamritDiceGame-32.xpm")));
    icon.addPixmap(QPixmap(QStringLiteral(":/icons/ZamritDiceGame-16.xpm")));
    return icon;
}

}  // namespace zamrit
