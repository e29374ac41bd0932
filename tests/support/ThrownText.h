#pragma once
// The text of the Exception an action throws: the message the user is shown.
#include <string>

#include "support/Exceptions.h"

template <typename Action>
std::string ThrownText(Action&& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}
