#pragma once

#include <QStringList>

// The sub-commands of qinglan-bank. Each takes its own arguments (without the command name)
// and returns the exit code: 0 done, 1 bad input, 2 wrong usage.
namespace BankCommands {

enum ExitCode { Ok = 0, BadInput = 1, Usage = 2 };

int build(const QStringList &args);
int dump(const QStringList &args);
int check(const QStringList &args);
int synth(const QStringList &args);
int find(const QStringList &args);

} // namespace BankCommands
