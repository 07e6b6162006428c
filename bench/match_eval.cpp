// How often a question copied from a page still finds its own row, and how often a question the
// bank lacks wrongly gets one. Fragments are made from the demo bank the way users copy them:
// each kind of difference alone and every pair of kinds. Prints Markdown tables.
//
//   match_eval [questions.csv] [not_in_bank.txt]
#include "data/LookupFragment.h"
#include "data/LooseMatcher.h"
#include "data/LooseText.h"
#include "data/QuestionTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>
#include <random>

namespace {

using Random = std::mt19937;

// The bank source's dialect: quoted texts with "" inside, NULL as an empty unquoted field,
// one row per line.
QList<Question> readBankCsv(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(path));
    QList<Question> rows;
    bool header = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        if (header) {
            header = false;
            continue;
        }
        QStringList fields;
        QString field;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted) {
                if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else if (c == u'"') {
                    quoted = false;
                } else {
                    field += c;
                }
            } else if (c == u'"') {
                quoted = true;
            } else if (c == u',') {
                fields << field;
                field.clear();
            } else {
                field += c;
            }
        }
        fields << field;
        if (fields.size() != 5)
            qFatal("%s: a row with %lld fields", qPrintable(path), qlonglong(fields.size()));
        rows.append(Question{fields[0], fields[1], fields[2], fields[3]});
    }
    return rows;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(path));
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line;
    return lines;
}

bool isHan(QChar c)
{
    return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF;
}

// Pairs that OCR and hurried typing confuse; a character without a partner is replaced by
// another character of the bank.
const std::map<QChar, QChar> &confusions()
{
    static const std::map<QChar, QChar> table = [] {
        std::map<QChar, QChar> t;
        const QString pairs = QStringLiteral(
            "士土未末己已人入日曰大太王玉千干天夭田由甲申刀力儿几贝见木本午牛斤斥准淮治冶问间"
            "侯候拨拔即既戍戌析折崇祟壁璧辨辩账帐做作在再的得到倒性姓以已那哪象像须需");
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
            t[pairs[i]] = pairs[i + 1];
            t[pairs[i + 1]] = pairs[i];
        }
        return t;
    }();
    return table;
}

struct Kind {
    const char *name;
    // The copied text, or a null string when the kind does not apply to this question.
    std::function<QString(const QString &, Random &, const QString &bankChars)> apply;
};

QString swapWidth(const QString &q)
{
    static const QString full = QStringLiteral("（），。？：；！");
    static const QString ascii = QStringLiteral("(),.?:;!");
    bool hasFull = false;
    for (QChar c : q)
        hasFull = hasFull || full.contains(c);
    QString out = q;
    for (QChar &c : out) {
        const qsizetype f = (hasFull ? full : ascii).indexOf(c);
        if (f >= 0)
            c = (hasFull ? ascii : full)[f];
    }
    return out == q ? QString() : out;
}

QString changeBlanks(const QString &q, Random &r)
{
    for (qsizetype i = 0; i < q.size(); ++i) {
        if (q[i] != u'(' && q[i] != u'（')
            continue;
        qsizetype j = i + 1;
        while (j < q.size() && (q[j] == u' ' || q[j] == u'\u3000'))
            ++j;
        if (j < q.size() && (q[j] == u')' || q[j] == u'）')) {
            const qsizetype had = j - i - 1;
            qsizetype now = had;
            while (now == had)
                now = qsizetype(r() % 7);
            return q.left(i + 1) + QString(now, u' ') + q.mid(j);
        }
    }
    return {};
}

QString substitute(const QString &q, Random &r, const QString &bankChars, int count)
{
    QList<qsizetype> han;
    for (qsizetype i = 0; i < q.size(); ++i)
        if (isHan(q[i]))
            han << i;
    if (han.size() < count)
        return {};
    QString out = q;
    QList<qsizetype> chosen;
    while (chosen.size() < count) {
        const qsizetype at = han[qsizetype(r() % quint32(han.size()))];
        if (chosen.contains(at))
            continue;
        chosen << at;
        const auto partner = confusions().find(q[at]);
        QChar wrong = partner != confusions().end() ? partner->second : q[at];
        while (wrong == q[at])
            wrong = bankChars[qsizetype(r() % quint32(bankChars.size()))];
        out[at] = wrong;
    }
    return out;
}

QList<Kind> kinds()
{
    return {
        {"one wrong character", [](const QString &q, Random &r,
                                   const QString &chars) { return substitute(q, r, chars, 1); }},
        {"two wrong characters", [](const QString &q, Random &r,
                                    const QString &chars) { return substitute(q, r, chars, 2); }},
        {"full-width / ASCII punctuation",
         [](const QString &q, Random &, const QString &) { return swapWidth(q); }},
        {"blanks inside the answer blank",
         [](const QString &q, Random &r, const QString &) { return changeBlanks(q, r); }},
        {"underscores of another length",
         [](const QString &q, Random &r, const QString &) {
             const qsizetype at = q.indexOf(u'_');
             if (at < 0)
                 return QString();
             qsizetype end = at;
             while (end < q.size() && q[end] == u'_')
                 ++end;
             qsizetype now = end - at;
             while (now == end - at)
                 now = 1 + qsizetype(r() % 8);
             return q.left(at) + QString(now, u'_') + q.mid(end);
         }},
        {"trailing ？ / ?",
         [](const QString &q, Random &, const QString &) {
             if (q.endsWith(u'？'))
                 return q.chopped(1) + u'?';
             if (q.endsWith(u'?'))
                 return q.chopped(1) + u'？';
             return q + u'？';
         }},
        {"。 at the end",
         [](const QString &q, Random &, const QString &) {
             return q.endsWith(u'。') ? q.chopped(1) : q + u'。';
         }},
        {"no-break / ideographic space",
         [](const QString &q, Random &r, const QString &) {
             QString out = q;
             out.replace(u' ', QChar(0x00A0));
             const qsizetype at = 1 + qsizetype(r() % quint32(qMax<qsizetype>(1, q.size() - 1)));
             return out.insert(at, r() % 2 ? QChar(0x3000) : QChar(0x00A0));
         }},
        {"line break where the page wrapped",
         [](const QString &q, Random &r, const QString &) {
             if (q.size() < 4)
                 return QString();
             const qsizetype at = q.size() / 3 + qsizetype(r() % quint32(q.size() / 3 + 1));
             return QString(q).insert(at, r() % 2 ? QStringLiteral("\r\n") : QStringLiteral("\n"));
         }},
        {"question number before the text",
         [](const QString &q, Random &r, const QString &) {
             static const QStringList marks = {"%1、",  "%1.",    "%1. ",   "(%1)", "（%1）",
                                               "[%1].", "第%1题", "【%1】", "%1．"};
             const QString mark = marks[qsizetype(r() % quint32(marks.size()))];
             return mark.arg(1 + r() % 120) + q;
         }},
    };
}

struct Answer {
    qsizetype row = -1;
    LooseMatcher::Pass pass = LooseMatcher::Pass::None;
    bool literal = false;
};

// The lookup as ADOQuery1 runs it: literal first, the tolerant passes only when it finds nothing.
Answer answer(const QuestionTable &table, const QString &input)
{
    const QString fragment = lookupFragment(input);
    if (const qsizetype row = table.findLastRow(fragment); row >= 0)
        return {row, LooseMatcher::Pass::None, true};
    const LooseMatcher::Match m = table.looseMatcher().findLast(fragment);
    return {m.row, m.pass, false};
}

struct Tally {
    int copies = 0, found = 0, wrong = 0, literal = 0, loose = 0, similar = 0;
    void add(const Answer &a, qsizetype expected)
    {
        ++copies;
        if (a.row == expected)
            ++found;
        else if (a.row >= 0)
            ++wrong;
        if (a.row == expected) {
            literal += a.literal;
            loose += a.pass == LooseMatcher::Pass::Loose;
            similar += a.pass == LooseMatcher::Pass::Similar;
        }
    }
};

void printTally(const QString &name, const Tally &t)
{
    std::printf("| %s | %d | %.1f%% | %d | %d | %d | %d | %d |\n", qPrintable(name), t.copies,
                t.copies ? 100.0 * t.found / t.copies : 0.0, t.copies - t.found - t.wrong, t.wrong,
                t.literal, t.loose, t.similar);
}

// Answers to fragments of questions the bank lacks, by the fragment's length: as typed (after
// the input box's trimming) and in loose form, and by the pass that answered.
struct FalseTally {
    struct Count {
        int tried = 0, loose = 0, similar = 0;
    };
    Count shortText, longText, longLoose;
    QStringList answered;
    void add(const QString &fragment, const Answer &a)
    {
        const bool isLong = lookupFragment(fragment).size() >= 8;
        const bool isLongLoose = looseFragment(lookupFragment(fragment)).size() >= 8;
        for (Count *c : {isLong ? &longText : &shortText, isLongLoose ? &longLoose : nullptr}) {
            if (!c)
                continue;
            ++c->tried;
            c->loose += a.row >= 0 && a.pass == LooseMatcher::Pass::Loose;
            c->similar += a.pass == LooseMatcher::Pass::Similar;
        }
        if (a.row >= 0 && isLong)
            answered << QStringLiteral("%1 (%2)").arg(
                fragment, a.pass == LooseMatcher::Pass::Similar ? "similar" : "loose");
    }
};

void printFalse(const char *name, const FalseTally &t)
{
    auto cell = [](const FalseTally::Count &c) {
        return QStringLiteral("%1 | %2 | %3").arg(c.tried).arg(c.loose).arg(c.similar);
    };
    std::printf("| %s | %s | %s | %s |\n", name, qPrintable(cell(t.longText)),
                qPrintable(cell(t.longLoose)), qPrintable(cell(t.shortText)));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString source = QStringLiteral(QINGLAN_SOURCE_DIR);
    const QStringList args = app.arguments();
    const QString csv = args.size() > 1 ? args[1] : source + "/resources/bank/questions.csv";
    const QString absent = args.size() > 2 ? args[2] : source + "/tests/matching/not_in_bank.txt";

    const QList<Question> rows = readBankCsv(csv);
    const QuestionTable table = QuestionTable::fromRows(rows);
    const QStringList notInBank = readLines(absent);
    QString bankChars;
    for (const Question &q : rows)
        for (QChar c : q.text)
            if (isHan(c))
                bankChars += c;

    // The row an unchanged copy finds: its own, except for a question that stands inside a
    // later, longer one.
    QList<qsizetype> reference;
    int notOwn = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        reference << answer(table, rows[i].text).row;
        notOwn += reference.last() != i;
    }

    const QList<Kind> all = kinds();
    // Another seed draws other wrong characters and other places for them.
    const QByteArray seed = qgetenv("MATCH_EVAL_SEED");
    Random random(seed.isEmpty() ? 20261210u : seed.toUInt());
    std::printf("Bank: %s, %lld questions (%d of them inside a later, longer question: an exact "
                "copy finds that one, and so does a changed copy to count as found).\n\n",
                qPrintable(csv), qlonglong(rows.size()), notOwn);
    std::printf("| Difference | Copies | Recall | Not found | Wrong row | Literal | Loose | "
                "Similar |\n|---|---|---|---|---|---|---|---|\n");
    Tally total, singles, pairs;
    for (qsizetype k = 0; k < all.size(); ++k) {
        Tally t;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QString copy = all[k].apply(rows[i].text, random, bankChars);
            if (copy.isNull())
                continue;
            const Answer a = answer(table, copy);
            t.add(a, reference[i]);
            if (a.row != reference[i] && qEnvironmentVariableIsSet("MATCH_EVAL_MISSES"))
                std::printf("missed (%s): %s\n", all[k].name, qPrintable(copy));
        }
        printTally(all[k].name, t);
        for (Tally *sum : {&singles, &total}) {
            sum->copies += t.copies, sum->found += t.found, sum->wrong += t.wrong;
            sum->literal += t.literal, sum->loose += t.loose, sum->similar += t.similar;
        }
    }
    // Pairs: the second kind applied to the result of the first; the question number last, as
    // it stands in front of everything else.
    std::map<QString, Tally> byPair;
    for (qsizetype a = 0; a < all.size(); ++a) {
        for (qsizetype b = a + 1; b < all.size(); ++b) {
            if (a == 0 && b == 1)
                continue; // one and two wrong characters: three in all, not a pair of kinds
            Tally t;
            for (qsizetype i = 0; i < rows.size(); ++i) {
                const QString first = all[a].apply(rows[i].text, random, bankChars);
                if (first.isNull())
                    continue;
                const QString both = all[b].apply(first, random, bankChars);
                if (!both.isNull())
                    t.add(answer(table, both), reference[i]);
            }
            const bool withWrong = a <= 1;
            Tally &sum =
                byPair[withWrong ? "pairs with wrong characters" : "pairs of the other kinds"];
            for (Tally *s : {&sum, &pairs, &total}) {
                s->copies += t.copies, s->found += t.found, s->wrong += t.wrong;
                s->literal += t.literal, s->loose += t.loose, s->similar += t.similar;
            }
        }
    }
    for (const auto &[name, t] : byPair)
        printTally(name, t);
    printTally("**all single kinds**", singles);
    printTally("**all pairs**", pairs);
    printTally("**all**", total);

    // Questions the bank lacks: whole lines, the same with each kind of difference, and every
    // piece of 6 to 24 characters, as a user might copy part of a question.
    FalseTally whole, changed, pieces;
    for (const QString &line : notInBank) {
        whole.add(line, answer(table, line));
        for (const Kind &k : all) {
            const QString copy = k.apply(line, random, bankChars);
            if (!copy.isNull())
                changed.add(copy, answer(table, copy));
        }
        for (qsizetype length = 6; length <= 24; length += 2) {
            for (qsizetype at = 0; at + length <= line.size(); ++at)
                pieces.add(line.mid(at, length), answer(table, line.mid(at, length)));
        }
    }
    // Each bank question against the bank without it: the closest a question the bank lacks
    // can come, as its near siblings ("正确" / "错误") stay in. Only where no other row holds
    // the text literally. Its pieces often stand in a sibling, so for pieces only the answers
    // of the similarity pass count: it runs only when the loose form is in no row.
    FalseTally heldOut, heldOutChanged, heldOutPieces;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QList<Question> others = rows;
        others.removeAt(i);
        const QuestionTable without = QuestionTable::fromRows(others);
        const QString text = rows[i].text;
        if (without.findLastRow(lookupFragment(text)) >= 0)
            continue;
        heldOut.add(text, answer(without, text));
        for (const Kind &k : all) {
            const QString copy = k.apply(text, random, bankChars);
            if (!copy.isNull())
                heldOutChanged.add(copy, answer(without, copy));
        }
        for (qsizetype length = 8; length <= 24; length += 2) {
            for (qsizetype at = 0; at + length <= text.size(); ++at) {
                const QString piece = text.mid(at, length);
                const Answer a = answer(without, piece);
                heldOutPieces.add(piece, a.pass == LooseMatcher::Pass::Similar ? a : Answer{});
            }
        }
    }
    std::printf(
        "\nFragments tried, and how many got an answer from the loose or the similarity "
        "pass; a piece the literal pass finds stands in the bank as typed and is not counted.\n\n"
        "| Not in the bank | ≥ 8 characters | loose | similar | ≥ 8 loose characters | "
        "loose | similar | < 8 characters | loose | similar |\n"
        "|---|---|---|---|---|---|---|---|---|---|\n");
    printFalse("not_in_bank.txt, whole lines", whole);
    printFalse("the same, each kind of difference", changed);
    printFalse("their pieces of 6 to 24 characters", pieces);
    printFalse("bank question, bank without it", heldOut);
    printFalse("the same, each kind of difference", heldOutChanged);
    printFalse("its pieces of 8 to 24 characters (similarity pass)", heldOutPieces);
    for (const FalseTally *t :
         {&whole, &changed, &pieces, &heldOut, &heldOutChanged, &heldOutPieces})
        for (const QString &f : t->answered)
            std::printf("answered (>= 8 characters): %s\n", qPrintable(f));
    return 0;
}
