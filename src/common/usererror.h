#pragma once
#include <QString>

#include <stdexcept>
#include <string>

namespace tetrafot {

// The one error type the core raises: its message is shown to the user as
// it stands, in a message box at the widget edge. what() gives it in UTF-8
// for code that knows only std::exception.
class UserError : public std::runtime_error {
public:
    explicit UserError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    explicit UserError(const std::string& message)
        : std::runtime_error(message), m_message(QString::fromStdString(message))
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace tetrafot
