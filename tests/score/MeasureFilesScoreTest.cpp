#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/Composition.h"
#include "app/MeasureOrder.h"
#include "melody/MobileCommand.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "score/LilyPondWriter.h"
#include "score/PitchSpeller.h"
#include "score/ScoreBuilder.h"
#include "support/ScopedWorkingFolder.h"

namespace zamrit {
namespace {

using StartAndKey = std::pair<std::int32_t, std::int32_t>;

// One bar of the part the file belongs to, in the part's key and metre.
score::ScoreLayout OneBarLayout(const std::string& name) {
    const std::string part = name.substr(0, 2);
    if (part == "MN") return {"", 120, {{"", 0, 3, false, 0, 1, 1}}};
    if (part == "TR") return {"", 120, {{"", -1, 3, false, 0, 1, 1}}};
    return {"", 132, {{"", 1, 2, false, 0, 1, 1}}};
}

std::vector<StartAndKey> NotesOf(const MobileChannelData& list) {
    std::vector<StartAndKey> notes;
    std::int32_t tick = 0;
    for (const auto& event : list.Events()) {
        tick += event.delta;
        if (event.kind == kNoteEvent) notes.emplace_back(tick, event.key);
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

// The starts and keys the notation gives back: every note or chord that does not continue a
// tie starts a sound.
std::vector<StartAndKey> WrittenNotes(const score::VoiceBar& voice) {
    std::vector<StartAndKey> notes;
    for (const score::Element& element : voice.elements) {
        if (element.tiedFromPrevious) continue;
        for (const score::Pitch& pitch : element.pitches) {
            notes.emplace_back(element.start, score::PitchSpeller::MidiKey(pitch));
        }
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

class MeasureFilesScoreTest : public ::testing::Test {
protected:
    testing::ScopedWorkingFolder inMeasures_{ZAMRIT_MEASURE_DIR};
};

// Every measure the dice can choose, written through the same path Play takes: each voice's
// values fill exactly one bar, one after the other, each a value LilyPond can name, and the
// notation gives back every note's start and key.
TEST_F(MeasureFilesScoreTest, EveryMeasureIsWrittenWithoutLoss) {
    const std::vector<std::string> names = AllMeasureFileNames();
    ASSERT_EQ(names.size(), 448U);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        MFiData composed(4, 0x60000);
        AppendMeasures(std::vector<std::string>{name}, composed);
        MobileData melody(0x60000);
        composed.ToMobileData(melody);
        const score::ScoreLayout layout = OneBarLayout(name);
        const score::Score written = score::ScoreBuilder::Build(melody, layout);
        ASSERT_EQ(written.sections.size(), 1U);
        const score::Section& section = written.sections.front();
        ASSERT_EQ(section.bars.size(), 1U);
        ASSERT_EQ(written.channels.size(), 3U);  // melody, bass and inner voice

        for (std::size_t v = 0; v < written.channels.size(); ++v) {
            const score::VoiceBar& voice = section.bars.front().voices[v];
            std::int32_t position = 0;
            for (const score::Element& element : voice.elements) {
                EXPECT_EQ(element.start, position);
                EXPECT_TRUE(element.wholeBarRest || !score::LilyPondWriter::DurationText(element.ticks).empty())
                    << element.ticks;
                position += element.ticks;
            }
            EXPECT_EQ(position, section.BarTicks()) << "voice " << v;
            EXPECT_EQ(WrittenNotes(voice), NotesOf(melody.Channel(written.channels[v]))) << "voice " << v;
        }
    }
}

}  // namespace
}  // namespace zamrit
