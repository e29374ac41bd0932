#pragma once
// A one-line progress bar on standard error, redrawn in place; silent when
// standard error is no terminal, so logs and pipes get no control codes.
#include <cstdint>
#include <ostream>
#include <string>

namespace vx {

class Progress {
public:
    Progress(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}
    ~Progress() { finish(); }

    void show(const std::string& label, uint64_t done, uint64_t total) {
        if (!terminal_ || total == 0) return;
        const int percent = int(std::min(done, total) * 100 / total);
        if (label == label_ && percent == percent_) return;
        label_ = label;
        percent_ = percent;
        const int filled = percent * Width / 100;
        err_ << '\r' << label << " [" << std::string(size_t(filled), '#') << std::string(size_t(Width - filled), ' ')
             << "] " << percent << "%" << std::flush;
        shown_ = true;
    }
    // Leaves the line, so what follows starts on a fresh one.
    void finish() {
        if (shown_) err_ << '\n' << std::flush;
        shown_ = false;
        label_.clear();
        percent_ = -1;
    }

private:
    static constexpr int Width = 30;
    std::ostream& err_;
    bool terminal_;
    bool shown_ = false;
    std::string label_;
    int percent_ = -1;
};

}  // namespace vx
