#include "platform/FluidSynthEngine.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cctype>
#include <filesystem>
#include <vector>


#include "platform/MidiShortMessage.h"
#include "platform/SoundFontFinder.h"

namespace zamrit {
namespace {

void SilenceFluidLog() {
    static const bool silenced = [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
        return true;
    }();
    (void)silenced;
}

// An .sf3 font: its samples are Ogg Vorbis, unpacked as they are read.
bool IsCompressed(const std::string& soundFont) {
    std::string extension = std::filesystem::path(soundFont).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".sf3";
}

}  // namespace

std::string FluidSynthEngine::FindSoundFont() { return SoundFontFinder().Best(); }

std::unique_ptr<FluidSynthEngine> FluidSynthEngine::Create(const std::string& soundFont) {
    SilenceFluidLog();
    if (soundFont.empty()) return nullptr;

    std::unique_ptr<FluidSynthEngine> engine(new FluidSynthEngine());
    engine->settings_ = new_fluid_settings();
    if (engine->settings_ == nullptr) return nullptr;
    fluid_settings_t* settings = engine->settings_;
    fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(settings, "synth.gain", kGain);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", IsCompressed(soundFont) ? 1 : 0);
    fluid_settings_setint(settings, "synth.reverb.active", 1);
    fluid_settings_setnum(settings, "synth.reverb.room-size", kReverbRoomSize);
    fluid_settings_setnum(settings, "synth.reverb.damp", kReverbDamp);
    fluid_settings_setnum(settings, "synth.reverb.width", kReverbWidth);
    fluid_settings_setnum(settings, "synth.reverb.level", kReverbLevel);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    engine->synth_ = new_fluid_synth(settings);
    if (engine->synth_ == nullptr) return nullptr;
    if (fluid_synth_sfload(engine->synth_, soundFont.c_str(), 1) == FLUID_FAILED) return nullptr;
    return engine;
}

FluidSynthEngine::~FluidSynthEngine() {
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
}

bool FluidSynthEngine::PlayShort(std::uint32_t packed) {
    const MidiShortMessage message = MidiShortMessage::Unpack(packed);
    const int channel = message.Status() & 0x0F;
    const int data1 = message.bytes[1] & 0x7F;
    const int data2 = message.bytes[2] & 0x7F;
    switch (message.Status() & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth_, channel, data1); return true;
        case 0x90:
            if (data2 == 0) {
                fluid_synth_noteoff(synth_, channel, data1);
                return true;
            }
            return fluid_synth_noteon(synth_, channel, data1, data2) == FLUID_OK;
        case 0xA0: return fluid_synth_key_pressure(synth_, channel, data1, data2) == FLUID_OK;
        case 0xB0: return fluid_synth_cc(synth_, channel, data1, data2) == FLUID_OK;
        case 0xC0: return fluid_synth_program_change(synth_, channel, data1) == FLUID_OK;
        case 0xD0: return fluid_synth_channel_pressure(synth_, channel, data1) == FLUID_OK;
        case 0xE0: return fluid_synth_pitch_bend(synth_, channel, data2 << 7 | data1) == FLUID_OK;
        default: return true;  // system messages have no meaning for the synthesizer
    }
}

bool FluidSynthEngine::PlayExclusive(std::span<const std::uint8_t> message) {
    // FluidSynth takes the body between F0 and F7.
    std::span<const std::uint8_t> body = message;
    if (!body.empty() && body.front() == 0xF0) body = body.subspan(1);
    if (!body.empty() && body.back() == 0xF7) body = body.first(body.size() - 1);
    if (body.empty()) return true;
    return fluid_synth_sysex(synth_, reinterpret_cast<const char*>(body.data()),
                             static_cast<int>(body.size()), nullptr, nullptr, nullptr, 0) == FLUID_OK;
}

bool FluidSynthEngine::AllNotesOff() { return fluid_synth_all_notes_off(synth_, -1) == FLUID_OK; }

void FluidSynthEngine::Reset() {
    fluid_synth_all_sounds_off(synth_, -1);
    fluid_synth_system_reset(synth_);
    DrainRoom();
}

void FluidSynthEngine::DrainRoom() {
    // A system reset leaves the reverberator's delay lines as they were: the next piece would
    // start in the last one's tail. With every voice off, the tail is rendered away (about a
    // millisecond of work for a second of sound) until it has died under 16-bit resolution.
    constexpr int kBlockFrames = 4096;
    constexpr int kMostBlocks = 10 * kSampleRate / kBlockFrames;
    constexpr float kInaudible = 1.0f / 65536.0f;
    std::vector<float> left(kBlockFrames);
    std::vector<float> right(kBlockFrames);
    for (int block = 0; block < kMostBlocks; ++block) {
        fluid_synth_write_float(synth_, kBlockFrames, left.data(), 0, 1, right.data(), 0, 1);
        const auto loudest = [](const std::vector<float>& samples) {
            return std::abs(*std::max_element(samples.begin(), samples.end(),
                                              [](float a, float b) { return std::abs(a) < std::abs(b); }));
        };
        if (loudest(left) < kInaudible && loudest(right) < kInaudible) return;
    }
}

void FluidSynthEngine::Render(std::span<std::int16_t> frames) {
    const int count = static_cast<int>(frames.size() / 2);
    if (count == 0) return;
    fluid_synth_write_s16(synth_, count, frames.data(), 0, 2, frames.data(), 1, 2);
}

}  // namespace zamrit
