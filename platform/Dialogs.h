#pragma once
// Message boxes and the file and colour dialogs. Windows and logic ask through
// this interface, so tests script the answers and read back what was shown.
#include <cstdint>
#include <optional>
#include <string>

namespace vx {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Stop, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    std::string text;
    std::string caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
};

struct FileRequest {
    std::string title;
    std::string filter;       // "Text files (*.txt *.TXT);;All files (*)"
    std::string initialName;  // folder and/or file name
    int filterIndex = 0;      // preselected filter, 0-based
};

struct FileChoice {
    std::string path;
    int filterIndex = 0;  // the filter the user chose, 0-based
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgAnswer message(const MessageRequest& request) = 0;
    // Nothing when the user cancels.
    virtual std::optional<FileChoice> openFile(const FileRequest& request) = 0;
    virtual std::optional<FileChoice> saveFile(const FileRequest& request) = 0;
    // Colours are 0x00BBGGRR. Nothing when the user cancels.
    virtual std::optional<uint32_t> chooseColour(uint32_t initial) = 0;
};

}  // namespace vx
