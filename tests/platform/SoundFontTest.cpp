#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/FluidSynthEngine.h"
#include "platform/SoundFontChoice.h"
#include "platform/SoundFontFinder.h"
#include "platform/SynthEngineCache.h"

namespace zamrit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSmallFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// A tree of its own under a temporary root: empty font files and the desktop's links.
class SoundFontTree : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("zamrit-soundfonts-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "usr/share/sounds/sf2");
        fs::create_directories(root_ / "usr/share/sounds/sf3");
        fs::create_directories(root_ / "etc/alternatives");
    }
    void TearDown() override {
        ::unsetenv(SoundFontChoice::kVariable);
        fs::remove_all(root_);
    }

    fs::path File(const std::string& relative) {
        const fs::path path = root_ / relative;
        std::ofstream(path).put('\0');
        return path;
    }
    // The link at `relative` pointing to `target`, both below the root.
    void Link(const std::string& relative, const std::string& target) {
        fs::create_symlink(root_ / target, root_ / relative);
    }
    std::vector<std::string> Names(const std::vector<std::string>& fonts) const {
        std::vector<std::string> names;
        for (const auto& font : fonts) names.push_back(fs::path(font).lexically_relative(root_).string());
        return names;
    }

    fs::path root_;
};

TEST_F(SoundFontTree, AlternativesComeFirstThenGmFontsAndTheSmallFontLast) {
    const struct {
        const char* what;
        std::vector<std::string> files;
        std::vector<std::pair<std::string, std::string>> links;  // link -> target
        std::vector<std::string> expected;
    } cases[] = {
        {"sf3 alternative, sf2 alternative, then the folders, each file once",
         {"usr/share/sounds/sf3/MuseGM.sf3", "usr/share/sounds/sf2/FluidR3_GM.sf2", "usr/share/sounds/sf2/AGM.sf2",
          "usr/share/sounds/sf2/TimGM6mb.sf2", "usr/share/sounds/sf2/Piano.sf2", "usr/share/sounds/sf2/GM.txt"},
         {{"etc/alternatives/default-GM.sf3", "usr/share/sounds/sf3/MuseGM.sf3"},
          {"usr/share/sounds/sf3/default-GM.sf3", "etc/alternatives/default-GM.sf3"},
          {"etc/alternatives/default-GM.sf2", "usr/share/sounds/sf2/FluidR3_GM.sf2"},
          {"usr/share/sounds/sf2/default-GM.sf2", "etc/alternatives/default-GM.sf2"}},
         {"usr/share/sounds/sf3/MuseGM.sf3", "usr/share/sounds/sf2/FluidR3_GM.sf2", "usr/share/sounds/sf2/AGM.sf2",
          "usr/share/sounds/sf2/TimGM6mb.sf2"}},
        {"the small font last even when both alternatives point to it",
         {"usr/share/sounds/sf2/TimGM6mb.sf2", "usr/share/sounds/sf2/FluidR3_GM.sf2"},
         {{"etc/alternatives/default-GM.sf2", "usr/share/sounds/sf2/TimGM6mb.sf2"},
          {"usr/share/sounds/sf2/default-GM.sf2", "etc/alternatives/default-GM.sf2"},
          {"usr/share/sounds/sf3/default-GM.sf3", "usr/share/sounds/sf2/TimGM6mb.sf2"}},
         {"usr/share/sounds/sf2/FluidR3_GM.sf2", "usr/share/sounds/sf2/TimGM6mb.sf2"}},
        {"a dangling alternative is passed over",
         {"usr/share/sounds/sf2/FluidR3_GM.sf2"},
         {{"usr/share/sounds/sf3/default-GM.sf3", "usr/share/sounds/sf3/gone.sf3"}},
         {"usr/share/sounds/sf2/FluidR3_GM.sf2"}},
        {"nothing installed", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SetUp();
        for (const auto& file : c.files) File(file);
        for (const auto& [link, target] : c.links) Link(link, target);
        const SoundFontFinder finder(root_);
        EXPECT_EQ(Names(finder.Fonts()), c.expected) << c.what;
        EXPECT_EQ(finder.Best().empty(), c.expected.empty()) << c.what;
    }
}

TEST_F(SoundFontTree, TheOptionWinsOverTheVariableAndAMissingFontIsSaidNotReplaced) {
    const fs::path installed = File("usr/share/sounds/sf2/FluidR3_GM.sf2");
    const fs::path option = File("option.sf2");
    const fs::path variable = File("variable.sf3");
    const fs::path menu = File("menu.sf2");
    const std::string missing = (root_ / "missing.sf2").string();

    SoundFontChoice choice{SoundFontFinder(root_)};
    EXPECT_EQ(choice.Resolve().path, installed.string());
    choice.SetMenuChoice(menu.string());
    EXPECT_EQ(choice.Resolve().path, menu.string());
    ::setenv(SoundFontChoice::kVariable, variable.c_str(), 1);
    EXPECT_EQ(choice.Resolve().path, variable.string());
    choice.SetOption(option.string());
    EXPECT_EQ(choice.Resolve().path, option.string());

    choice.SetOption(missing);
    SoundFontChoice::Result result = choice.Resolve();
    EXPECT_EQ(result.path, "");
    EXPECT_EQ(result.problem, "The SoundFont " + missing + " (--sound-font) does not exist.");
    choice.SetOption("");
    ::setenv(SoundFontChoice::kVariable, missing.c_str(), 1);
    result = choice.Resolve();
    EXPECT_EQ(result.path, "");
    EXPECT_EQ(result.problem,
              "The SoundFont " + missing + " (ZAMRIT_SOUNDFONT=" + missing + ") does not exist.");
    // A menu choice that went away falls back to the installed font (the game said so at start).
    ::unsetenv(SoundFontChoice::kVariable);
    choice.SetMenuChoice(missing);
    EXPECT_EQ(choice.Resolve().path, installed.string());

    const SoundFontChoice empty{SoundFontFinder(root_ / "nowhere")};
    EXPECT_NE(empty.Resolve().problem.find("no General MIDI SoundFont"), std::string::npos);
}

// Loads counted: an engine lent and given back is lent again, not loaded again.
class CountingLoads {
public:
    SynthEngineCache::Loader Loader() {
        return [this](const std::string& font) {
            ++loads;
            return FluidSynthEngine::Create(font);
        };
    }
    int loads = 0;
};

TEST(SynthEngineCacheTest, AnEngineIsLoadedOnceAndASecondOnlyWhileTwoPlayAtOnce) {
    if (!fs::exists(kSmallFont)) GTEST_SKIP() << kSmallFont << " is not installed";
    CountingLoads counter;
    SynthEngineCache cache(counter.Loader());
    {
        SynthEngineCache::Loan first = cache.Lend(kSmallFont);
        ASSERT_TRUE(first);
        // A note left sounding, and the room still ringing with it, are silenced on return.
        EXPECT_TRUE(first->PlayShort(0x7F3C90));
        std::vector<std::int16_t> ringing(2 * 4096);
        first->Render(ringing);
    }
    {
        SynthEngineCache::Loan again = cache.Lend(kSmallFont);
        ASSERT_TRUE(again);
        EXPECT_EQ(counter.loads, 1);
        std::vector<std::int16_t> frames(2 * 4096);
        again->Render(frames);
        // Silence, but for the dither of the 16-bit output.
        const auto loudest = *std::max_element(frames.begin(), frames.end(), [](std::int16_t a, std::int16_t b) {
            return std::abs(a) < std::abs(b);
        });
        EXPECT_LE(std::abs(loudest), 2);
        SynthEngineCache::Loan atOnce = cache.Lend(kSmallFont);
        EXPECT_TRUE(atOnce);
        EXPECT_EQ(counter.loads, 2);
    }
    EXPECT_TRUE(cache.Lend(kSmallFont));
    EXPECT_EQ(counter.loads, 2);
    EXPECT_EQ(cache.Loads(), 2);
}

TEST(SynthEngineCacheTest, APreloadIsWhatTheFirstLoanGetsAndAFontThatFailsLendsNothing) {
    if (!fs::exists(kSmallFont)) GTEST_SKIP() << kSmallFont << " is not installed";
    CountingLoads counter;
    SynthEngineCache cache(counter.Loader());
    cache.Preload(kSmallFont);
    cache.Preload(kSmallFont);
    EXPECT_TRUE(cache.Lend(kSmallFont));  // waits for the load under way
    EXPECT_EQ(counter.loads, 1);
    EXPECT_FALSE(cache.Loading());

    const fs::path notAFont = fs::temp_directory_path() / ("zamrit-not-a-font-" + std::to_string(::getpid()) + ".sf2");
    std::ofstream(notAFont) << "not a SoundFont";
    EXPECT_FALSE(cache.Lend(notAFont.string()));
    fs::remove(notAFont);
}

}  // namespace
}  // namespace zamrit
