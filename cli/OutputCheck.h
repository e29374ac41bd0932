#pragma once
// A measurement file is checked before the connection, which can take a
// while: the folder must exist and the file be writable. A file that is
// already there is left as it is until readings arrive; one made by the
// check is removed again when the run ends without writing it.
#include <string>

namespace vx {

class OutputCheck {
public:
    // An empty text when the file can be written, else the reason.
    std::string check(const std::string& path);
    // The run wrote nothing: remove the file the check made.
    void discard();

private:
    std::string created_;
};

// TAB, or ',' for a name ending in ".csv" in any case.
char SeparatorFor(const std::string& path);

}  // namespace vx
