#include "cli/RenderCommand.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli/EventJson.h"
#include "cli/JsonOutput.h"
#include "cli/SourceOptions.h"
#include "cli/StopSignals.h"
#include "midiout/MusicPlayer.h"
#include "platform/MidiOutService.h"
#include "platform/SoundFontChoice.h"
#include "platform/TimerService.h"
#include "platform/WaitHook.h"
#include "platform/WavRenderService.h"

namespace zamrit {
namespace {

// The release of the last notes and the room's reverberation, heard before the device is reset.
constexpr std::uint32_t kTailMs = 2000;
constexpr std::uint32_t kPollMs = 10;

struct RenderOptions {
    SourceOptions source;
    std::string outputPath;
    std::string soundFont;
};

// The waits of the main thread let real time pass and leave the render's clock alone: only
// the player's own waits move it, so the piece is rendered as fast as the synthesizer goes.
class RealTimeWaits final : public WaitHook {
public:
    void WaitFor(std::chrono::milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

int RunRender(const RenderOptions& options, RecordingMessageSink& reports) {
    if (const auto error = options.source.UsageError()) {
        std::cerr << "zamrit-dice render: " << *error << '\n';
        return kExitUsage;
    }
    StopSignals signals;
    const SourcePiece piece = options.source.Build();
    if (signals.Received() != 0) return signals.ExitStatus();

    if (!options.soundFont.empty()) ProcessSoundFont().SetOption(options.soundFont);
    ManualClock clock;
    TimerService timers(clock);
    ScopedTimerService installedTimers(timers);
    WavRenderService service(options.outputPath);
    ScopedMidiOutService installedService(service);
    RealTimeWaits waits;
    ScopedWaitHook quickWaits(waits);

    std::atomic<bool> completed{false};
    piece.melody->Play([&] {
        completed = true;
        SleepMilliseconds(kTailMs);
        return 0;
    }, 0, piece.endTick);
    // A stop signal ends the playback at its next firing: the device is reset and closed, and
    // the file is finished as a valid WAV of what was rendered so far.
    MusicPlayer& player = MusicPlayer::Instance();
    while (!player.IsIdle()) {
        if (signals.Received() != 0) player.RequestStop();
        SleepMilliseconds(kPollMs);
    }
    player.WaitUntilIdle();

    const double seconds = std::chrono::duration<double>(clock.Now().time_since_epoch()).count();
    const std::string soundFont = service.SoundFont();
    nlohmann::ordered_json summary{{"output", options.outputPath},
                                   {"soundFont", soundFont.empty() ? nlohmann::ordered_json(nullptr)
                                                                   : nlohmann::ordered_json(soundFont)},
                                   {"rendered", completed && service.Written()},
                                   {"seconds", seconds},
                                   {"stoppedBy", signals.Received() != 0 ? nlohmann::ordered_json(signals.Name())
                                                                         : nlohmann::ordered_json(nullptr)},
                                   {"reports", ReportsToJson(reports)}};
    if (!PrintJson("render", summary)) return kExitReported;
    return signals.Received() != 0 ? signals.ExitStatus() : kExitClean;
}

}  // namespace

void RegisterRenderCommand(CLI::App& app, CommandAction& action) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* command = app.add_subcommand("render", "Render a piece with the built-in synthesizer into a WAV file");
    options->source.AddTo(*command);
    command->add_option("-o,--output", options->outputPath, "The WAV file to write")->required();
    command->add_option("--sound-font", options->soundFont,
                        "The SoundFont (.sf2, .sf3) to play, instead of ZAMRIT_SOUNDFONT or the best one installed");
    command->callback([&action, options] {
        action = [options](RecordingMessageSink& reports) { return RunRender(*options, reports); };
    });
}

}  // namespace zamrit
