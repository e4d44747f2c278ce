#pragma once

#include <QString>
#include <stdexcept>

// A file that could not be written. message() is the German text shown to the user.
class FileWriteError : public std::runtime_error {
public:
    explicit FileWriteError(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }

private:
    QString message_;
};
