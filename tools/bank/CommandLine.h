#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// Arguments of one sub-command: positionals, options with a value (-o FILE), bare flags.
struct CommandLine {
    QStringList positional;
    QHash<QString, QString> values;
    QSet<QString> flags;
    QString error; // set when the arguments are not understood

    static CommandLine parse(const QStringList &args, const QStringList &valueOptions,
                             const QStringList &flagOptions);
    bool help() const { return flags.contains(QStringLiteral("--help")); }
};

// Output helpers: stdout as raw bytes, messages on stderr.
namespace Console {
void out(const QByteArray &bytes);
void error(const QString &message);
bool stdoutIsTerminal();
} // namespace Console
