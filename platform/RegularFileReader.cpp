#include "platform/RegularFileReader.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zamrit {

RegularFileReader::RegularFileReader(const std::string& path) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. It changes
    // nothing for a regular file, whose reads never block.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return;
    }
    descriptor_ = descriptor;
    size_ = static_cast<std::uint64_t>(status.st_size);
}

RegularFileReader::~RegularFileReader() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

std::size_t RegularFileReader::Read(std::span<std::uint8_t> into) {
    std::size_t done = 0;
    while (IsOpen() && done < into.size()) {
        const ssize_t got = ::read(descriptor_, into.data() + done, into.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace zamrit
