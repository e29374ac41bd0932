#pragma once
// The text of the PlainTextError an action throws, for tests.
#include <functional>
#include <string>

#include "support/Exceptions.h"

inline std::string ThrownText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PlainTextError& e) {
        return e.what();
    }
    return "(nothing thrown)";
}
