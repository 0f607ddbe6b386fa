#include "tools/measures/MeasureStyle.h"

namespace zamrit::measures {
namespace {

constexpr Chord I{0, false};
constexpr Chord ii{1, false};
constexpr Chord IV{3, false};
constexpr Chord V{4, false};
constexpr Chord V7{4, true};
constexpr Chord vi{5, false};

// General MIDI programs (counted from 0).
constexpr std::uint8_t kHarpsichord = 6;
constexpr std::uint8_t kViolin = 40;
constexpr std::uint8_t kPizzicato = 45;
constexpr std::uint8_t kStrings = 48;
constexpr std::uint8_t kFlute = 73;

// Figures of a 3/4 bar (12 sixteenths): arpeggios, runs, neighbour and passing notes,
// repeated notes, held notes, turns, dotted rhythms.
const std::vector<Figure> kTripleFigures{
    {{4, 0}, {4, 2}, {4, 4}},
    {{4, 7}, {4, 4}, {4, 2}},
    {{2, 4}, {2, 2}, {2, 0}, {2, 2}, {2, 4}, {2, 7}},
    {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {4, 4}},
    {{2, 9}, {2, 8}, {2, 7}, {2, 4}, {4, 2}},
    {{4, 4}, {2, 5}, {2, 4}, {4, 2}},
    {{2, 4}, {2, 4}, {4, 4}, {4, 2}},
    {{8, 4}, {4, 2}},
    {{1, 4}, {1, 5}, {1, 4}, {1, 3}, {4, 2}, {4, 0}},
    {{4, 2}, {2, 3}, {2, 4}, {4, 7}},
    {{6, 4}, {2, 2}, {4, 0}},
};

const std::vector<Figure> kTripleCadences{
    {{12, 0}},
    {{4, 2}, {8, 0}},
    {{4, 4}, {4, 2}, {4, 0}},
    {{2, 2}, {2, 1}, {8, 0}},
    {{4, 4}, {8, 7}},
    {{2, 4}, {2, 3}, {2, 2}, {2, 1}, {4, 0}},
    {{6, 2}, {2, 1}, {4, 0}},
    {{2, 9}, {2, 8}, {4, 7}, {4, 7}},
    {{1, 2}, {1, 3}, {1, 2}, {1, 1}, {8, 0}},
    {{4, 4}, {2, 3}, {2, 2}, {4, 0}},
    {{2, 7}, {2, 4}, {2, 2}, {2, 4}, {4, 0}},
};

// The trio sings: longer notes, held and tied over the beat.
const std::vector<Figure> kTrioFigures{
    {{8, 4}, {4, 2}},
    {{4, 2}, {4, 4}, {4, 7}},
    {{6, 4}, {2, 5}, {4, 4}},
    {{12, 2}},
    {{4, 7}, {8, 4}},
    {{2, 4}, {2, 3}, {4, 2}, {4, 4}},
};

const std::vector<Figure> kTrioCadences{
    {{12, 0}},
    {{4, 2}, {8, 0}},
    {{4, 4}, {4, 2}, {4, 0}},
    {{6, 2}, {2, 1}, {4, 0}},
    {{4, 4}, {8, 7}},
    {{2, 2}, {2, 1}, {8, 0}},
};

// Figures of a 2/4 bar (8 sixteenths).
const std::vector<Figure> kDupleFigures{
    {{2, 0}, {2, 2}, {2, 4}, {2, 7}},
    {{2, 7}, {2, 4}, {2, 2}, {2, 4}},
    {{1, 4}, {1, 3}, {1, 2}, {1, 1}, {4, 0}},
    {{4, 4}, {4, 2}},
    {{2, 2}, {1, 3}, {1, 4}, {4, 7}},
    {{1, 7}, {1, 6}, {1, 7}, {1, 4}, {2, 2}, {2, 4}},
    {{2, 4}, {2, 4}, {2, 4}, {2, 2}},
    {{6, 4}, {2, 2}},
    {{1, 0}, {1, 2}, {1, 4}, {1, 7}, {1, 9}, {1, 7}, {1, 4}, {1, 2}},
    {{2, 4}, {1, 5}, {1, 4}, {4, 2}},
    {{3, 4}, {1, 2}, {4, 0}},
};

const std::vector<Figure> kDupleCadences{
    {{8, 0}},
    {{4, 2}, {4, 0}},
    {{2, 4}, {2, 2}, {4, 0}},
    {{1, 2}, {1, 1}, {1, 0}, {1, 1}, {4, 0}},
    {{2, 7}, {2, 4}, {4, 7}},
    {{3, 2}, {1, 1}, {4, 0}},
    {{1, 4}, {1, 3}, {1, 2}, {1, 1}, {4, 0}},
    {{4, 4}, {4, 7}},
    {{2, 2}, {2, 1}, {4, 0}},
    {{2, 9}, {2, 8}, {4, 7}},
    {{1, 7}, {1, 4}, {1, 2}, {1, 4}, {4, 0}},
};

// Minuet: C major, 3/4, crotchet 120, harpsichord.
const MeasureStyle kMinuet{
    "MN", 4, 0xC3, 48, 120, 3, 60, 74, 46, 60, Accompaniment::Waltz,
    {kHarpsichord, kHarpsichord, kHarpsichord}, {50, 42, 36}, {85, 90, 80},
    {I, V7, I, V, vi, IV, V7, I, V, V7, I, vi, IV, ii, V7, I},
    kTripleFigures, kTripleCadences};

// Trio: F major, 3/4, crotchet 120, flute over sustained strings.
const MeasureStyle kTrio{
    "TR", 4, 0xC3, 48, 120, 3, 65, 79, 50, 62, Accompaniment::Sustained,
    {kFlute, kStrings, kStrings}, {46, 34, 30}, {96, 98, 98},
    {I, IV, V7, I, I, ii, V7, I, V7, I, V7, I, IV, I, V7, I},
    kTrioFigures, kTrioCadences};

// Dance: G major, 2/4, crotchet 132, violin over pizzicato strings.
const MeasureStyle kDanceFirst{
    "DA", 5, 0xC4, 96, 132, 2, 67, 79, 48, 62, Accompaniment::March,
    {kViolin, kPizzicato, kPizzicato}, {48, 44, 36}, {80, 50, 50},
    {I, V7, I, V, I, IV, V7, I},
    kDupleFigures, kDupleCadences};

const MeasureStyle kDanceSecond{
    "DB", 5, 0xC4, 96, 132, 2, 67, 79, 48, 62, Accompaniment::March,
    {kViolin, kPizzicato, kPizzicato}, {48, 44, 36}, {80, 50, 50},
    {V7, I, V7, I, IV, I, V7, I},
    kDupleFigures, kDupleCadences};

}  // namespace

const MeasureStyle& MeasureStyle::ForPrefix(std::string_view prefix) {
    for (const MeasureStyle* style : {&kTrio, &kDanceFirst, &kDanceSecond}) {
        if (style->prefix == prefix) return *style;
    }
    return kMinuet;
}

}  // namespace zamrit::measures
