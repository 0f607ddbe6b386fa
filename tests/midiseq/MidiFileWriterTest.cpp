#include "midiseq/MidiFileWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include <unistd.h>

#include "MidiEvents.h"
#include "support/ShellCommand.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::Control;
using testing::Meta;
using testing::MidiEvent;
using testing::Lines;
using testing::TimedNote;

constexpr std::int32_t kCapacity = 0x60000;

std::vector<std::uint8_t> TrackBody(const std::vector<std::uint8_t>& file) {
    return {file.begin() + 22, file.end()};
}

TEST(MidiFileWriterTest, HeaderAndOneTrackChunk) {
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    sequence.track->AppendTempo(500000);
    sequence.track->AppendEndOfTrack(200);  // a two-byte delta
    const auto file = MidiFileWriter::Format0Bytes(sequence);
    EXPECT_THAT(file, ElementsAreArray<std::uint8_t>({
                          'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,  //
                          'M', 'T', 'r', 'k', 0, 0, 0, 12,                    //
                          0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,           //
                          0x81, 0x48, 0xFF, 0x2F, 0x00}));
}

TEST(MidiFileWriterTest, ChannelMessagesAndTheStoredExclusive) {
    MidiF0Data sequence(kCapacity);
    MidiTrackData& track = *sequence.track;
    track.InsertMasterVolume(100, 0);
    track.Append(MidiEvent(0, 0x90, 3, 60, 100));
    track.Append(MidiEvent(0x0FFFFFFF, 0x80, 3, 60, 64));  // the largest delta: four bytes
    track.Append(Control(0, 18, 7, 200));  // channel and value keep their low bits
    auto program = MidiEvent(0, 0xC0, 1);
    program.value = 5;
    track.Append(std::move(program));
    auto bend = MidiEvent(0, 0xE0, 2, 0x11);
    bend.value = 0x40;
    track.Append(std::move(bend));
    EXPECT_THAT(TrackBody(MidiFileWriter::Format0Bytes(sequence)),
                ElementsAreArray<std::uint8_t>({
                    0x00, 0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7,  //
                    0x00, 0x93, 60, 100,                                        //
                    0xFF, 0xFF, 0xFF, 0x7F, 0x83, 60, 64,                       //
                    0x00, 0xB2, 7, 0x48,                                        //
                    0x00, 0xC1, 5,                                              //
                    0x00, 0xE2, 0x11, 0x40,                                     //
                    0x00, 0xFF, 0x2F, 0x00}));  // an end of track is added
}

TEST(MidiFileWriterTest, EventsWithoutAFileFormPassOnTheirTime) {
    MidiF0Data sequence(kCapacity);
    sequence.timeSignature = 0x0608;
    MidiTrackData& track = *sequence.track;
    track.Append(MidiEvent(10, 0));                // empty
    track.Append(TimedNote(20, 60, 48));           // a note not yet finalised
    auto broken = MidiEvent(30, 0xF0);             // an exclusive without its length byte
    track.Append(std::move(broken));
    track.Append(MidiEvent(5, 0x90, 0, 60, 100));  // tick 65
    track.AppendEndOfTrack(0);
    track.Append(MidiEvent(7, 0x80, 0, 60, 64));   // after an end of track: still written
    EXPECT_THAT(TrackBody(MidiFileWriter::Format0Bytes(sequence)),
                ElementsAreArray<std::uint8_t>({
                    0x00, 0xFF, 0x58, 0x04, 6, 3, 18, 8,  // the sequence's own signature
                    65, 0x90, 60, 100,                    //
                    7, 0x80, 60, 64,                      //
                    0x00, 0xFF, 0x2F, 0x00}));
}

std::string RunMidicsv(const std::filesystem::path& file) {
    return testing::RunShellCommand(std::string(ZAMRIT_MIDICSV) + " '" + file.string() + "' 2>&1").out;
}

TEST(MidiFileWriterTest, AnIndependentReaderSeesTheSameEventsAndTimes) {
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    MidiTrackData& track = *sequence.track;
    track.AppendTempo(600000);
    track.Append(Meta(0, MidiTrackData::kTimeSignature, 0x0304));
    auto program = MidiEvent(0, 0xC0, 0);
    program.value = 19;
    track.Append(std::move(program));
    track.Append(Control(0, 0, 7, 100));
    track.Append(TimedNote(96, 60, 48));
    track.Append(TimedNote(48, 64, 200, 9, 90));
    auto bend = MidiEvent(0, 0xE0, 1, 0x00);
    bend.value = 0x50;
    track.Append(std::move(bend));
    track.AppendEndOfTrack(0);
    track.InsertMasterVolume(100, 0);
    sequence.Finalize();

    const auto path = std::filesystem::temp_directory_path() /
                      ("zamrit-writer-" + std::to_string(::getpid()) + ".mid");
    ASSERT_TRUE(MidiFileWriter::Write(sequence, path.string()));
    const std::string csv = RunMidicsv(path);
    std::filesystem::remove(path);
    EXPECT_THAT(Lines(csv),
                ElementsAre("0, 0, Header, 0, 1, 96", "1, 0, Start_track",
                            "1, 0, System_exclusive, 7, 127, 127, 4, 1, 0, 100, 247",
                            "1, 0, Tempo, 600000", "1, 0, Time_signature, 3, 2, 18, 8",
                            "1, 0, Program_c, 0, 19", "1, 0, Control_c, 0, 7, 100",
                            "1, 96, Note_on_c, 0, 60, 100", "1, 144, Note_off_c, 0, 60, 64",
                            "1, 144, Note_on_c, 9, 64, 90", "1, 144, Pitch_bend_c, 1, 10240",
                            "1, 344, Note_off_c, 9, 64, 64", "1, 344, End_track",
                            "0, 0, End_of_file"))
        << csv;
}

// A track whose first end of track comes before the last chord's note-offs, with a second one
// after them: the file keeps every note-off and ends once, at the last event's tick.
TEST(MidiFileWriterTest, EveryEventIsWrittenAndTheTrackEndsOnceAfterTheLast) {
    MidiF0Data sequence(kCapacity);
    sequence.division = 96;
    MidiTrackData& track = *sequence.track;
    track.Append(MidiEvent(0, 0x90, 0, 60, 100));
    track.Append(MidiEvent(0, 0x90, 0, 64, 100));
    track.AppendEndOfTrack(96);
    track.Append(MidiEvent(48, 0x80, 0, 60, 64));
    track.Append(MidiEvent(0, 0x80, 0, 64, 64));
    track.AppendEndOfTrack(24);

    const auto path = std::filesystem::temp_directory_path() /
                      ("zamrit-writer-end-" + std::to_string(::getpid()) + ".mid");
    ASSERT_TRUE(MidiFileWriter::Write(sequence, path.string()));
    const std::string csv = RunMidicsv(path);
    std::filesystem::remove(path);
    EXPECT_THAT(Lines(csv),
                ElementsAre("0, 0, Header, 0, 1, 96", "1, 0, Start_track",
                            "1, 0, Note_on_c, 0, 60, 100", "1, 0, Note_on_c, 0, 64, 100",
                            "1, 144, Note_off_c, 0, 60, 64", "1, 144, Note_off_c, 0, 64, 64",
                            "1, 168, End_track", "0, 0, End_of_file"))
        << csv;
}

TEST(MidiFileWriterTest, AFileThatCanNotBeWrittenIsSaid) {
    const MidiF0Data sequence(kCapacity);
    EXPECT_FALSE(MidiFileWriter::Write(sequence, "/nonexistent-folder/out.mid"));
}

}  // namespace
}  // namespace zamrit
