#pragma once

#include <cstdint>
#include <map>
#include <string_view>

namespace zamrit::score {

// A rectangle on an engraved page, in millimetres from the page's top left corner.
struct PageBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    bool operator==(const PageBox&) const = default;
};

// Where each bar lies on a page that LilyPond engraved from our LilyPond text, found from the
// point-and-click links it writes into its PostScript output. Every link names the line of
// the source that made the note or rest; the writer puts each bar of a voice on a line of its
// own that ends in "| % N", so a link's line is its bar. A bar's box spans the height of the
// system it stands in and reaches halfway to the bars beside it, about where its bar lines are.
class BarRegions {
public:
    // The boxes of the bars, by the bar numbers of the text. Bars without a link (no source
    // line, nothing engraved) are missing; text that is not PostScript from LilyPond gives none.
    static std::map<std::int32_t, PageBox> Find(std::string_view postScript, std::string_view lilyPondText);
};

}  // namespace zamrit::score
