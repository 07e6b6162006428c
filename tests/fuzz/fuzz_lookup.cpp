// The lookup on an arbitrary input text (the fuzzer's bytes read as UTF-16 units, so unpaired
// surrogates, NULs and any other unit come up) against a fixed small bank: the demo bank's rows
// plus rows made for the corner cases of the index (repeats, one-unit texts, surrogate pairs,
// pattern characters, full-width forms). The indexed search must find exactly the row a plain
// scan of the folded texts finds: the last one that contains the folded fragment. When it finds
// nothing, the tolerant passes must agree with a scan of the loose texts.
#include "search/LookupFragment.h"
#include "search/LooseMatcher.h"
#include "search/LooseText.h"
#include "search/QuestionTable.h"
#include "search/TextFold.h"

#include "BankCsvReader.h"

#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QList<Question> g_rows;
QStringList g_folded;
const QuestionTable *g_table = nullptr;

QList<Question> cornerRows()
{
    const QStringList texts{
        QStringLiteral("啊啊啊啊啊"),
        QStringLiteral("啊"),
        QStringLiteral("x"),
        QStringLiteral("50%的人(  )选择_下划线[1]与^-'\"符号"),
        QStringLiteral("ＡＢＣ全角　空格ａｂｃ"),
        QStringLiteral("𠀀𠀁扩展B区𠀀字"),
        QStringLiteral("、开头的顿号"),
        QStringLiteral(" 前后有空格 "),
        QStringLiteral("\u200f右到左标记\u202e"),
        QStringLiteral("ababababab"),
    };
    QList<Question> rows;
    for (const QString &text : texts)
        rows.append({QStringLiteral("科目"), text, QStringLiteral("A;B"), QStringLiteral("A")});
    return rows;
}

// The reference: a plain scan from the last row backwards.
qsizetype scanLast(const QString &fragment)
{
    if (fragment.isEmpty())
        return -1;
    const QString folded = foldText(fragment);
    for (qsizetype row = g_folded.size() - 1; row >= 0; --row)
        if (g_folded[row].contains(folded))
            return row;
    return -1;
}

// The passes the lookup runs when the literal one finds nothing. The loose pass must give the row
// a scan of the loose texts gives (short fragments only at a text's start); the similarity pass
// may answer only when the loose pass finds nothing, with a row of the bank.
void checkTolerantPasses(const QString &fragment)
{
    const LooseMatcher &matcher = g_table->looseMatcher();
    const LooseMatcher::Match m = matcher.findLast(fragment);
    const QString loose = looseFragment(fragment);
    qsizetype expected = -1;
    if (loose.size() >= LooseMatcher::kMinimumLength) {
        const auto anchor = loose.size() < LooseMatcher::kMinimumAnywhere
                                ? BigramIndex::Anchor::Start
                                : BigramIndex::Anchor::Anywhere;
        expected = matcher.index().findLastByScan(loose, anchor);
    }
    const bool looseRight = m.pass == LooseMatcher::Pass::Loose ? m.row == expected
                            : m.pass == LooseMatcher::Pass::Similar
                                ? expected < 0 && m.row >= 0 && m.row < g_table->size()
                                : expected < 0 && m.row < 0;
    if (!looseRight) {
        std::fprintf(stderr, "tolerant pass %d found row %lld, a scan of the loose texts %lld\n",
                     int(m.pass), qlonglong(m.row), qlonglong(expected));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QFile csv(QStringLiteral(QINGLAN_FUZZ_BANK_CSV));
    if (!csv.open(QIODevice::ReadOnly))
        std::abort();
    for (const BankRecord &record : BankCsvReader::parse(csv.readAll(), csv.fileName()))
        g_rows.append({record.subject.value_or(QString()), record.text,
                       record.options.value_or(QString()), record.answer.value_or(QString())});
    g_rows.append(cornerRows());
    for (const Question &row : g_rows)
        g_folded.append(foldText(row.text));
    g_table = new QuestionTable(QuestionTable::fromRows(g_rows));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input =
        QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const QString fragment = lookupFragment(input);
    const qsizetype found = g_table->findLastRow(fragment);
    const qsizetype expected = scanLast(fragment);
    if (found != expected) {
        std::fprintf(stderr, "index found row %lld, a scan finds %lld\n", qlonglong(found),
                     qlonglong(expected));
        std::abort();
    }
    if (found >= 0 && g_table->findLast(fragment)->text != g_rows[found].text)
        std::abort();
    if (found < 0)
        checkTolerantPasses(fragment);
    return 0;
}
