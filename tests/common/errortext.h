#pragma once
#include "common/usererror.h"

#include <string>

using namespace tetrafot;

// The text of the UserError that f throws, or "(no error)".
template <typename F>
std::string ErrorText(F&& f)
{
    try {
        f();
    } catch (const UserError& e) {
        return e.what();
    }
    return "(no error)";
}
