// A short piece played end to end on the real outputs of the mapper setting: the log and the
// built-in synthesizer writing a WAV file, on a manual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PlaybackFixture.h"
#include "midiout/MusicPlayer.h"
#include "platform/FluidSynthEngine.h"
#include "platform/SystemMidiOutService.h"
#include "platform/WaitHook.h"

namespace zamrit {
namespace {

using namespace testing;

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           (name + "-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

std::unique_ptr<MidiF0Data> TwoNotes() {
    return ReadySequence(Events(Tempo(0, 500000), Program(0, 0), Control(0, 0, 7, 110), NoteOn(0, 60, 110),
                                NoteOn(0, 64, 100, 1), NoteOff(96, 60), NoteOff(0, 64, 1), NoteOn(0, 67),
                                NoteOff(96, 67), EndOfTrack(0)));
}

void PlayToTheEnd(std::unique_ptr<MidiF0Data> sequence) {
    // Half a second of the notes' release is heard before the device is reset.
    ASSERT_EQ(MusicPlayer::Play(std::move(sequence), [] {
        SleepMilliseconds(500);
        return 0;
    }), 1);
    MusicPlayer::Instance().WaitUntilIdle();
}

class PlaybackOutputsTest : public ::testing::Test {
protected:
    ManualClock clock;
    TimerService timers{clock};
    ScopedTimerService installedTimers{timers};
    RecordedReports reports;
    RealTimeWaits waits;
    ScopedWaitHook quickWaits{waits};
};

TEST_F(PlaybackOutputsTest, LogOutputHoldsTheRightBytesInTheRightOrder) {
    const auto path = TempPath("zamrit-play-log");
    SystemMidiOutService service("log:" + path.string());
    ScopedMidiOutService installed(service);
    PlayToTheEnd(TwoNotes());

    std::ifstream log(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    // Pre-roll 50 ms apart (tempo, program, volume), the timer 5 ms later, then 96 ticks
    // (500 ms) per quarter.
    const std::vector<std::string> expected{"0 F0 7E 7F 09 01 F7", "50000 C0 00", "100000 B0 07 6E",
                                            "155000 90 3C 6E",     "155000 91 40 64", "655000 80 3C 00",
                                            "655000 81 40 00",     "655000 90 43 64", "1155000 80 43 00"};
    ASSERT_GE(lines.size(), expected.size() + 2);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
    EXPECT_NE(lines[lines.size() - 2].find(" reset"), std::string::npos);
    EXPECT_NE(lines.back().find(" close"), std::string::npos);
    EXPECT_TRUE(reports.Lines().empty());
    std::filesystem::remove(path);
}

TEST_F(PlaybackOutputsTest, WavOutputHoldsSoundWhereTheNotesPlay) {
    if (FluidSynthEngine::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    const auto path = TempPath("zamrit-play-wav");
    SystemMidiOutService service("wav:" + path.string());
    ScopedMidiOutService installed(service);
    PlayToTheEnd(TwoNotes());

    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);
    std::vector<std::int16_t> samples((bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    // Stereo at 44100 Hz: the notes sound from 155 ms to past 1155 ms; before them, silence.
    const auto rms = [&](double fromSeconds, double toSeconds) {
        const auto from = static_cast<std::size_t>(fromSeconds * 44100) * 2;
        const auto to = std::min(samples.size(), static_cast<std::size_t>(toSeconds * 44100) * 2);
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
        return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
    };
    EXPECT_GE(samples.size(), static_cast<std::size_t>(1.6 * 44100) * 2);
    EXPECT_LT(rms(0.0, 0.15), 1.0);
    EXPECT_GT(rms(0.2, 1.1), 300.0);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace zamrit
