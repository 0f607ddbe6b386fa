#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zamrit {

// A private folder (mode 0700) of its own in the system's temporary folder ($TMPDIR, else
// /tmp), removed with everything in it when the object goes. When it can not be made, `Made`
// is false and `Problem` says why ("Can not make a temporary folder in /x: No such file or
// directory"). Nothing here throws.
class TemporaryFolder {
public:
    // The folder is named `prefix-` and six random characters.
    explicit TemporaryFolder(std::string_view prefix);
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    bool Made() const { return !path_.empty(); }
    const std::filesystem::path& Path() const { return path_; }
    const std::string& Problem() const { return problem_; }

    // Where new temporary folders go: $TMPDIR when it is set and not empty, else /tmp.
    static std::string Base();

private:
    std::filesystem::path path_;
    std::string problem_;
};

}  // namespace zamrit
