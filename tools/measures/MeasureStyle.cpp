#include "tools/measures/MeasureStyle.h"

#include <algorithm>

namespace zamrit::measures {

std::vector<std::int32_t> Chord::Tones() const {
    switch (quality) {
    case Quality::Major: return {0, 4, 7};
    case Quality::Minor: return {0, 3, 7};
    case Quality::DominantSeventh: return {0, 4, 7, 10};
    }
    return {0};
}

namespace {

using Q = Chord::Quality;
constexpr Chord I{0, Q::Major};
constexpr Chord ii6{2, Q::Minor, 3};
constexpr Chord IV{5, Q::Major};
constexpr Chord V{7, Q::Major};
constexpr Chord V7{7, Q::DominantSeventh};
constexpr Chord vi{9, Q::Minor};
// The dominant seventh of the dominant and the dominant itself as a new tonic.
constexpr Chord V7ofV{2, Q::DominantSeventh};
constexpr Chord IinV{7, Q::Major};

constexpr BarRole Move = BarRole::Moving;
constexpr BarRole Half = BarRole::HalfClose;
constexpr BarRole Close = BarRole::Close;

// General MIDI programs (counted from 0).
constexpr std::uint8_t kViolin = 40;
constexpr std::uint8_t kViola = 41;
constexpr std::uint8_t kCello = 42;
constexpr std::uint8_t kPizzicato = 45;
constexpr std::uint8_t kStrings = 48;
constexpr std::uint8_t kFlute = 73;

// MIDI keys of the melody's downbeat tones.
constexpr std::int32_t F4 = 65, G4 = 67, A4 = 69, Bb4 = 70, B4 = 71, C5 = 72, D5 = 74,
                       E5 = 76, F5 = 77, Fs5 = 78, G5 = 79;

// The phrase arch, in dB per bar: each four-bar phrase starts low, rises to its third bar and
// falls away onto its arrival; the second phrase of a period rises higher, into its cadence.
// Over the period's two halves the second again peaks higher (bar 15 against bar 7 of 16).
const std::vector<double> kPeriodArch{
    -2.5, -1.0, 0.5, -1.5,  -1.5, 0.5, 2.5, 0.0,  -2.0, -0.5, 1.0, -1.5,  -1.0, 1.0, 2.5, 0.5};
// The same for the period that ends the piece: its last bar dies away with the ritardando.
const std::vector<double> kClosingPeriodArch{
    -2.5, -1.0, 0.5, -1.5,  -1.5, 0.5, 2.5, 0.0,  -2.0, -0.5, 1.0, -1.5,  -1.0, 1.0, 2.5, -0.5};
// The dance's eight-bar strains: two phrases, the second rising into the cadence.
const std::vector<double> kStrainArch{-2.5, -1.0, 0.5, -1.5, -1.5, 0.5, 2.5, 0.0};
const std::vector<double> kClosingStrainArch{-2.0, -0.5, 1.0, -1.0, -1.0, 1.0, 2.5, -0.5};

// Minuet in C major, 3/4, a string trio: a period of 4 + 4 bars closing in G, then 4 + 4 bars back home.
// Bars 4 and 12 rest on the dominant, bar 8 on G as a new tonic, bar 16 on C.
const MeasureStyle kMinuet{
    "MN", 4, 0xC3, 48, 120, 3, 60, 11, {G4, 81}, {36, 55}, {52, 67}, Accompaniment::Waltz,
    {kViolin, kCello, kViola}, {56, 54, 50}, {52, 40, 40}, {80, 92, 85},
    {
        {I, E5, Move, 0},    {V7, F5, Move, 0},   {I, E5, Move, 0},    {V, D5, Half, 0},
        {I, E5, Move, 0},    {vi, E5, Move, 0},   {V7ofV, Fs5, Move, 7}, {IinV, G5, Close, 7},
        {V7, F5, Move, 0},   {I, E5, Move, 0},    {IV, F5, Move, 0},   {V, D5, Half, 0},
        {I, E5, Move, 0},    {ii6, D5, Move, 0},  {V7, D5, Move, 0},   {I, C5, Close, 0},
    },
    {0.0, 2.0, false, kPeriodArch}};

// Trio in F major, 3/4: the same plan in a singing voice, closing in C at bar 8 and rising
// to the tonic at the end.
const MeasureStyle kTrio{
    "TR", 4, 0xC3, 48, 120, 3, 65, 6, {F4, 81}, {36, 55}, {52, 70}, Accompaniment::Sustained,
    {kFlute, kStrings, kStrings}, {54, 50, 46}, {55, 44, 40}, {95, 98, 98},
    {
        {I, C5, Move, 0},    {V7, Bb4, Move, 0},  {I, A4, Move, 0},    {V, G4, Half, 0},
        {I, A4, Move, 0},    {vi, F5, Move, 0},   {V7ofV, D5, Move, 7}, {IinV, C5, Close, 7},
        {V7, Bb4, Move, 0},  {I, A4, Move, 0},    {IV, D5, Move, 0},   {V, C5, Half, 0},
        {I, C5, Move, 0},    {IV, D5, Move, 0},   {V7, E5, Move, 0},   {I, F5, Close, 0},
    },
    {-2.0, 1.5, true, kClosingPeriodArch}};

// Dance in G major, 2/4. The first part closes in D at bar 8, from where it goes back to its
// own bar 1 or on to the second part, which closes in G.
const MeasureStyle kDanceFirst{
    "DA", 5, 0xC4, 96, 132, 2, 67, 11, {G4, 86}, {38, 57}, {55, 71}, Accompaniment::March,
    {kViolin, kPizzicato, kPizzicato}, {56, 54, 52}, {51, 39, 39}, {65, 50, 50},
    {
        {I, D5, Move, 0},    {V7, C5, Move, 0},   {I, B4, Move, 0},    {V, A4, Half, 0},
        {I, B4, Move, 0},    {vi, G5, Move, 0},   {V7ofV, E5, Move, 7}, {IinV, D5, Close, 7},
    },
    {-1.0, 2.0, false, kStrainArch}};

const MeasureStyle kDanceSecond{
    "DB", 5, 0xC4, 96, 132, 2, 67, 11, {G4, 86}, {38, 57}, {55, 71}, Accompaniment::March,
    {kViolin, kPizzicato, kPizzicato}, {56, 54, 52}, {51, 39, 39}, {65, 50, 50},
    {
        {V7, C5, Move, 0},   {I, B4, Move, 0},    {IV, E5, Move, 0},   {V, D5, Half, 0},
        {I, D5, Move, 0},    {IV, E5, Move, 0},   {V7, Fs5, Move, 0},  {I, G5, Close, 0},
    },
    {1.0, 2.0, true, kClosingStrainArch}};

}  // namespace

std::vector<std::int32_t> MeasureStyle::Tonics() const {
    std::vector<std::int32_t> tonics;
    for (const BarPlan& bar : bars) {
        const std::int32_t tonicClass = (tonic + bar.localTonic) % 12;
        if (std::find(tonics.begin(), tonics.end(), tonicClass) == tonics.end()) tonics.push_back(tonicClass);
    }
    return tonics;
}

const MeasureStyle& MeasureStyle::ForPrefix(std::string_view prefix) {
    for (const MeasureStyle* style : All()) {
        if (style->prefix == prefix) return *style;
    }
    return kMinuet;
}

std::array<const MeasureStyle*, 4> MeasureStyle::All() {
    return {&kMinuet, &kTrio, &kDanceFirst, &kDanceSecond};
}

}  // namespace zamrit::measures
