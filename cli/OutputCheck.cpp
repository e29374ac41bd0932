#include "cli/OutputCheck.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>

#include "platform/SerialDevice.h"

namespace vx {

std::string OutputCheck::check(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        created_ = path;
    else if (errno == EEXIST)
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return "cannot write " + path + ": " + systemErrorText(errno);
    ::close(fd);
    return {};
}

void OutputCheck::discard() {
    if (!created_.empty()) std::remove(created_.c_str());
    created_.clear();
}

char SeparatorFor(const std::string& path) {
    if (path.size() < 4) return '\t';
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".csv" ? ',' : '\t';
}

}  // namespace vx
