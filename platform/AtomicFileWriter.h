#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zamrit {

// Writes a file so that it appears whole or not at all. The bytes go into a new temporary file
// of its own beside the target (in the target's folder, so that the rename stays on one file
// system); Commit flushes it to the disk and renames it over the target. Until then a file at
// the target stays exactly as it was, and a writer that is destroyed, or whose Commit fails,
// removes its temporary. Two writers of one target never share a temporary: the last Commit
// wins and the file is whole.
//
// A symbolic link is followed, so the link stays and the file it names is replaced. A target
// that exists and is not a regular file (a device such as /dev/full, a pipe, /dev/stdout) can
// have nothing put beside it: it is written in place, and every failed write still shows.
//
//   AtomicFileWriter file(path);
//   if (!file.Write(bytes) || !file.Commit()) Report("Can not write the file " + path + ": " + file.Problem());
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string target);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // Whether the temporary (or the target written in place) is open for writing.
    bool IsOpen() const { return descriptor_ >= 0; }
    // Appends the bytes; false, with the problem kept, when not all of them were written.
    bool Write(std::span<const std::uint8_t> bytes);
    bool Write(std::string_view text);
    // Overwrites bytes already written, such as a header whose sizes are known only at the end.
    bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Flushes the file to the disk and puts it in the target's place. False, with the problem
    // kept and the temporary removed, when any step (or any write before) failed.
    bool Commit();
    // Gives the file up: the temporary is removed and the target stays as it was.
    void Discard();

    // Why the first failing step failed, e.g. "No space left on device"; empty while none did.
    const std::string& Problem() const { return problem_; }
    const std::string& Target() const { return target_; }

    // The whole file in one call: nothing when it was written, else the problem.
    static std::optional<std::string> WriteWhole(const std::string& target, std::string_view bytes);

private:
    void Open();
    bool Fail(std::string problem);
    bool FailWithErrno(int error);
    void CloseDescriptor();

    std::string target_;
    std::string placed_;     // the file the rename replaces: the target, its links followed
    std::string temporary_;  // empty when writing in place
    int descriptor_ = -1;
    bool failed_ = false;
    bool done_ = false;  // committed or given up
    bool committed_ = false;
    std::string problem_;
};

}  // namespace zamrit
