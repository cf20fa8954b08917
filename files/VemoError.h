#pragma once

#include <QString>
#include <stdexcept>

// The error that ends a command: it carries the message the user sees in the error box
// (which file failed and how). Handlers let it travel to the one guard that shows it.
class VemoError : public std::runtime_error
{
public:
    explicit VemoError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message)
    {}
    QString Message() const { return m_message; }

private:
    QString m_message;
};
