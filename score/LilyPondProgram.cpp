#include "score/LilyPondProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/ChildProgram.h"
#include "platform/TemporaryFolder.h"

namespace zamrit::score {
namespace {

namespace fs = std::filesystem;

std::string LastLines(const fs::path& path, std::size_t count) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    std::string tail;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        tail += (tail.empty() ? "" : "\n") + lines[i];
    }
    return tail;
}

bool WriteSource(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return static_cast<bool>(file);
}

// The engraved file into its place, whole or not at all: a file that was there stays as it
// was when the copy fails.
// Copies the engraved file into its place, whole or not at all; the problem, or nothing.
std::optional<std::string> CopyWhole(const fs::path& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return "the engraved file can not be read";
    AtomicFileWriter out(to);
    std::vector<char> chunk(1 << 16);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto read = static_cast<std::size_t>(in.gcount());
        if (read > 0 && !out.Write(std::string_view(chunk.data(), read))) return out.Problem();
    }
    if (in.bad()) return "the engraved file can not be read";
    if (!out.Commit()) return out.Problem();
    return std::nullopt;
}

}  // namespace

std::optional<std::string> LilyPondProgram::Find() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    std::stringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/lilypond";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

LilyPondProgram::Result LilyPondProgram::Engrave(const std::string& lilyPondText, Format format,
                                                 const std::string& outputPath, const std::function<bool()>& stop) {
    const std::optional<std::string> program = Find();
    if (!program) return {false, false, kInstallHint};

    const TemporaryFolder folder("zamrit-score");
    if (!folder.Made()) return {false, false, folder.Problem()};
    const fs::path source = folder.Path() / "score.ly";
    const fs::path log = folder.Path() / "lilypond.log";
    if (!WriteSource(source, lilyPondText)) {
        return {false, false, "Can not write the file " + source.string() + ": " + std::strerror(errno)};
    }
    const char* formatOption = format == Format::Pdf ? "--pdf" : "--svg";
    ChildProgram lilypond({*program, formatOption, "-dno-point-and-click", "-o", (folder.Path() / "score").string(),
                           source.string()},
                          log.string());
    if (!lilypond.Started()) return {false, false, lilypond.Problem()};
    const ChildProgram::Outcome outcome = lilypond.Wait(stop);
    if (outcome == ChildProgram::Outcome::Stopped) return {false, true, {}};

    const fs::path made = folder.Path() / (format == Format::Pdf ? "score.pdf" : "score.svg");
    std::error_code error;
    Result result;
    if (outcome != ChildProgram::Outcome::Exited || lilypond.ExitStatus() != 0 || !fs::exists(made, error)) {
        result.problem = "LilyPond could not engrave the score";
        const std::string tail = LastLines(log, 3);
        if (!tail.empty()) result.problem += ":\n" + tail;
        return result;
    }
    if (const std::optional<std::string> problem = CopyWhole(made, outputPath)) {
        result.problem = "Can not write the file " + outputPath + ": " + *problem;
    } else {
        result.written = true;
    }
    return result;
}

}  // namespace zamrit::score
