#include "platform/TemporaryFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace zamrit {

std::string TemporaryFolder::Base() {
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && *base != '\0' ? std::string(base) : std::string("/tmp");
}

TemporaryFolder::TemporaryFolder(std::string_view prefix) {
    const std::string base = Base();
    std::string name = base + (base.back() == '/' ? "" : "/") + std::string(prefix) + "-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        problem_ = "Can not make a temporary folder in " + base + ": " + std::strerror(errno);
        return;
    }
    path_ = name;
}

TemporaryFolder::~TemporaryFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace zamrit
