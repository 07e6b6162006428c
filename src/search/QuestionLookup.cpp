#include "search/QuestionLookup.h"

#include "search/LooseText.h"
#include "search/QuestionBlock.h"
#include "search/QuestionTable.h"
#include "search/TextFold.h"

#include <QList>

namespace {

// Questions holding one stem that are compared by their options, at most.
constexpr qsizetype kMostRowsCompared = 64;
// A stem shorter than this in loose form is no question: "3、是" must not find every question
// holding 是.
constexpr qsizetype kShortestStem = 4;
// Room in a block for the page's number, labels, score and the options after the stem.
constexpr qsizetype kBlockSlack = 4096;
constexpr qsizetype kLongestInput = 100'000;

// Every row holding the fragment, last first, at most kMostRowsCompared.
QList<qsizetype> rowsHolding(const BigramIndex &index, QStringView fragment, qsizetype last,
                             BigramIndex::Anchor anchor = BigramIndex::Anchor::Anywhere)
{
    QList<qsizetype> rows;
    for (qsizetype row = last; row >= 0 && rows.size() < kMostRowsCompared;
         row = index.findLastBefore(fragment, row, anchor))
        rows.append(row);
    return rows;
}

// How many of the block's options the row's options hold, in loose form.
qsizetype sharedOptions(const QStringList &looseOptions, const QString &rowOptions)
{
    const QString loose = looseText(rowOptions);
    qsizetype shared = 0;
    for (const QString &option : looseOptions)
        shared += !option.isEmpty() && loose.contains(option);
    return shared;
}

// The row the block's options point to among those holding its stem, last first; -1 when the
// block's options belong to none of them.
qsizetype chooseByOptions(const QuestionTable &table, const QList<qsizetype> &rows,
                          const QStringList &options, bool *chose)
{
    *chose = false;
    if (rows.isEmpty())
        return -1;
    // 正确 / 错误 and the like are how pages show any true-or-false question, whatever the bank
    // stores for it: they tell no two questions apart.
    static const QStringList kTrueOrFalse = {
        QStringLiteral("正确"), QStringLiteral("错误"), QStringLiteral("对"),
        QStringLiteral("错"),   QStringLiteral("是"),   QStringLiteral("否"),
        QStringLiteral("√"),    QStringLiteral("×"),    QStringLiteral("x"),
        QStringLiteral("t"),    QStringLiteral("f"),    QStringLiteral("true"),
        QStringLiteral("false")};
    QStringList looseOptions;
    for (const QString &option : options) {
        const QString loose = looseText(option);
        if (!kTrueOrFalse.contains(loose))
            looseOptions.append(loose);
    }
    if (looseOptions.isEmpty())
        return rows.front();
    *chose = true;
    qsizetype best = -1;
    qsizetype bestShared = -1;
    for (const qsizetype row : rows) {
        const qsizetype shared = sharedOptions(looseOptions, table.row(row).options);
        if (shared > bestShared) {
            best = row;
            bestShared = shared;
        }
    }
    // A bank question without options (a true-or-false one, say) cannot be told apart by them;
    // one with options that share none of the copied ones is a different question.
    if (bestShared == 0 && looseOptions.size() >= 2 && !table.row(best).options.isEmpty())
        return -1;
    return best;
}

// The count, and what to step through, for the pass that found the row.
void setMatches(const BigramIndex &index, const QString &key, BigramIndex::Anchor anchor,
                bool loose, LookupResult *result, bool optionsChose = false)
{
    if (optionsChose) {
        result->matches = 1;
        return;
    }
    result->matches = index.countRows(key, LookupResult::kMostCounted + 1, anchor);
    result->key = key;
    result->keyIsLoose = loose;
    result->anchor = anchor;
}

// The stem comes first in a block, so a paste far longer than any question is read only as far
// as a stem and its first options can reach: a pasted book is not parsed on each change.
qsizetype blockReach(const QuestionTable &table)
{
    return 2 * table.index().maxLength() + kBlockSlack;
}

} // namespace

qsizetype QuestionLookup::olderMatch(const QuestionTable &table, const LookupResult &result,
                                     qsizetype row)
{
    if (result.key.isEmpty() || row <= 0)
        return -1;
    const BigramIndex &index = result.keyIsLoose ? table.looseMatcher().index() : table.index();
    return index.findLastBefore(result.key, row, result.anchor);
}

qsizetype QuestionLookup::longestInput(const QuestionTable &table)
{
    return qMax(kLongestInput, blockReach(table));
}

LookupResult QuestionLookup::run(const QuestionTable &table, const QString &fragment)
{
    LookupResult result;
    if (fragment.isEmpty() || fragment.size() > longestInput(table))
        return result;
    const QString folded = foldText(fragment);
    result.row = table.index().findLast(folded);
    if (result.found()) {
        setMatches(table.index(), folded, BigramIndex::Anchor::Anywhere, false, &result);
        return result;
    }

    const QuestionBlock block = QuestionBlock::read(QStringView(fragment).left(blockReach(table)));
    const QString &stem = block.stem();
    result.fromBlock = block.changed();
    if (result.fromBlock && looseText(stem).size() >= kShortestStem) {
        const QString foldedStem = foldText(stem);
        const qsizetype last = table.index().findLast(foldedStem);
        if (last >= 0) {
            bool chose = false;
            result.row = chooseByOptions(table, rowsHolding(table.index(), foldedStem, last),
                                         block.options(), &chose);
            if (result.found())
                setMatches(table.index(), foldedStem, BigramIndex::Anchor::Anywhere, false, &result,
                           chose);
            return result;
        }
    }

    // Not as typed: try the stem again without what copying from a page changes.
    const LooseMatcher &matcher = table.looseMatcher();
    const LooseMatcher::Match m = matcher.findLast(stem);
    if (m.row < 0)
        return result;
    const QString held = m.pass == LooseMatcher::Pass::Similar ? m.stretch : looseFragment(stem);
    // Short loose fragments stand only at a question's start (see LooseMatcher).
    const auto anchor = held.size() < LooseMatcher::kMinimumAnywhere
                            ? BigramIndex::Anchor::Start
                            : BigramIndex::Anchor::Anywhere;
    bool chose = false;
    result.row = chooseByOptions(table, rowsHolding(matcher.index(), held, m.row, anchor),
                                 block.options(), &chose);
    if (result.found())
        setMatches(matcher.index(), held, anchor, true, &result, chose);
    result.kind = m.pass == LooseMatcher::Pass::Similar ? LookupResult::Kind::Similar
                                                        : LookupResult::Kind::Loose;
    result.copied = m.copied;
    result.stretch = m.stretch;
    return result;
}
