#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/MidiShortMessage.h"
#include "platform/SystemMidiOutService.h"
#include "platform/TimerService.h"
#include "platform/WavFileWriter.h"
#include "support/FileSizeLimit.h"

namespace zamrit {
namespace {

using namespace std::chrono_literals;

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           (name + "-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(MidiShortMessageTest, UnpacksAsManyBytesAsTheStatusCallsFor) {
    struct Case {
        std::uint32_t packed;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Case> cases{
        {0x00643C90, {0x90, 0x3C, 0x64}},  // note on
        {0x00003C80, {0x80, 0x3C, 0x00}},  // note off
        {0x00640BB3, {0xB3, 0x0B, 0x64}},  // control change
        {0x000005C9, {0xC9, 0x05}},        // program change: one data byte
        {0x000040D0, {0xD0, 0x40}},        // channel pressure
        {0x004000E1, {0xE1, 0x00, 0x40}},  // pitch bend
        {0x000000FE, {0xFE}},              // active sensing
    };
    for (const Case& c : cases) {
        const MidiShortMessage message = MidiShortMessage::Unpack(c.packed);
        EXPECT_EQ(std::vector<std::uint8_t>(message.Bytes().begin(), message.Bytes().end()), c.bytes)
            << std::hex << c.packed;
    }
}

// The mapper setting chooses the output; "log:" writes every call with its time on the
// timer service's clock.
TEST(SystemMidiOutServiceTest, LogMapperWritesTimestampedLines) {
    ManualClock clock;
    TimerService timers(clock);
    ScopedTimerService installed(timers);
    const auto path = TempPath("zamrit-log");
    SystemMidiOutService service("log:" + path.string());
    ASSERT_GE(service.DeviceCount(), 1u);
    auto output = service.Open(MidiOutService::kMidiMapper);
    ASSERT_NE(output, nullptr);
    const std::array<std::uint8_t, 6> systemOn{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_TRUE(output->SendLong(systemOn));
    timers.AdvanceBy(1523us);
    EXPECT_TRUE(output->SendShort(0x00643C90));
    EXPECT_TRUE(output->SendShort(0x000005C0));
    timers.AdvanceBy(2ms);
    EXPECT_TRUE(output->Reset());
    EXPECT_TRUE(output->Close());
    EXPECT_FALSE(output->SendShort(0x00643C90));
    EXPECT_EQ(ReadText(path), "0 F0 7E 7F 09 01 F7\n1523 90 3C 64\n1523 C0 05\n3523 reset\n3523 close\n");
    std::filesystem::remove(path);
}

// A long performance is not held in memory until the reset: its lines reach the file while it
// is still being played.
TEST(SystemMidiOutServiceTest, LogLinesReachTheFileBeforeTheReset) {
    const auto path = TempPath("zamrit-log-batches");
    SystemMidiOutService service("log:" + path.string());
    auto output = service.Open(MidiOutService::kMidiMapper);
    ASSERT_NE(output, nullptr);
    for (int i = 0; i < 20000; ++i) ASSERT_TRUE(output->SendShort(0x00643C90));  // about 250 kB of lines
    // The writer thread takes them in batches; give it up to ten seconds.
    for (int wait = 0; wait < 1000 && std::filesystem::file_size(path) < 64 * 1024; ++wait) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_GE(std::filesystem::file_size(path), 64u * 1024);
    EXPECT_TRUE(output->Reset());
    EXPECT_TRUE(output->Close());
    const std::string text = ReadText(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20002);
    EXPECT_EQ(text.substr(text.size() - 6), "close\n");
    std::filesystem::remove(path);
}

TEST(SystemMidiOutServiceTest, NoneMeansNoDeviceAndUnknownSettingsOpenNoMapper) {
    SystemMidiOutService none("none");
    EXPECT_EQ(none.DeviceCount(), 0u);
    EXPECT_EQ(none.Open(MidiOutService::kMidiMapper), nullptr);
    EXPECT_EQ(none.Open(0), nullptr);

    for (const char* setting : {"loudspeaker", "log:", "log:/nonexistent-folder/x.log", "alsa:no such port"}) {
        SystemMidiOutService service(setting);
        EXPECT_GE(service.DeviceCount(), 1u) << setting;
        EXPECT_EQ(service.Open(MidiOutService::kMidiMapper), nullptr) << setting;
    }
}

// When nothing opens, the explanation names every output tried with the reason it failed, and
// says how to choose another; it is written to standard error.
TEST(SystemMidiOutServiceTest, AFailedOpenIsExplainedWithEveryOutputTriedAndHowToChoose) {
    struct Case {
        const char* setting;
        const char* tried;
        const char* why;
    };
    for (const Case& c : {Case{"loudspeaker", "ZAMRIT_MIDI_OUT=loudspeaker", "names no output"},
                          Case{"log:/nonexistent-folder/x.log", "ZAMRIT_MIDI_OUT=log:/nonexistent-folder/x.log",
                               "/nonexistent-folder/x.log can not be written"},
                          Case{"wav:/nonexistent-folder/x.wav", "ZAMRIT_MIDI_OUT=wav:/nonexistent-folder/x.wav",
                               "/nonexistent-folder/x.wav can not be written"},
                          Case{"alsa:no such port", "ZAMRIT_MIDI_OUT=alsa:no such port",
                               "no ALSA port's name contains \"no such port\""},
                          Case{"none", "ZAMRIT_MIDI_OUT=none", "asks for no MIDI output"}}) {
        SystemMidiOutService service(c.setting);
        EXPECT_EQ(service.Open(MidiOutService::kMidiMapper), nullptr) << c.setting;
        ::testing::internal::CaptureStderr();
        service.ExplainOpenFailure();
        const std::string text = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(text.find(std::string(c.tried) + ": "), std::string::npos) << text;
        EXPECT_NE(text.find(c.why), std::string::npos) << text;
        EXPECT_NE(text.find("Choose another output with the environment variable ZAMRIT_MIDI_OUT"),
                  std::string::npos) << text;
        EXPECT_NE(text.find("Output menu"), std::string::npos) << text;
        // Told once: the next explanation starts afresh.
        if (std::string(c.setting) != "none") {
            EXPECT_EQ(service.TakeExplanation().find(c.why), std::string::npos) << c.setting;
        }
    }
}

// An output chosen in the game's Output menu that can not be opened (its ALSA port is gone) is
// named as the menu's choice: ZAMRIT_MIDI_OUT was not set.
TEST(SystemMidiOutServiceTest, AFailedOutputOfTheMenuIsNamedAsTheMenusChoice) {
    const char* previous = std::getenv(SystemMidiOutService::kSettingName);
    const std::string saved = previous != nullptr ? previous : "";
    ::unsetenv(SystemMidiOutService::kSettingName);
    SystemMidiOutService service;
    service.SetChosenOutput("alsa:no such port");
    EXPECT_EQ(service.Open(MidiOutService::kMidiMapper), nullptr);
    const std::string text = service.TakeExplanation();
    EXPECT_NE(text.find("the Output menu's choice alsa:no such port: no ALSA port's name contains"), std::string::npos) << text;
    EXPECT_EQ(text.find("ZAMRIT_MIDI_OUT=alsa"), std::string::npos) << text;
    if (previous != nullptr) ::setenv(SystemMidiOutService::kSettingName, saved.c_str(), 1);
}

TEST(SystemMidiOutServiceTest, ReadsTheSettingFromTheEnvironment) {
    ::setenv(SystemMidiOutService::kSettingName, "none", 1);
    SystemMidiOutService service;
    EXPECT_EQ(service.DeviceCount(), 0u);
    ::unsetenv(SystemMidiOutService::kSettingName);
    EXPECT_GE(service.DeviceCount(), 1u);
}

TEST(WavFileWriterTest, WritesAPcmHeaderWithTheSizesFilledIn) {
    const auto path = TempPath("zamrit-wav");
    {
        auto writer = WavFileWriter::Create(path.string(), 44100, 2);
        ASSERT_NE(writer, nullptr);
        const std::array<std::int16_t, 4> samples{1, -1, 0x1234, -2};
        EXPECT_TRUE(writer->Write(samples));
        EXPECT_EQ(writer->FramesWritten(), 2u);
    }
    const std::string bytes = ReadText(path);
    ASSERT_EQ(bytes.size(), 44u + 8u);
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
    };
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(4), 44u);  // 36 + data
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 44100u * 4);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(u32(40), 8u);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[48]), 0x34);
    std::filesystem::remove(path);
}

// A file that can not take all of the sound is not put in its place: an earlier file stays,
// and the reason is told. A file's sizes count 32 bits, so past that a render is refused
// rather than given a header that counts less than it holds.
TEST(WavFileWriterTest, AFileThatCanNotTakeAllOfTheSoundIsRefusedAndTheOldOneStays) {
    const auto path = TempPath("zamrit-wav-refused");
    const std::vector<std::int16_t> second(44100 * 2, 100);
    struct Case {
        const char* what;
        std::uint64_t maxDataBytes;
        rlim_t fileSizeLimit;
        std::string problem;
    };
    const std::vector<Case> cases{
        {"a disk that fills up", WavFileWriter::kMaxDataBytes, 64 * 1024, "File too large"},
        {"more than a header can count", 3 * 176400 + 2, RLIM_INFINITY,
         "a WAV file holds at most 0 h 0 min 3 s of sound at 44100 Hz, and the piece is longer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        { std::ofstream(path, std::ios::binary) << "the earlier file"; }
        {
            const testing::FileSizeLimit limit(c.fileSizeLimit);
            std::string problem;
            auto writer = WavFileWriter::Create(path.string(), 44100, 2, &problem, c.maxDataBytes);
            ASSERT_NE(writer, nullptr) << problem;
            bool written = true;
            for (int i = 0; i < 4 && written; ++i) written = writer->Write(second);
            EXPECT_FALSE(written);
            EXPECT_FALSE(writer->Finish());
            EXPECT_EQ(writer->Problem(), c.problem);
        }
        EXPECT_EQ(ReadText(path), "the earlier file");
    }
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
        EXPECT_NE(entry.path().filename().string().rfind(path.filename().string() + ".", 0), 0u)
            << "left behind: " << entry.path();
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace zamrit
