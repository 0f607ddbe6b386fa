#pragma once

#include <QIcon>

namespace zamrit {

// Icon 128: the six face of a die, in 32 × 32 and 16 × 16 pixels of 16 colours.
class AppIcon {
public:
    static QIcon Icon();
};

}  // namespace zamrit
