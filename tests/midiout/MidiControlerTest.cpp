#include "midiout/MidiControler.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "PlaybackFixture.h"

namespace zamrit {
namespace {

using testing::PlaybackTest;
using Lines = std::vector<std::string>;

class MidiControlerTest : public PlaybackTest {};

TEST_F(MidiControlerTest, SendsTheBytesOfEveryMessage) {
    MidiControler controler(-1);
    ASSERT_TRUE(controler.IsOpen());
    controler.SendGeneralMidiOn();
    EXPECT_TRUE(controler.NoteOn(60, 200, 0));   // velocity above 127 goes out as 127
    EXPECT_TRUE(controler.NoteOn(61, 127, 15));
    EXPECT_TRUE(controler.NoteOff(60, 0));       // note-off velocity is always 0
    controler.ProgramChange(5, 9);
    EXPECT_TRUE(controler.SendShortMessage(100, 7, 0xB2));
    EXPECT_TRUE(controler.SendShortMessage(0x40, 0x00, 0xE1));
    controler.Close();
    EXPECT_FALSE(controler.IsOpen());
    EXPECT_FALSE(controler.NoteOn(60, 100, 0));

    EXPECT_EQ(device.Messages(), (Lines{"F0 7E 7F 09 01 F7", "90 3C 7F", "9F 3D 7F", "80 3C 00", "C9 05",
                                        "B2 07 64", "E1 00 40", "reset", "close"}));
    EXPECT_TRUE(reports.Lines().empty());
}

TEST_F(MidiControlerTest, ExclusiveDropsTheStoredLengthByteOfF0Records) {
    MidiControler controler(-1);
    const std::array<std::uint8_t, 9> masterVolume{0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7};
    controler.SendExclusive(9, masterVolume);
    const std::array<std::uint8_t, 3> escaped{0xF7, 0xF8, 0xFA};  // not F0: byte for byte
    controler.SendExclusive(3, escaped);
    EXPECT_EQ(device.Messages(), (Lines{"F0 7F 7F 04 01 00 64 F7", "F7 F8 FA"}));
}

// The message goes out of a 256-byte block: a longer one, or a record claiming more bytes
// than it holds, is refused with "Invalid parameter in Midi!" and nothing is sent.
TEST_F(MidiControlerTest, ExclusiveTooLongForItsBlockIsRefused) {
    MidiControler controler(-1);
    std::vector<std::uint8_t> stored(258, 0x11);
    stored[0] = 0xF0;
    controler.SendExclusive(257, stored);  // F0 + length byte + 255: 256 on the wire, fits
    controler.SendExclusive(258, stored);  // 257 on the wire
    controler.SendExclusive(259, stored);  // more than the record holds
    controler.SendExclusive(1, stored);    // F0 without its length byte
    controler.SendExclusive(0, stored);
    ASSERT_EQ(device.Messages().size(), 1u);
    EXPECT_EQ(device.Messages()[0].size(), 256u * 3 - 1);
    EXPECT_EQ(reports.Lines(), Lines(4, "MDCT07000005 Invalid parameter in Midi!"));
}

TEST_F(MidiControlerTest, FallsBackToDeviceZeroWhenTheMapperFails) {
    device.RefuseOpen(-1);
    MidiControler controler(-1);
    EXPECT_TRUE(controler.IsOpen());
    EXPECT_EQ(device.OpenRequests(), (std::vector<std::int32_t>{-1, 0}));
    EXPECT_TRUE(reports.Lines().empty());
}

TEST_F(MidiControlerTest, FailedOpenReportsAndCloseThenDoesNothing) {
    device.RefuseOpen(-1);
    device.RefuseOpen(0);
    MidiControler mapper(-1);
    MidiControler second(1);  // not the mapper: no fall-back
    EXPECT_EQ(device.OpenRequests(), (std::vector<std::int32_t>{-1, 0, 1}));
    EXPECT_EQ(reports.Lines(), Lines(2, "MDCT07000001 Can not open Midi device!"));
    EXPECT_EQ(device.Explanations(), 2);  // the service tells the user why, with every report
    mapper.Close();
    mapper.SendGeneralMidiOn();
    EXPECT_TRUE(device.Messages().empty());
    EXPECT_EQ(reports.Lines().size(), 2u);
}

// With no MIDI output device at all, the first open of the process says so and later ones
// fail without a word.
TEST(MidiControlerNoDeviceTest, NoDeviceIsReportedOncePerProcess) {
    MidiControler::ResetNoDeviceReportForTesting();
    testing::RecordedReports reports;
    RecordingMidiOutService none(0);
    ScopedMidiOutService installed(none);
    MidiControler first(-1);
    MidiControler second(-1);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(none.OpenRequests().empty());
    EXPECT_EQ(reports.Lines(), Lines{"MDCT07000001 Can not open Midi device!"});
    EXPECT_EQ(none.Explanations(), 1);
}

}  // namespace
}  // namespace zamrit
