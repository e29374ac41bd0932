#include "graphwin/MyFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kAppendToExisting = 0;  // no O_CREAT, no O_TRUNC

std::string SystemText(int code)
{
    char buf[256];
    // The GNU strerror_r may return a static string instead of filling buf.
    const char* text = strerror_r(code, buf, sizeof buf);
    return text ? text : "";
}

}  // namespace

FileError FileError::FromErrno(const char* call, int code)
{
    return FileError{call, code, SystemText(code)};
}

std::string FileError::Describe() const
{
    return call + " failed: " + text + " (error " + std::to_string(code) + ")";
}

InOutFile::InOutFile(int accessMode, int creationMode) : AccessMode(accessMode), CreationMode(creationMode) {}

InOutFile::~InOutFile()
{
    ReleaseHandle();
}

void InOutFile::Fail(const char* call, int code)
{
    if (!error_)
        error_ = FileError::FromErrno(call, code);
}

bool InOutFile::Open(const std::string& name)
{
    ReleaseHandle();
    FileName = name;
    error_.reset();

    // Truncation waits until the lock is held, so a file that another writer
    // holds is refused untouched.
    const bool truncate = (CreationMode & O_TRUNC) != 0;
    const int fd = ::open(name.c_str(), AccessMode | (CreationMode & ~O_TRUNC) | O_CLOEXEC, 0666);
    if (fd < 0) {
        Fail("open", errno);
        IsOpen = false;
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Fail("flock", errno);
        ::close(fd);
        IsOpen = false;
        return false;
    }
    struct stat st {};
    if (truncate && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
        Fail("ftruncate", errno);
        ::close(fd);
        IsOpen = false;
        return false;
    }
    Handle = fd;
    IsOpen = true;
    return true;
}

bool InOutFile::Reopen()
{
    return Open(FileName);
}

void InOutFile::ReleaseHandle()
{
    if (Handle >= 0) {
        ::close(Handle);  // also drops the lock
        Handle = -1;
    }
}

void InOutFile::Close()
{
    ReleaseHandle();
    IsOpen = false;
    FileName.clear();
    LinesWritten = 0;
}

OutputFile::OutputFile() : InOutFile(O_WRONLY, O_CREAT | O_TRUNC) {}

OutputFile::~OutputFile() = default;

void OutputFile::Write(std::string_view text)
{
    Buffer.append(text);
    if (Buffer.size() >= kBufferLimit)
        Flush();
}

void OutputFile::WriteLine(std::string_view text)
{
    Buffer.append(text);
    Buffer.append("\r\n");
    Flush();
    ++LinesWritten;
}

bool OutputFile::Flush()
{
    const std::string pending = std::move(Buffer);
    Buffer.clear();
    // After one failed write nothing more is appended: a file with a hole in
    // it would look complete.
    if (!IsOpen || Failed())
        return false;

    // Any reopening from here on appends instead of starting afresh.
    CreationMode = kAppendToExisting;
    if (Handle < 0 && !Reopen())
        return false;

    const std::size_t length = std::strlen(pending.c_str());
    if (::lseek(Handle, 0, SEEK_END) < 0) {
        Fail("lseek", errno);
        return false;
    }
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(Handle, pending.data() + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("write", errno);
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool OutputFile::Close()
{
    Flush();
    if (IsOpen && Handle >= 0 && !Failed()) {
        // EINVAL: the file is a device or pipe that cannot be synchronised.
        if (::fsync(Handle) != 0 && errno != EINVAL && errno != EROFS)
            Fail("fsync", errno);
        const int fd = Handle;
        Handle = -1;
        if (::close(fd) != 0 && errno != EINTR)
            Fail("close", errno);
    }
    const bool wasOpen = IsOpen;
    InOutFile::Close();
    AccessMode = O_WRONLY;
    CreationMode = O_CREAT | O_TRUNC;
    return wasOpen && !Failed();
}
