#pragma once
// Dialogs for tests: answers are queued up front, and every request is kept so
// a test can check the exact text that was shown. An unscripted question gets
// the request's default answer (or a cancel), never a hang.
#include <deque>
#include <vector>

#include "platform/Dialogs.h"

namespace vx {

class ScriptedDialogs : public Dialogs {
public:
    std::deque<MsgAnswer> messageAnswers;
    std::deque<std::optional<FileChoice>> fileAnswers;
    std::deque<std::optional<uint32_t>> colourAnswers;

    std::vector<MessageRequest> messages;
    std::vector<FileRequest> openRequests;
    std::vector<FileRequest> saveRequests;
    std::vector<uint32_t> colourRequests;

    MsgAnswer message(const MessageRequest& request) override {
        messages.push_back(request);
        return next(messageAnswers, request.defaultAnswer);
    }
    std::optional<FileChoice> openFile(const FileRequest& request) override {
        openRequests.push_back(request);
        return next(fileAnswers, std::optional<FileChoice>{});
    }
    std::optional<FileChoice> saveFile(const FileRequest& request) override {
        saveRequests.push_back(request);
        return next(fileAnswers, std::optional<FileChoice>{});
    }
    std::optional<uint32_t> chooseColour(uint32_t initial) override {
        colourRequests.push_back(initial);
        return next(colourAnswers, std::optional<uint32_t>{});
    }

private:
    template <typename T>
    static T next(std::deque<T>& answers, T fallback) {
        if (answers.empty()) return fallback;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace vx
