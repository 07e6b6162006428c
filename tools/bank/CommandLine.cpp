#include "CommandLine.h"

#include "platform/Terminal.h"

#include <cstdio>

CommandLine CommandLine::parse(const QStringList &args, const QStringList &valueOptions,
                               const QStringList &flagOptions)
{
    CommandLine line;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            line.flags.insert(QStringLiteral("--help"));
        } else if (valueOptions.contains(a)) {
            if (i + 1 >= args.size()) {
                line.error = QStringLiteral("option %1 needs a value").arg(a);
                return line;
            }
            line.values.insert(a, args[++i]);
        } else if (flagOptions.contains(a)) {
            line.flags.insert(a);
        } else if (a.startsWith(u'-') && a.size() > 1) {
            line.error = QStringLiteral("unknown option %1").arg(a);
            return line;
        } else {
            line.positional.append(a);
        }
    }
    return line;
}

void Console::out(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void Console::error(const QString &message)
{
    const QByteArray bytes = (QStringLiteral("qinglan-bank: ") + message + u'\n').toUtf8();
    std::fflush(stdout);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

bool Console::stdoutIsTerminal()
{
    return standardOutputIsTerminal();
}
