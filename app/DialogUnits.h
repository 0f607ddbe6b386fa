#pragma once

#include <QFont>
#include <QRect>

namespace zamrit {

// Dialog units of a dialog font turned into pixels: a horizontal unit is a quarter of the
// font's average character width, a vertical unit an eighth of its character height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    QRect ToPixels(int x, int y, int width, int height) const;
    int X(int units) const { return units * averageWidth_ / 4; }
    int Y(int units) const { return units * height_ / 8; }

private:
    int averageWidth_;
    int height_;
};

}  // namespace zamrit
