#pragma once

#include <QFont>

namespace zamrit {

// The dialogs' font, "ＭＳ Ｐゴシック" at 9 points. On Linux it is shown in IPA P Gothic, the
// metric-compatible face, where that is installed, else in the default font.
class DialogFont {
public:
    static constexpr const char* kFamily = "ＭＳ Ｐゴシック";
    static constexpr const char* kSubstitute = "IPAPGothic";
    static constexpr int kPointSize = 9;

    // Tells Qt which installed face stands for the dialog font (fontconfig would otherwise
    // pick an unrelated one). Call once the application object exists.
    static void RegisterSubstitutes();

    static QFont Font();
};

}  // namespace zamrit
