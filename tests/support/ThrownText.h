#pragma once
// The text of what an action throws (the message the user is shown), for tests.
#include <exception>
#include <string>

namespace vx {

template <typename Action>
std::string ThrownText(Action&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

}  // namespace vx
