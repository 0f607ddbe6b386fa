#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "score/DurationSplitter.h"
#include "score/PitchSpeller.h"

namespace zamrit {
namespace {

using score::DurationSplitter;
using score::Pitch;
using score::PitchSpeller;

struct SpellingCase {
    std::int32_t key;
    std::int32_t fifths;
    Pitch written;
};

TEST(PitchSpellerTest, KeyTonesByLetterOtherTonesAsRaisedDegreesOrLoweredSeventh) {
    const std::vector<SpellingCase> cases{
        {60, 0, {0, 0, 4}},    // C4 in C
        {66, 0, {3, 1, 4}},    // F#4 in C: raised fourth
        {70, 0, {6, -1, 4}},   // Bb4 in C: lowered seventh
        {70, -1, {6, -1, 4}},  // Bb4 in F: a key tone
        {71, -1, {6, 0, 4}},   // B4 in F: raised fourth, a natural
        {73, 1, {0, 1, 5}},    // C#5 in G: raised fourth
        {65, 1, {3, 0, 4}},    // F4 in G: lowered seventh, a natural
        {72, 2, {0, 0, 5}},    // C5 in D: lowered seventh
        {59, 0, {6, 0, 3}},    // B3: the octave of the letter
        {74, 6, {0, 2, 5}},    // D5 in F# major: raised fifth, C double sharp
        {48, -6, {0, 0, 3}},   // C3 in Gb major: raised fourth, C natural
    };
    for (const SpellingCase& c : cases) {
        const Pitch pitch = PitchSpeller::Spell(c.key, c.fifths);
        EXPECT_EQ(pitch, c.written) << "key " << c.key << " fifths " << c.fifths;
        EXPECT_EQ(PitchSpeller::MidiKey(pitch), c.key);
    }
}

TEST(PitchSpellerTest, EveryKeySpelledBackInEveryKeySignature) {
    for (std::int32_t fifths = -7; fifths <= 7; ++fifths) {
        for (std::int32_t key = 0; key <= 127; ++key) {
            EXPECT_EQ(PitchSpeller::MidiKey(PitchSpeller::Spell(key, fifths)), key) << key << " " << fifths;
        }
    }
}

struct SplitCase {
    std::int32_t start;
    std::int32_t length;
    std::vector<std::int32_t> sound;
    std::vector<std::int32_t> silence;
};

TEST(DurationSplitterTest, ValuesKeepToTheBeats) {
    const std::vector<SplitCase> cases{
        {0, 288, {288}, {192, 96}},           // a whole 3/4 bar
        {96, 192, {192}, {96, 96}},           // beats 2-3: a half note, two quarter rests
        {0, 144, {144}, {96, 48}},            // a dotted quarter on the beat
        {48, 144, {48, 96}, {48, 96}},        // off the beat: tied into the next beat
        {48, 48, {48}, {48}},
        {24, 72, {72}, {24, 48}},             // within one beat
        {72, 48, {24, 24}, {24, 24}},         // across a beat
        {0, 60, {48, 12}, {48, 12}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(DurationSplitter::Sound(c.start, c.length), c.sound) << c.start << "+" << c.length;
        EXPECT_EQ(DurationSplitter::Silence(c.start, c.length), c.silence) << c.start << "+" << c.length;
    }
}

TEST(DurationSplitterTest, OffTheGridTheValuesStillAddUp) {
    for (std::int32_t start = 0; start < 96; start += 5) {
        for (std::int32_t length = 1; length < 200; length += 7) {
            const auto sound = DurationSplitter::Sound(start, length);
            const auto silence = DurationSplitter::Silence(start, length);
            EXPECT_EQ(std::accumulate(sound.begin(), sound.end(), 0), length);
            EXPECT_EQ(std::accumulate(silence.begin(), silence.end(), 0), length);
        }
    }
}

}  // namespace
}  // namespace zamrit
