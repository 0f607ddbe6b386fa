#include "platform/WavRenderService.h"

#include "platform/MessageSink.h"
#include "platform/SoundFontChoice.h"
#include "platform/WavMidiOutput.h"

namespace zamrit {

std::unique_ptr<MidiOutput> WavRenderService::Open(std::int32_t) {
    const SoundFontChoice::Result font = ProcessSoundFont().Resolve();
    if (!font.problem.empty()) {
        SetProblem(font.problem);
        return nullptr;
    }
    {
        std::lock_guard lock(mutex_);
        soundFont_ = font.path;
    }
    std::string why;
    std::unique_ptr<MidiOutput> output = WavMidiOutput::Open(
        path_, font.path, false, &why, keepFile_, [this](bool written, const std::string& problem) {
            written_ = written;
            if (!problem.empty()) SetProblem("The WAV file " + path_ + " could not be written: " + problem);
        });
    if (output != nullptr) {
        opened_ = true;
    } else {
        SetProblem("The WAV file " + path_ + " can not be written: " + why);
    }
    return output;
}

void WavRenderService::ExplainOpenFailure() {
    const std::string problem = Problem();
    if (!problem.empty()) CurrentMessageSink().Show(problem);
}

std::string WavRenderService::SoundFont() const {
    std::lock_guard lock(mutex_);
    return soundFont_;
}

std::string WavRenderService::Problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

void WavRenderService::SetProblem(std::string problem) {
    std::lock_guard lock(mutex_);
    problem_ = std::move(problem);
}

}  // namespace zamrit
