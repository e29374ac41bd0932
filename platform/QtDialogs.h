#pragma once
// The dialogs the running program shows, on Qt widgets.
#include "platform/Dialogs.h"

class QWidget;

namespace vx {

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    MsgAnswer message(const MessageRequest& request) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;
    std::optional<uint32_t> chooseColour(uint32_t initial) override;

private:
    QWidget* parent_;
};

}  // namespace vx
