#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FluidSynthEngine.h"

namespace zamrit {

// The synthesizers of the process, each loaded once: an output borrows one for its SoundFont
// and gives it back reset when it closes, so that the next output finds it ready. A second
// engine is loaded only while two outputs play at once. The font can be loaded ahead, on a
// thread of its own, so that the first playback does not wait for it; an output that asks
// meanwhile waits for that load instead of starting another. Engines of another font are let
// go once a new font is loaded.
class SynthEngineCache {
public:
    using Loader = std::function<std::unique_ptr<FluidSynthEngine>(const std::string& soundFont)>;

    // An engine on loan; it goes back to the cache, reset, when the loan ends.
    class Loan {
    public:
        Loan() = default;
        Loan(Loan&& other) noexcept;
        Loan& operator=(Loan&& other) noexcept;
        ~Loan() { Return(); }

        explicit operator bool() const { return engine_ != nullptr; }
        FluidSynthEngine& operator*() const { return *engine_; }
        FluidSynthEngine* operator->() const { return engine_.get(); }
        // Gives the engine back now.
        void Return();

    private:
        friend class SynthEngineCache;
        Loan(SynthEngineCache& cache, std::string soundFont, std::unique_ptr<FluidSynthEngine> engine)
            : cache_(&cache), soundFont_(std::move(soundFont)), engine_(std::move(engine)) {}

        SynthEngineCache* cache_ = nullptr;
        std::string soundFont_;
        std::unique_ptr<FluidSynthEngine> engine_;
    };

    explicit SynthEngineCache(Loader loader = FluidSynthEngine::Create) : loader_(std::move(loader)) {}
    SynthEngineCache(const SynthEngineCache&) = delete;
    SynthEngineCache& operator=(const SynthEngineCache&) = delete;
    // Waits for a load under way.
    ~SynthEngineCache();

    // An engine with the SoundFont at the resolved path soundFont: a free one, the one being
    // loaded ahead, or a new one. Empty when the font can not be loaded.
    Loan Lend(const std::string& soundFont);
    // Starts loading soundFont on a thread of its own, unless an engine for it is free or loading.
    void Preload(const std::string& soundFont);
    // Whether a font is being loaded.
    bool Loading() const { return loading_ > 0; }
    // How many engines were loaded so far.
    int Loads() const { return loads_; }

private:
    std::unique_ptr<FluidSynthEngine> Load(const std::string& soundFont, bool keep);
    void TakeBack(const std::string& soundFont, std::unique_ptr<FluidSynthEngine> engine);
    bool IsLoadingLocked(const std::string& soundFont) const;

    struct Free {
        std::string soundFont;
        std::unique_ptr<FluidSynthEngine> engine;
    };

    Loader loader_;
    mutable std::mutex mutex_;
    std::condition_variable loaded_;
    std::vector<Free> free_;
    std::vector<std::string> loadingFonts_;
    std::vector<std::thread> preloaders_;
    std::atomic<int> loading_{0};
    std::atomic<int> loads_{0};
};

// The engines of the process.
SynthEngineCache& SynthEngines();

}  // namespace zamrit
