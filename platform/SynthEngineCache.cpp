#include "platform/SynthEngineCache.h"

#include <algorithm>

namespace zamrit {

SynthEngineCache::Loan::Loan(Loan&& other) noexcept
    : cache_(other.cache_), soundFont_(std::move(other.soundFont_)), engine_(std::move(other.engine_)) {
    other.cache_ = nullptr;
}

SynthEngineCache::Loan& SynthEngineCache::Loan::operator=(Loan&& other) noexcept {
    if (this != &other) {
        Return();
        cache_ = other.cache_;
        soundFont_ = std::move(other.soundFont_);
        engine_ = std::move(other.engine_);
        other.cache_ = nullptr;
    }
    return *this;
}

void SynthEngineCache::Loan::Return() {
    if (cache_ != nullptr && engine_ != nullptr) cache_->TakeBack(soundFont_, std::move(engine_));
    engine_.reset();
    cache_ = nullptr;
}

SynthEngineCache::~SynthEngineCache() {
    std::vector<std::thread> preloaders;
    {
        std::lock_guard lock(mutex_);
        preloaders.swap(preloaders_);
    }
    for (auto& preloader : preloaders) preloader.join();
}

bool SynthEngineCache::IsLoadingLocked(const std::string& soundFont) const {
    return std::find(loadingFonts_.begin(), loadingFonts_.end(), soundFont) != loadingFonts_.end();
}

std::unique_ptr<FluidSynthEngine> SynthEngineCache::Load(const std::string& soundFont, bool keep) {
    // Called with the font marked as loading; the load itself runs unlocked. A kept engine is
    // free before the mark goes, so that nobody waiting finds neither.
    std::unique_ptr<FluidSynthEngine> engine = loader_(soundFont);
    if (engine != nullptr) ++loads_;
    std::lock_guard lock(mutex_);
    loadingFonts_.erase(std::find(loadingFonts_.begin(), loadingFonts_.end(), soundFont));
    --loading_;
    if (engine != nullptr) {
        // Another font's engines are not wanted any more: their memory goes.
        std::erase_if(free_, [&](const Free& entry) { return entry.soundFont != soundFont; });
        if (keep) free_.push_back({soundFont, std::move(engine)});
    }
    loaded_.notify_all();
    return engine;
}

SynthEngineCache::Loan SynthEngineCache::Lend(const std::string& soundFont) {
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto free = std::find_if(free_.begin(), free_.end(),
                                           [&](const Free& entry) { return entry.soundFont == soundFont; });
            if (free != free_.end()) {
                std::unique_ptr<FluidSynthEngine> engine = std::move(free->engine);
                free_.erase(free);
                return Loan(*this, soundFont, std::move(engine));
            }
            if (!IsLoadingLocked(soundFont)) break;
            loaded_.wait(lock);
        }
        loadingFonts_.push_back(soundFont);
        ++loading_;
    }
    std::unique_ptr<FluidSynthEngine> engine = Load(soundFont, false);
    if (engine == nullptr) return Loan();
    return Loan(*this, soundFont, std::move(engine));
}

void SynthEngineCache::Preload(const std::string& soundFont) {
    std::lock_guard lock(mutex_);
    const bool present = std::any_of(free_.begin(), free_.end(),
                                     [&](const Free& entry) { return entry.soundFont == soundFont; });
    if (present || IsLoadingLocked(soundFont)) return;
    loadingFonts_.push_back(soundFont);
    ++loading_;
    preloaders_.emplace_back([this, soundFont] { Load(soundFont, true); });
}

void SynthEngineCache::TakeBack(const std::string& soundFont, std::unique_ptr<FluidSynthEngine> engine) {
    engine->Reset();
    std::lock_guard lock(mutex_);
    free_.push_back({soundFont, std::move(engine)});
    loaded_.notify_all();
}

SynthEngineCache& SynthEngines() {
    static SynthEngineCache cache;
    return cache;
}

}  // namespace zamrit
