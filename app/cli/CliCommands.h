#pragma once

class QTextStream;
struct CliArgs;

// The commands of vellumo-cli. Each returns the exit status or throws
// CliError; results go to out, messages to err.
int RunRender(const CliArgs &args, QTextStream &out, QTextStream &err);
int RunTrace(const CliArgs &args, QTextStream &out, QTextStream &err);
int RunPrint(const CliArgs &args, QTextStream &out, QTextStream &err);
int RunTracePrint(const CliArgs &args, QTextStream &out, QTextStream &err);
int RunCheck(const CliArgs &args, QTextStream &out, QTextStream &err);
int RunImport(const CliArgs &args, QTextStream &out, QTextStream &err);
int RunWatch(const CliArgs &args, QTextStream &out, QTextStream &err);
int RunCalibrate(const CliArgs &args, QTextStream &out, QTextStream &err);
