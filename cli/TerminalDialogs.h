#pragma once
// Message boxes for a program without windows: the text goes to standard
// error and the box's default answer is taken, so a question that would
// stop a connection for a person stops it here too. File and colour
// dialogs are cancelled.
#include <ostream>

#include "platform/Dialogs.h"

namespace vx {

class TerminalDialogs : public Dialogs {
public:
    explicit TerminalDialogs(std::ostream& err) : err_(err) {}

    MsgAnswer message(const MessageRequest& request) override {
        err_ << "vx7318: " << request.text << '\n';
        return request.defaultAnswer;
    }
    std::optional<FileChoice> openFile(const FileRequest&) override { return std::nullopt; }
    std::optional<FileChoice> saveFile(const FileRequest&) override { return std::nullopt; }
    std::optional<uint32_t> chooseColour(uint32_t) override { return std::nullopt; }

private:
    std::ostream& err_;
};

}  // namespace vx
