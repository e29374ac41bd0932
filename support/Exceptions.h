#pragma once
// The two kinds of exception the program raises. Each carries its message text
// exactly; the top-level display shows what() and nothing else.
#include <exception>
#include <string>

namespace vx {

// Raised by the record tape and the offset array ("Vanto TZorTape::...").
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Raised by the queue, the conversions, the painter's tape guards and the data
// feed: the message text is the whole payload.
class PlainTextError : public std::exception {
public:
    explicit PlainTextError(const char* text) : text_(text) {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_;  // always a string literal
};

}  // namespace vx
