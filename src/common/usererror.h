#pragma once
#include <stdexcept>
#include <string>

// The one error type the core raises: its text is shown to the user as it
// stands (UTF-8), in a message box at the widget edge.
class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
