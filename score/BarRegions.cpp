#include "score/BarRegions.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

namespace zamrit::score {
namespace {

// How far a box reaches past the notes at the ends of a system and above and below them, in
// staff spaces: about to the bar line and the staff lines.
constexpr double kEndMargin = 1.5;
constexpr double kVerticalMargin = 1.5;

// One point-and-click link: the rectangle of what the source line made, in staff spaces with
// the y axis upwards from the page's top edge, as LilyPond draws.
struct Link {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::int32_t line = 0;
};

// A box in staff spaces, y downwards from the top of the page.
struct Box {
    double left, top, right, bottom;
};

std::string_view SkipSpaces(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view{} : text.substr(start);
}

std::optional<double> ReadNumber(std::string_view& text) {
    text = SkipSpaces(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{}) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

std::optional<std::int32_t> ReadInteger(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The size of the drawing unit, the staff space, from "/output-scale 1.7572990175729903 def".
std::optional<double> MillimetresPerUnit(std::string_view postScript) {
    constexpr std::string_view kName = "/output-scale ";
    const std::size_t at = postScript.find(kName);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = postScript.substr(at + kName.size());
    const std::optional<double> scale = ReadNumber(rest);
    if (!scale || !(*scale > 0)) return std::nullopt;
    return scale;
}

// The source line of a link "textedit:///folder/score.ly:LINE:COLUMN:COLUMN".
std::optional<std::int32_t> SourceLine(std::string_view uri) {
    constexpr std::string_view kScheme = "textedit://";
    if (!uri.starts_with(kScheme)) return std::nullopt;
    std::size_t end = uri.size();
    for (int field = 0; field < 2; ++field) {
        end = uri.rfind(':', end - 1);
        if (end == std::string_view::npos || end == 0) return std::nullopt;
    }
    const std::size_t start = uri.rfind(':', end - 1);
    if (start == std::string_view::npos) return std::nullopt;
    return ReadInteger(uri.substr(start + 1, end - start - 1));
}

// The links of lines "x1 y1 x2 y2 (URI) mark_URI".
std::vector<Link> ReadLinks(std::string_view postScript) {
    constexpr std::string_view kMark = ") mark_URI";
    std::vector<Link> links;
    for (std::size_t at = postScript.find(kMark); at != std::string_view::npos; at = postScript.find(kMark, at + 1)) {
        const std::size_t lineStart = postScript.rfind('\n', at) + 1;  // npos + 1 is 0
        std::string_view line = postScript.substr(lineStart, at - lineStart);
        const std::size_t open = line.find('(');
        if (open == std::string_view::npos) continue;
        std::string_view numbers = line.substr(0, open);
        const auto x1 = ReadNumber(numbers), y1 = ReadNumber(numbers), x2 = ReadNumber(numbers), y2 = ReadNumber(numbers);
        const auto sourceLine = SourceLine(line.substr(open + 1));
        if (!x1 || !y1 || !x2 || !y2 || !sourceLine) continue;
        links.push_back({std::min(*x1, *x2), std::min(*y1, *y2), std::max(*x1, *x2), std::max(*y1, *y2), *sourceLine});
    }
    return links;
}

// The bar of every source line that ends in "| % N".
std::map<std::int32_t, std::int32_t> BarsOfLines(std::string_view text) {
    constexpr std::string_view kBarEnd = "| % ";
    std::map<std::int32_t, std::int32_t> bars;
    std::int32_t lineNumber = 1;
    for (std::size_t start = 0; start <= text.size(); ++lineNumber) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
        const std::size_t mark = line.rfind(kBarEnd);
        if (mark != std::string_view::npos) {
            if (const auto bar = ReadInteger(line.substr(mark + kBarEnd.size()))) bars[lineNumber] = *bar;
        }
        start = end + 1;
    }
    return bars;
}

}  // namespace

std::map<std::int32_t, PageBox> BarRegions::Find(std::string_view postScript, std::string_view lilyPondText) {
    const std::optional<double> millimetres = MillimetresPerUnit(postScript);
    if (!millimetres) return {};
    const std::map<std::int32_t, std::int32_t> barOfLine = BarsOfLines(lilyPondText);

    // What each bar's notes and rests cover.
    std::map<std::int32_t, Box> notes;
    for (const Link& link : ReadLinks(postScript)) {
        const auto bar = barOfLine.find(link.line);
        if (bar == barOfLine.end()) continue;
        const Box box{link.x1, -link.y2, link.x2, -link.y1};
        const auto [entry, added] = notes.try_emplace(bar->second, box);
        if (added) continue;
        Box& all = entry->second;
        all = {std::min(all.left, box.left), std::min(all.top, box.top), std::max(all.right, box.right),
               std::max(all.bottom, box.bottom)};
    }

    // The bars in their order, a new system wherever the music goes back to the left.
    std::vector<std::vector<std::pair<std::int32_t, Box>>> systems;
    for (const auto& [bar, box] : notes) {
        if (systems.empty() || box.left < systems.back().back().second.left) systems.emplace_back();
        systems.back().emplace_back(bar, box);
    }

    std::map<std::int32_t, PageBox> regions;
    for (const auto& system : systems) {
        double top = system.front().second.top;
        double bottom = system.front().second.bottom;
        for (const auto& [bar, box] : system) {
            top = std::min(top, box.top);
            bottom = std::max(bottom, box.bottom);
        }
        for (std::size_t i = 0; i < system.size(); ++i) {
            const Box& box = system[i].second;
            const double left = i == 0 ? box.left - kEndMargin : (system[i - 1].second.right + box.left) / 2;
            const double right = i + 1 == system.size() ? box.right + kEndMargin : (box.right + system[i + 1].second.left) / 2;
            regions[system[i].first] = {left * *millimetres, (top - kVerticalMargin) * *millimetres,
                                        right * *millimetres, (bottom + kVerticalMargin) * *millimetres};
        }
    }
    return regions;
}

}  // namespace zamrit::score
