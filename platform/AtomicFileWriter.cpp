#include "platform/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <system_error>

namespace zamrit {
namespace {

constexpr int kNameAttempts = 100;

std::string ErrnoText(int error) { return std::error_code(error, std::generic_category()).message(); }

// The file a rename must replace: the target with its symbolic links followed, so that a link
// keeps pointing at the new file.
std::string ResolvedPath(const std::string& target) {
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved) == nullptr) return target;
    return resolved;
}

std::string RandomSuffix() {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> digit(0, 35);
    std::string suffix(8, '0');
    for (char& c : suffix) c = kDigits[digit(generator)];
    return suffix;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) { Open(); }

AtomicFileWriter::~AtomicFileWriter() {
    if (!done_) Discard();
}

void AtomicFileWriter::Open() {
    if (target_.empty()) {
        FailWithErrno(ENOENT);
        return;
    }
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device, a pipe or a folder: written in place (a folder refuses to open).
        descriptor_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
        if (descriptor_ < 0) FailWithErrno(errno);
        placed_ = target_;
        return;
    }
    placed_ = exists ? ResolvedPath(target_) : target_;
    // Created with the usual permissions under the umask, as the target itself would be;
    // a file that is replaced keeps its own.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = placed_ + ".part-" + RandomSuffix();
        descriptor_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (descriptor_ >= 0) {
            temporary_ = std::move(name);
            if (exists) ::fchmod(descriptor_, existing.st_mode & 07777);
            return;
        }
        if (errno != EEXIST) break;
    }
    FailWithErrno(errno);
}

bool AtomicFileWriter::Fail(std::string problem) {
    if (!failed_) problem_ = std::move(problem);
    failed_ = true;
    return false;
}

bool AtomicFileWriter::FailWithErrno(int error) { return Fail(ErrnoText(error)); }

bool AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
    if (failed_ || !IsOpen()) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor_, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return FailWithErrno(errno);
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool AtomicFileWriter::Write(std::string_view text) {
    return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool AtomicFileWriter::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (failed_ || !IsOpen()) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(descriptor_, bytes.data() + done, bytes.size() - done,
                                         static_cast<off_t>(offset + done));
        if (written < 0) {
            if (errno == EINTR) continue;
            return FailWithErrno(errno);
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void AtomicFileWriter::CloseDescriptor() {
    if (descriptor_ >= 0 && ::close(descriptor_) != 0) FailWithErrno(errno);
    descriptor_ = -1;
}

bool AtomicFileWriter::Commit() {
    if (done_) return committed_;
    // A file system may tell of a full disk only when the data reaches it, at the flush or
    // even at the close.
    if (!failed_ && IsOpen() && ::fsync(descriptor_) != 0 && !temporary_.empty()) FailWithErrno(errno);
    CloseDescriptor();
    if (!failed_ && !temporary_.empty() && ::rename(temporary_.c_str(), placed_.c_str()) != 0) {
        FailWithErrno(errno);
    }
    if (failed_) {
        Discard();
        return false;
    }
    done_ = true;
    committed_ = true;
    return true;
}

void AtomicFileWriter::Discard() {
    CloseDescriptor();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    done_ = true;
}

std::optional<std::string> AtomicFileWriter::WriteWhole(const std::string& target, std::string_view bytes) {
    AtomicFileWriter file(target);
    if (file.Write(bytes) && file.Commit()) return std::nullopt;
    file.Discard();
    return file.Problem().empty() ? std::string("the file could not be written") : file.Problem();
}

}  // namespace zamrit
