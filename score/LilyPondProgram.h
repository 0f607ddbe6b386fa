#pragma once

#include <functional>
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
        bool stopped = false;  // the stop check ended it: lilypond was ended, nothing written
        std::string problem;   // empty when written or stopped
    };

    // The full name of `lilypond` on PATH, or nothing when it is not installed.
    static std::optional<std::string> Find();

    // Engraves the LilyPond text into `outputPath` through a private temporary folder, so a
    // failed run leaves no half-written file behind, and the folder goes whatever happens.
    // `stop` is asked while lilypond runs; when it says so, lilypond is ended and nothing is
    // written. Nothing here throws: a temporary folder that can not be made is a problem.
    static Result Engrave(const std::string& lilyPondText, Format format, const std::string& outputPath,
                          const std::function<bool()>& stop = {});

    // The sentence that says how to get LilyPond.
    static constexpr const char* kInstallHint =
        "LilyPond is not installed; install it with \"sudo apt install lilypond\"";
};

}  // namespace zamrit::score
