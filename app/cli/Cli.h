#pragma once

#include <QStringList>

class QTextStream;

// Runs one command line of vellumo-cli (the arguments after the program
// name): results go to out, messages to err. Returns the exit status (see
// CliStatus). Needs a QGuiApplication.
int RunCli(const QStringList &args, QTextStream &out, QTextStream &err);
