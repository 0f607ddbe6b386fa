#pragma once

#include <optional>
#include <string>

namespace zamrit::score {

// The `lilypond` program on the search path, run on a score to make a PDF or an SVG file.
class LilyPondProgram {
public:
    enum class Format { Pdf, Svg };

    // What an engraving came to: whether the file was written, and what went wrong if not.
    struct Result {
        bool written = false;
        std::string problem;  // empty when written
    };

    // The full name of `lilypond` on PATH, or nothing when it is not installed.
    static std::optional<std::string> Find();

    // Engraves the LilyPond text into `outputPath` (through a private temporary folder, so a
    // failed run leaves no half-written file behind).
    static Result Engrave(const std::string& lilyPondText, Format format, const std::string& outputPath);

    // The sentence that says how to get LilyPond.
    static constexpr const char* kInstallHint =
        "LilyPond is not installed; install it with \"sudo apt install lilypond\"";
};

}  // namespace zamrit::score
