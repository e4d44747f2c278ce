#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <stdexcept>

// Exit statuses of vellumo-cli.
enum CliStatus : int { CliOk = 0, CliBadInput = 1, CliBadUsage = 2, CliFindings = 3 };

// A reason to stop: the status and the message for stderr.
class CliError : public std::runtime_error {
public:
    CliError(CliStatus status, const QString &message)
        : std::runtime_error(message.toStdString()), status_(status), message_(message) {}
    CliStatus status() const { return status_; }
    const QString &message() const { return message_; }

private:
    CliStatus status_;
    QString message_;
};

// One command line taken apart: the command, its one file and its options.
// Options are "--name value", "--name=value" or, for switches, "--name".
struct CliArgs {
    QString command;
    QString file;
    QStringList files;               // every file named, in order (import takes several)
    QHash<QString, QString> values;  // option name without dashes -> value
    QSet<QString> switches;
    bool help = false;

    bool has(const QString &name) const { return values.contains(name) || switches.contains(name); }
    QString value(const QString &name) const { return values.value(name); }

    // Throws CliError(CliBadUsage) for an unknown command or option, a missing
    // value or file, or a second file.
    static CliArgs parse(const QStringList &args);

    // An option's value as a whole number within [min, max].
    int integer(const QString &name, int min, int max, int defaultValue) const;
};

// "--help" of the program and of each command.
QString CliHelp(const QString &command = QString());
