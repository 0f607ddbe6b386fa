#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

struct chmFile;

namespace zamrit {

// A compiled HTML help file opened for reading. Topics are named by their path inside the
// file ("top.htm" or "/top.htm").
class ChmFile {
public:
    static std::optional<ChmFile> Open(const std::filesystem::path& path);

    std::optional<std::string> Read(const std::string& topic) const;

private:
    struct Closer {
        void operator()(chmFile* file) const;
    };
    explicit ChmFile(chmFile* file) : file_(file) {}

    std::unique_ptr<chmFile, Closer> file_;
};

}  // namespace zamrit
