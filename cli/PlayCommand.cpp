#include "cli/PlayCommand.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>

#include "cli/SourceOptions.h"
#include "cli/StopSignals.h"
#include "midiout/MusicPlayer.h"
#include "midiout/SequencerState.h"
#include "platform/SoundFontChoice.h"
#include "platform/TimerService.h"
#include "platform/WaitHook.h"

namespace zamrit {
namespace {

constexpr std::uint32_t kPollMs = 100;
constexpr std::chrono::seconds kProgressEvery{1};

int RunPlay(const SourceOptions& source, const std::string& soundFont) {
    if (const auto error = source.UsageError()) {
        std::cerr << "zamrit-dice play: " << *error << '\n';
        return kExitUsage;
    }
    if (!soundFont.empty()) ProcessSoundFont().SetOption(soundFont);
    StopSignals signals;
    const SourcePiece piece = source.Build();
    if (signals.Received() != 0) return signals.ExitStatus();
    std::atomic<bool> completed{false};
    const auto started = CurrentTimerService().Now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(CurrentTimerService().Now() - started).count();
    };

    std::cerr << "zamrit-dice play: playing ticks 0 to " << piece.endTick << '\n';
    piece.melody->Play([&] {
        completed = true;
        std::cerr << "zamrit-dice play: finished after " << seconds() << " s\n";
        return 0;
    }, 0, piece.endTick);

    MusicPlayer& player = MusicPlayer::Instance();
    bool stopping = false;
    auto nextProgress = started + kProgressEvery;
    while (!player.IsIdle()) {
        if (signals.Received() != 0) {
            if (!stopping) std::cerr << "zamrit-dice play: stopping on " << signals.Name() << '\n';
            stopping = true;
            player.RequestStop();  // again on every poll: the worker may not have made its player yet
        }
        if (CurrentTimerService().Now() >= nextProgress && !stopping) {
            nextProgress += kProgressEvery;
            std::cerr << "zamrit-dice play: " << static_cast<int>(seconds()) << " s, event "
                      << Sequencer().currentIndex.load() << '\n';
        }
        SleepMilliseconds(kPollMs);
    }
    player.WaitUntilIdle();
    if (stopping) std::cerr << "zamrit-dice play: stopped after " << seconds() << " s\n";
    else if (!completed) std::cerr << "zamrit-dice play: nothing was played\n";
    return signals.Received() != 0 ? signals.ExitStatus() : kExitClean;
}

}  // namespace

void RegisterPlayCommand(CLI::App& app, CommandAction& action) {
    auto source = std::make_shared<SourceOptions>();
    auto soundFont = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand("play", "Play a piece in real time on the MIDI mapper (ZAMRIT_MIDI_OUT)");
    source->AddTo(*command);
    command->add_option("--sound-font", *soundFont,
                        "The SoundFont (.sf2, .sf3) the built-in synthesizer plays, instead of ZAMRIT_SOUNDFONT or "
                        "the best one installed");
    command->callback([&action, source, soundFont] {
        action = [source, soundFont](RecordingMessageSink&) { return RunPlay(*source, *soundFont); };
    });
}

}  // namespace zamrit
