#include "app/DialogUnits.h"

#include <QFontMetrics>

namespace zamrit {
namespace {

// The average width of the 52 Latin letters, rounded, as dialog layouts measure it.
int AverageCharacterWidth(const QFontMetrics& metrics) {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    averageWidth_ = AverageCharacterWidth(metrics);
    height_ = metrics.height();
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

}  // namespace zamrit
