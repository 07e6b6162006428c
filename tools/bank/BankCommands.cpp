#include "BankCommands.h"

#include "BankCsvReader.h"
#include "CommandLine.h"
#include "CsvWriter.h"
#include "SyntheticBank.h"
#include "jet/BankFileStats.h"
#include "jet/BankInputError.h"
#include "jet/JetBankWriter.h"

#include "base/AppError.h"
#include "data/AnswerLines.h"
#include "data/BankConnection.h"
#include "data/BankQuery.h"
#include "data/TDataModule1.h"
#include "jet/JetDatabase.h"
#include "platform/ReadingChoice.h"
#include "platform/TesseractRecognizer.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <functional>

namespace {

using namespace BankCommands;

const char kBuildHelp[] =
    "Usage: qinglan-bank build SOURCE.csv -o FILE\n"
    "Writes a Jet 4 question bank (table 问题) from CSV as mdb-export prints it:\n"
    "UTF-8, a header row naming the columns 科目, 题目内容, 选项, 标准答案, 编号 (any order),\n"
    "comma separators, values in double quotes with \"\" for a quote, an empty unquoted field\n"
    "for NULL and \"\" for an empty text. Rows keep the order of the source; an empty 编号\n"
    "gets the next number after the highest given.\n";
const char kDumpHelp[] =
    "Usage: qinglan-bank dump FILE [TABLE]\n"
    "Prints the rows of TABLE (default 问题) of a Jet 4 database as CSV in the dialect of\n"
    "mdb-export, read through the program's own reading code: every column type as mdb-export\n"
    "prints it (OLE values byte for byte, binary ones up to their first zero byte), and a\n"
    "zero-length value like NULL, as nothing.\n"
    "Without TABLE and without a table 问题 it lists the user tables.\n";
const char kCheckHelp[] =
    "Usage: qinglan-bank check FILE\n"
    "Opens FILE as the program does, checks the table 问题 and its five columns, and prints\n"
    "the row count and how the values are stored (NULL, inline, long-value rows, compressed).\n";
const char kSynthHelp[] =
    "Usage: qinglan-bank synth N -o FILE [--seed S] [--long-every K]\n"
    "Writes a made-up bank of N rows with the lengths and layouts of a real one. --seed picks\n"
    "another bank (default 1); --long-every K gives every K-th row options several pages long.\n";
const char kFindHelp[] =
    "Usage: qinglan-bank find FILE FRAGMENT [--json]\n"
    "       qinglan-bank find FILE --image PICTURE [--json]\n"
    "Looks FRAGMENT up in the bank FILE the way the program does and prints what its answer box\n"
    "would show (coloured on a terminal). --json prints the matching row, or null, with\n"
    "\"match\" (exact, loose or similar: the pass that found it), \"block\" (whether the\n"
    "question was taken out of a copied block) and \"matches\" (how many questions hold the\n"
    "text, \"1000+\" past a thousand).\n"
    "--image reads the text of PICTURE (PNG, JPEG, BMP) as the window's 截图识题 button does\n"
    "(again, prepared other ways, when the first reading finds nothing) and looks that up; the\n"
    "text read goes to stderr, and with --json the output is an object with\n"
    "\"read\" (the text) and \"row\" (the matching row, or null).\n";

int usage(const char *help, const QString &problem)
{
    Console::error(problem);
    std::fputs(help, stderr);
    return Usage;
}

int helpOrUsage(const CommandLine &line, const char *help, qsizetype minArgs, qsizetype maxArgs)
{
    if (line.help()) {
        Console::out(help);
        return Ok;
    }
    if (!line.error.isEmpty())
        return usage(help, line.error);
    if (line.positional.size() < minArgs || line.positional.size() > maxArgs)
        return usage(help, QStringLiteral("wrong number of arguments"));
    return -1;
}

// Runs `action`, turning the errors of bad input into a message and exit code 1.
int guarded(const std::function<int()> &action)
{
    try {
        return action();
    } catch (const BankInputError &e) {
        Console::error(e.message());
    } catch (const AppError &e) {
        Console::error(e.message());
    }
    return BadInput;
}

// The bank goes to a temporary file that replaces FILE only when complete, so a failure
// leaves no half-written bank behind.
void writeBank(const QString &path, const std::function<void(JetBankWriter &)> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw BankInputError(QStringLiteral("%1: cannot write: %2").arg(path, file.errorString()));
    JetBankWriter writer(&file);
    rows(writer);
    writer.finish();
    if (!file.commit())
        throw BankInputError(QStringLiteral("%1: cannot write: %2").arg(path, file.errorString()));
}

bool isQuotedType(int type)
{
    // As mdb-export: text, memo, date, binary, OLE and replication ids are quoted.
    return type == 10 || type == 12 || type == 8 || type == 9 || type == 11 || type == 15;
}

bool isBinaryType(int type)
{
    return type == 9 || type == 11; // binary, OLE
}

QString typeName(const JetColumn &c)
{
    switch (c.type) {
    case 10:
        return QStringLiteral("Text(%1)").arg(c.size / 2);
    case 12:
        return QStringLiteral("Memo");
    case 4:
        return QStringLiteral("Long");
    default:
        return QStringLiteral("type %1").arg(c.type);
    }
}

} // namespace

int BankCommands::build(const QStringList &args)
{
    const CommandLine line = CommandLine::parse(args, {QStringLiteral("-o")}, {});
    if (const int code = helpOrUsage(line, kBuildHelp, 1, 1); code >= 0)
        return code;
    if (!line.values.contains(QStringLiteral("-o")))
        return usage(kBuildHelp, QStringLiteral("the output file (-o FILE) is missing"));
    return guarded([&] {
        const QString source = line.positional[0];
        const QVector<BankRecord> records = BankCsvReader::readFile(source);
        writeBank(line.values.value(QStringLiteral("-o")), [&](JetBankWriter &writer) {
            for (const BankRecord &r : records) {
                try {
                    writer.add(r);
                } catch (const BankInputError &e) {
                    throw BankInputError(source + QStringLiteral(": ") + e.message());
                }
            }
        });
        return int(Ok);
    });
}

int BankCommands::synth(const QStringList &args)
{
    const CommandLine line = CommandLine::parse(
        args, {QStringLiteral("-o"), QStringLiteral("--seed"), QStringLiteral("--long-every")}, {});
    if (const int code = helpOrUsage(line, kSynthHelp, 1, 1); code >= 0)
        return code;
    if (!line.values.contains(QStringLiteral("-o")))
        return usage(kSynthHelp, QStringLiteral("the output file (-o FILE) is missing"));
    bool ok = false;
    const qint64 rows = line.positional[0].toLongLong(&ok);
    if (!ok || rows < 0 || rows > 50'000'000)
        return usage(kSynthHelp, QStringLiteral("N must be a row count from 0 to 50000000"));
    const quint64 seed =
        line.values.value(QStringLiteral("--seed"), QStringLiteral("1")).toULongLong(&ok);
    if (!ok)
        return usage(kSynthHelp, QStringLiteral("--seed takes a whole number"));
    const int longEvery =
        line.values.value(QStringLiteral("--long-every"), QStringLiteral("0")).toInt(&ok);
    if (!ok || longEvery < 0)
        return usage(kSynthHelp, QStringLiteral("--long-every takes a whole number"));
    return guarded([&] {
        SyntheticBank bank(seed, longEvery);
        writeBank(line.values.value(QStringLiteral("-o")), [&](JetBankWriter &writer) {
            for (qint64 i = 0; i < rows; ++i)
                writer.add(bank.row(i));
        });
        return int(Ok);
    });
}

int BankCommands::dump(const QStringList &args)
{
    const CommandLine line = CommandLine::parse(args, {}, {});
    if (const int code = helpOrUsage(line, kDumpHelp, 1, 2); code >= 0)
        return code;
    return guarded([&] {
        const std::unique_ptr<JetDatabase> db = JetDatabase::open(line.positional[0]);
        QString table = line.positional.value(1);
        if (table.isEmpty()) {
            if (!db->hasTable(QStringLiteral("问题"))) {
                Console::out(db->tableNames().join(u'\n').toUtf8() + '\n');
                return int(Ok);
            }
            table = QStringLiteral("问题");
        }
        const QVector<JetColumn> columns = db->columns(table);
        QStringList names;
        for (const JetColumn &c : columns)
            names.append(c.name);
        QByteArray out = CsvWriter::header(names);
        db->forEachRow(table, [&](const JetRow &row) {
            for (qsizetype i = 0; i < row.size(); ++i) {
                if (i)
                    out += ',';
                const JetCell &cell = row[i];
                // mdb-export knows a value only by its length: a zero-length text, memo or
                // binary value prints as NULL, like a missing one.
                if (cell.isNull || (cell.text.isEmpty() && cell.bytes.isEmpty()))
                    continue;
                if (isBinaryType(columns[i].type))
                    CsvWriter::appendBytes(out, cell.bytes);
                else
                    CsvWriter::appendField(out, cell.text, isQuotedType(columns[i].type));
            }
            out += '\n';
            if (out.size() > (1 << 20)) {
                Console::out(out);
                // Keeps the buffer: clear() would free it and the next megabyte grow it again,
                // page by page, for every megabyte of output.
                out.truncate(0);
            }
        });
        Console::out(out);
        return int(Ok);
    });
}

int BankCommands::check(const QStringList &args)
{
    const CommandLine line = CommandLine::parse(args, {}, {});
    if (const int code = helpOrUsage(line, kCheckHelp, 1, 1); code >= 0)
        return code;
    return guarded([&] {
        const QString path = line.positional[0];
        // First as the program opens it: header, password, the table and its four columns.
        BankConnection connection;
        connection.setFileName(path);
        connection.Open();
        if (!connection.table())
            throw BankInputError(connection.schemaError());
        const qsizetype programRows = connection.table()->size();
        connection.Close();

        const std::unique_ptr<JetDatabase> db = JetDatabase::open(path);
        const QVector<JetColumn> columns = db->columns(QStringLiteral("问题"));
        struct Expected {
            const char16_t *name;
            int type;
            int size;
        };
        const Expected expected[] = {{u"科目", 10, 510},
                                     {u"题目内容", 12, 0},
                                     {u"选项", 12, 0},
                                     {u"标准答案", 10, 510},
                                     {u"编号", 4, 4}};
        QStringList problems;
        if (columns.size() != 5)
            problems.append(QStringLiteral("the table has %1 columns, not 5").arg(columns.size()));
        for (const Expected &e : expected) {
            const QString name = QString::fromUtf16(e.name);
            const auto it = std::find_if(columns.begin(), columns.end(),
                                         [&](const JetColumn &c) { return c.name == name; });
            if (it == columns.end())
                problems.append(QStringLiteral("column %1 is missing").arg(name));
            else if (it->type != e.type || (e.size && it->size != e.size))
                problems.append(QStringLiteral("column %1 is %2").arg(name, typeName(*it)));
        }
        if (!problems.isEmpty())
            throw BankInputError(path + QStringLiteral(": ") + problems.join(QStringLiteral("; ")));

        const BankFileStats stats = BankFileStats::scan(path);
        if (stats.rows != programRows)
            throw BankInputError(QStringLiteral("%1: the pages hold %2 rows, the reader read %3")
                                     .arg(path)
                                     .arg(stats.rows)
                                     .arg(programRows));
        qint64 broken = 0;
        for (const BankFileStats::Column &c : stats.columns)
            broken += c.broken;
        if (broken > 0)
            throw BankInputError(QStringLiteral("%1: %2 memo values are damaged (long-value rows "
                                                "missing or cut short), the first: %3")
                                     .arg(path)
                                     .arg(broken)
                                     .arg(stats.firstBroken));
        QString report;
        report += QStringLiteral("%1: table 问题 (definition on page %2), password ok\n")
                      .arg(path)
                      .arg(stats.definitionPage);
        report += QStringLiteral("columns: 科目 Text(255), 题目内容 Memo, 选项 Memo, 标准答案 "
                                 "Text(255), 编号 Long\n");
        report += QStringLiteral("rows: %1\n").arg(stats.rows);
        qint64 nulls = 0, inlined = 0, single = 0, chained = 0, compressed = 0;
        for (const BankFileStats::Column &c : stats.columns) {
            report += QStringLiteral("%1: NULL %2, empty %3").arg(c.name).arg(c.nulls).arg(c.empty);
            if (c.memo)
                report += QStringLiteral(", inline %1, long-value rows %2 (single %3, chained %4)")
                              .arg(c.inlined)
                              .arg(c.singleRow + c.chained)
                              .arg(c.singleRow)
                              .arg(c.chained);
            report += QStringLiteral(", compressed %1\n").arg(c.compressed);
            nulls += c.nulls;
            inlined += c.inlined;
            single += c.singleRow;
            chained += c.chained;
            compressed += c.compressed;
        }
        report += QStringLiteral("total: NULL %1, inline %2, long-value rows %3, compressed %4\n")
                      .arg(nulls)
                      .arg(inlined)
                      .arg(single + chained)
                      .arg(compressed);
        Console::out(report.toUtf8());
        return int(Ok);
    });
}

int BankCommands::find(const QStringList &args)
{
    const QString imageOption = QStringLiteral("--image");
    const CommandLine line = CommandLine::parse(args, {imageOption}, {QStringLiteral("--json")});
    const bool fromPicture = line.values.contains(imageOption);
    const qsizetype positionals = fromPicture ? 1 : 2;
    if (const int code = helpOrUsage(line, kFindHelp, positionals, positionals); code >= 0)
        return code;
    return guarded([&] {
        const QFileInfo file(line.positional[0]);
        // The data module the program creates, pointed at FILE instead of AppPath's bank.
        TDataModule1 module(file.absolutePath() + u'/');
        module.ADOConnection1->setFileName(file.absoluteFilePath());
        module.DataModuleCreate();

        QString fragment;
        QString read;
        if (fromPicture) {
            const QString picturePath = line.values.value(imageOption);
            QImageReader reader(picturePath);
            const QImage picture = reader.read();
            if (picture.isNull())
                throw BankInputError(QStringLiteral("%1: cannot read the picture: %2")
                                         .arg(picturePath, reader.errorString()));
            // As the window: the text goes into the input box, whose lines the lookup sees
            // separated by CR LF; a reading that finds nothing is read again the other ways.
            TesseractRecognizer recognizer;
            const ReadingChoice choice =
                ReadingChoice::read(recognizer, picture, [&](const QString &text) {
                    return module.ADOQuery1->findsInReading(text);
                });
            read = choice.text();
            Console::error(QStringLiteral("text read from the picture:\n") + read);
            fragment = read;
            fragment.replace(u'\n', QStringLiteral("\r\n"));
        } else {
            fragment = line.positional[1];
        }
        const LookupResult result = module.ADOQuery1->lookUp(fragment);
        const std::optional<Question> found =
            result.found() ? std::optional(module.ADOQuery1->row(result.row)) : std::nullopt;
        const bool shown = found && !found->subject.isEmpty();

        if (line.flags.contains(QStringLiteral("--json"))) {
            const auto print = [&](const QJsonValue &row) {
                if (!fromPicture) {
                    Console::out(
                        row.isNull()
                            ? QByteArray("null\n")
                            : QJsonDocument(row.toObject()).toJson(QJsonDocument::Indented));
                    return;
                }
                QJsonObject both;
                both.insert(QStringLiteral("read"), read);
                both.insert(QStringLiteral("row"), row);
                Console::out(QJsonDocument(both).toJson(QJsonDocument::Indented));
            };
            if (!shown) {
                print(QJsonValue::Null);
                return int(Ok);
            }
            QJsonObject row;
            row.insert(QStringLiteral("科目"), found->subject);
            row.insert(QStringLiteral("题目内容"), found->text);
            row.insert(QStringLiteral("选项"), found->options);
            row.insert(QStringLiteral("标准答案"), found->answer);
            // Which pass found the row, and whether it came from the stem of a copied block.
            static const char *const kinds[] = {"exact", "loose", "similar"};
            row.insert(QStringLiteral("match"), QString::fromLatin1(kinds[int(result.kind)]));
            row.insert(QStringLiteral("block"), result.fromBlock);
            // How many questions hold the text in that pass; past the count, "1000+".
            row.insert(QStringLiteral("matches"),
                       result.moreThanCounted()
                           ? QJsonValue(QString::number(LookupResult::kMostCounted) + u'+')
                           : QJsonValue(qint64(result.matches)));
            print(row);
            return int(Ok);
        }
        const bool colour = Console::stdoutIsTerminal();
        QByteArray out;
        const auto addLine = [&](const char *ansi, const QString &text) {
            if (colour)
                out += ansi;
            out += text.toUtf8();
            if (colour)
                out += "\x1b[0m";
            out += '\n';
        };
        // The window's colours as the terminal's: blue, black, red, magenta.
        const auto ansi = [](quint32 rgb) {
            switch (rgb) {
            case 0x0000FF:
                return "\x1b[34m";
            case 0xFF0000:
                return "\x1b[31m";
            case 0xFF00FF:
                return "\x1b[35m";
            case 0x808080:
                return "\x1b[90m";
            default:
                return "\x1b[30m";
            }
        };
        const QList<AnswerLine> lines =
            shown ? AnswerLines::forResult(*found, result) : AnswerLines::guidance();
        for (const AnswerLine &line : lines)
            addLine(ansi(line.rgb), line.text);
        Console::out(out);
        return int(Ok);
    });
}
