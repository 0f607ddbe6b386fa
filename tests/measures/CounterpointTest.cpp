// The part-writing rules on small passages, each written to break one rule (or none).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/measures/Counterpoint.h"

namespace zamrit::measures {
namespace {

constexpr std::int32_t kBeat = 96;
constexpr std::int32_t kBar = 3 * kBeat;

using Voice = std::vector<Counterpoint::Onset>;

// Quarter notes from beat `first`, one per key, each sounding nearly its whole beat.
Voice Quarters(std::vector<std::int32_t> keys, std::int32_t first = 0) {
    Voice voice;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        voice.push_back({static_cast<std::int32_t>(first + i) * kBeat, kBeat - 8, keys[i]});
    }
    return voice;
}

struct Case {
    std::string name;
    std::vector<Voice> first;   // melody, bass, inner voice of the first bar
    std::vector<Voice> second;  // of the bar after it
    std::vector<FaultKind> expected;
};

TEST(CounterpointTest, EachRuleFindsItsFaultAndOnlyIt) {
    const std::vector<Case> cases{
        {"contrary motion and steps: clean",
         {Quarters({76, 74, 72}), Quarters({48, 55, 52})}, {Quarters({71, 72, 74}), Quarters({55, 48, 55})}, {}},
        {"parallel fifths, melody over bass",
         {Quarters({67, 69, 71}), Quarters({48, 50, 52})}, {}, {FaultKind::Consecutive, FaultKind::Consecutive}},
        {"octaves by contrary motion count too",
         {Quarters({72, 79, 79}), Quarters({60, 55, 55})}, {},
         {FaultKind::Consecutive}},
        {"direct octave into the downbeat",
         {Quarters({67, 67, 71}), Quarters({48, 48, 43})}, {Quarters({72}), Quarters({48})},
         {FaultKind::DirectIntoDownbeat}},
        {"melodic tritone, seventh and leap past the octave",
         {Quarters({65, 71, 69}), Quarters({48})}, {Quarters({79, 64}), Quarters({48})},
         {FaultKind::ForbiddenLeap, FaultKind::ForbiddenLeap, FaultKind::ForbiddenLeap}},
        {"a sixth that goes on the same way",
         {Quarters({64, 72, 74}), Quarters({48})}, {}, {FaultKind::SixthNotTurning}},
        {"a dominant seventh that rises",
         {Quarters({74, 77, 79}), Quarters({43}), Quarters({59})}, {Quarters({79}), Quarters({48}), Quarters({60})},
         {FaultKind::SeventhNotFalling}},
        {"a leading tone that falls at V-I",
         {Quarters({74, 72, 71}), Quarters({43}), Quarters({62})}, {Quarters({67}), Quarters({36}), Quarters({64})},
         {FaultKind::LeadingToneNotRising}},
        {"the same V-I into a key the passage does not cadence in",
         {Quarters({74, 72, 71}), Quarters({43}), Quarters({62})}, {Quarters({67}), Quarters({36}), Quarters({64})},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::int32_t> tonics = c.name.starts_with("the same V-I") ? std::vector<std::int32_t>{7}
                                                                                      : std::vector<std::int32_t>{0};
        Passage passage = Counterpoint::Bar(c.first, kBeat, kBar, tonics);
        if (!c.second.empty()) passage = Counterpoint::Join(passage, Counterpoint::Bar(c.second, kBeat, kBar, tonics));
        std::vector<FaultKind> found;
        for (const Fault& fault : Counterpoint::Check(passage)) found.push_back(fault.kind);
        EXPECT_EQ(found, c.expected);
    }
}

TEST(CounterpointTest, ARestOfABeatBreaksTheLine) {
    // Fifths on beats 1 and 3 with a rest between: no consecutive fifths; without the rest
    // (the same notes held), the move is heard.
    const Voice detached{{0, 40, 67}, {2 * kBeat, 40, 69}};
    const Voice held{{0, 2 * kBeat - 8, 67}, {2 * kBeat, 40, 69}};
    EXPECT_TRUE(Counterpoint::Check(Counterpoint::Bar({detached, {{0, 40, 48}, {2 * kBeat, 40, 50}}}, kBeat, kBar)).empty());
    EXPECT_EQ(Counterpoint::Check(Counterpoint::Bar({held, {{0, 2 * kBeat - 8, 48}, {2 * kBeat, 40, 50}}}, kBeat, kBar)).size(), 1u);
}

}  // namespace
}  // namespace zamrit::measures
