#pragma once
// Plain output files for the measurement writer: create or truncate on Open,
// append on every flush, an exclusive lock while open (against flock and
// fcntl/lockf lockers alike), one fsync at Close.
// Every failing system call is kept with its errno and system text, and the
// caller is told, so a save that did not reach the disk never looks saved.
#include <optional>
#include <string>
#include <string_view>

namespace vx {

struct FileError {
    std::string call;  // the system call that failed ("open", "write", ...)
    int code = 0;      // errno
    std::string text;  // strerror text

    // The error of a call that has just failed with errno = code.
    static FileError FromErrno(const char* call, int code);
    // "write failed: No space left on device (error 28)"
    std::string Describe() const;
};

class InOutFile {
public:
    // Open flags of the POSIX open(): access (O_WRONLY, O_RDWR) and creation
    // (O_CREAT | O_TRUNC to start afresh, 0 to open an existing file).
    InOutFile(int accessMode, int creationMode);
    ~InOutFile();
    InOutFile(const InOutFile&) = delete;
    InOutFile& operator=(const InOutFile&) = delete;

    // Opens name, locked against every other user of the file until Close.
    bool Open(const std::string& name);
    bool Reopen();
    void ReleaseHandle();
    // Releases the handle; forgets the name and the line count.
    void Close();

    int AccessMode;
    int CreationMode;
    int Handle = -1;
    std::string FileName;
    bool IsOpen = false;
    int LinesWritten = 0;

    // The first failure since the last Open, if any.
    const std::optional<FileError>& Error() const { return error_; }
    bool Failed() const { return error_.has_value(); }
    // Keeps the failure unless an earlier one is kept already.
    void Fail(const char* call, int code);

private:
    std::optional<FileError> error_;
};

class OutputFile : public InOutFile {
public:
    // Text gathers in Buffer until this many characters wait, a WriteLine or Close.
    static constexpr std::size_t kBufferLimit = 512;

    OutputFile();
    // Releases Buffer without writing it.
    ~OutputFile();

    void Write(std::string_view text);
    // Appends text and CR LF and writes out the buffer.
    void WriteLine(std::string_view text);
    // Appends the buffer, up to any NUL in it, to the end of the file.
    // False when the file is not open or a write failed.
    bool Flush();
    // Flush, fsync, close. True only when everything written reached the file.
    bool Close();

    std::string Buffer;
};

// A new version of a file, written beside it and put in its place only when
// complete: a save that fails leaves the earlier file as it was and no debris.
// An existing target must be a plain file; it stays locked until Commit.
class ReplacementFile {
public:
    ReplacementFile() = default;
    // Removes a new version that was not committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Locks the target, if it exists, and creates the new version beside it.
    bool Begin(const std::string& target);
    // Where the new version's text goes.
    OutputFile& Output() { return output_; }
    // Syncs the new version and renames it over the target.
    bool Commit();

    // The first failure, if any; a target that is not a plain file reads
    // "it is not a plain file".
    const std::optional<FileError>& Error() const;
    std::string Describe() const;

private:
    void Discard();

    std::string target_;
    std::string temporary_;
    InOutFile targetLock_{0, 0};
    OutputFile output_;
    bool notPlain_ = false;
};

}  // namespace vx
