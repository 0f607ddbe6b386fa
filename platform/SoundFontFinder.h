#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zamrit {

// The General MIDI SoundFonts of the machine, best first: the desktop's default-GM.sf3
// alternative, its default-GM.sf2 alternative, then every .sf3 and .sf2 file whose name
// mentions GM in /usr/share/sounds/sf3 and /usr/share/sounds/sf2. Links are resolved and a
// file reached twice is listed once; TimGM6mb, a small font of single looped samples, comes
// last even when an alternative points to it. The folders are looked for under `root` (the
// file system's root by default), so that a test can give a tree of its own.
class SoundFontFinder {
public:
    explicit SoundFontFinder(std::filesystem::path root = "/") : root_(std::move(root)) {}

    // The resolved paths of the fonts found, best first.
    std::vector<std::string> Fonts() const;
    // The first of them; empty when there is none.
    std::string Best() const;

private:
    std::filesystem::path root_;
};

}  // namespace zamrit
