#include "graphwin/MyFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vx {

namespace {

constexpr int kAppendToExisting = 0;  // no O_CREAT, no O_TRUNC

std::string SystemText(int code) {
    char buf[256];
    // The GNU strerror_r may return a static string instead of filling buf.
    const char* text = strerror_r(code, buf, sizeof buf);
    return text ? text : "";
}

}  // namespace

FileError FileError::FromErrno(const char* call, int code) { return FileError{call, code, SystemText(code)}; }

std::string FileError::Describe() const { return call + " failed: " + text + " (error " + std::to_string(code) + ")"; }

InOutFile::InOutFile(int accessMode, int creationMode) : AccessMode(accessMode), CreationMode(creationMode) {}

InOutFile::~InOutFile() { ReleaseHandle(); }

void InOutFile::Fail(const char* call, int code) {
    if (!error_) error_ = FileError::FromErrno(call, code);
}

bool InOutFile::Open(const std::string& name) {
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
    // Programs that lock with fcntl or lockf do not see a flock: a record
    // lock of the whole file keeps them out too. An open-file lock conflicts
    // with theirs and goes away with the handle.
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if ((AccessMode & O_ACCMODE) != O_RDONLY && ::fcntl(fd, F_OFD_SETLK, &whole) != 0) {
        Fail("fcntl", errno);
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

bool InOutFile::Reopen() { return Open(FileName); }

void InOutFile::ReleaseHandle() {
    if (Handle >= 0) {
        ::close(Handle);  // also drops the lock
        Handle = -1;
    }
}

void InOutFile::Close() {
    ReleaseHandle();
    IsOpen = false;
    FileName.clear();
    LinesWritten = 0;
}

OutputFile::OutputFile() : InOutFile(O_WRONLY, O_CREAT | O_TRUNC) {}

OutputFile::~OutputFile() = default;

void OutputFile::Write(std::string_view text) {
    Buffer.append(text);
    if (Buffer.size() >= kBufferLimit) Flush();
}

void OutputFile::WriteLine(std::string_view text) {
    Buffer.append(text);
    Buffer.append("\r\n");
    Flush();
    ++LinesWritten;
}

bool OutputFile::Flush() {
    const std::string pending = std::move(Buffer);
    Buffer.clear();
    // After one failed write nothing more is appended: a file with a hole in
    // it would look complete.
    if (!IsOpen || Failed()) return false;

    // Any reopening from here on appends instead of starting afresh.
    CreationMode = kAppendToExisting;
    if (Handle < 0 && !Reopen()) return false;

    const std::size_t length = std::strlen(pending.c_str());
    if (::lseek(Handle, 0, SEEK_END) < 0) {
        Fail("lseek", errno);
        return false;
    }
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(Handle, pending.data() + done, length - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("write", errno);
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool OutputFile::Close() {
    Flush();
    if (IsOpen && Handle >= 0 && !Failed()) {
        // EINVAL: the file is a device or pipe that cannot be synchronised.
        if (::fsync(Handle) != 0 && errno != EINVAL && errno != EROFS) Fail("fsync", errno);
        const int fd = Handle;
        Handle = -1;
        if (::close(fd) != 0 && errno != EINTR) Fail("close", errno);
    }
    const bool wasOpen = IsOpen;
    InOutFile::Close();
    AccessMode = O_WRONLY;
    CreationMode = O_CREAT | O_TRUNC;
    return wasOpen && !Failed();
}

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Discard() {
    if (!temporary_.empty()) {
        output_.Close();
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

bool ReplacementFile::Begin(const std::string& target) {
    target_ = target;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        // A named pipe would hold the save until someone reads it; a device
        // cannot take a replacement.
        notPlain_ = true;
        return false;
    }
    // Non-blocking: a plain file that turned into a pipe since the check must not hang the save.
    // A link is followed: the file it names gets the new version, the link stays.
    if (exists) {
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    targetLock_.AccessMode = O_WRONLY | O_NONBLOCK;
    if (exists && !targetLock_.Open(target_)) return false;

    // A fresh name in the same folder, so that the rename stays on one file system.
    static unsigned serial = 0;
    output_.CreationMode = O_CREAT | O_EXCL;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            FolderOf(target_) + "/.vx-save-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".tmp";
        if (output_.Open(name)) {
            temporary_ = name;
            // The new version keeps the permissions of the one it replaces.
            if (exists) ::fchmod(output_.Handle, st.st_mode & 07777);
            return true;
        }
        if (output_.Error()->code != EEXIST) return false;
        output_.CreationMode = O_CREAT | O_EXCL;
    }
    return false;
}

bool ReplacementFile::Commit() {
    if (temporary_.empty() || !output_.Close()) {
        Discard();
        return false;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        output_.Fail("rename", errno);
        Discard();
        return false;
    }
    temporary_.clear();
    // The rename itself reaches the disk with the folder.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    targetLock_.Close();
    return true;
}

const std::optional<FileError>& ReplacementFile::Error() const {
    return targetLock_.Failed() ? targetLock_.Error() : output_.Error();
}

std::string ReplacementFile::Describe() const {
    if (notPlain_) return "it is not a plain file";
    return Error() ? Error()->Describe() : "it could not be written";
}

}  // namespace vx
