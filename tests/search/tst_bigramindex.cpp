// The index must give exactly the answer of reading every row from the last one back.
#include "search/BigramIndex.h"
#include "search/LooseText.h"
#include "search/PairRowsCursor.h"
#include "search/PostingCursor.h"
#include "search/QuestionTable.h"
#include "search/TextFold.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Few distinct units, so that fragments often match several rows, and pairs are shared
// widely; U+0000 and a surrogate pair take part like any other unit.
const char16_t kAlphabet[] = {u'a',  u'b', u'c', u'网', u'络',  u'安',
                              u'全', u'%', u' ', 0,     0xD83D, 0xDE00};

QString randomText(QRandomGenerator &random, int maxLength)
{
    const int length = random.bounded(maxLength + 1);
    QString text;
    for (int i = 0; i < length; ++i)
        text.append(QChar(kAlphabet[random.bounded(int(std::size(kAlphabet)))]));
    return text;
}

PackedTexts pack(const QStringList &texts)
{
    PackedTexts packed;
    for (const QString &t : texts)
        packed.append(t);
    return packed;
}

} // namespace

class TestBigramIndex : public QObject {
    Q_OBJECT

private slots:
    void agreesWithScanOnRandomFragments_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("maxLength");
        QTest::newRow("short rows") << 1u << 400 << 8;
        QTest::newRow("medium rows") << 2u << 2000 << 40;
        QTest::newRow("few long rows") << 3u << 60 << 400;
        QTest::newRow("many rows") << 4u << 20000 << 25;
    }
    void agreesWithScanOnRandomFragments()
    {
        QFETCH(quint32, seed);
        QFETCH(int, rows);
        QFETCH(int, maxLength);
        QRandomGenerator random(seed);
        QStringList texts;
        for (int i = 0; i < rows; ++i)
            texts.append(randomText(random, maxLength));
        const BigramIndex index(pack(texts));
        QCOMPARE(index.size(), qsizetype(rows));

        int found = 0;
        for (int round = 0; round < 3000; ++round) {
            QString fragment;
            switch (round % 3) {
            case 0: // a piece of some row: always found somewhere
                if (const QString &t = texts[random.bounded(rows)]; !t.isEmpty()) {
                    const int from = random.bounded(int(t.size()));
                    fragment = t.mid(from, 1 + random.bounded(int(t.size()) - from));
                }
                break;
            case 1: // a random short string: often found nowhere
                fragment = randomText(random, 6);
                break;
            case 2: // a piece of a row with one unit changed
                if (const QString &t = texts[random.bounded(rows)]; t.size() > 2) {
                    fragment = t.mid(random.bounded(int(t.size()) / 2));
                    fragment[random.bounded(int(fragment.size()))] =
                        QChar(kAlphabet[random.bounded(int(std::size(kAlphabet)))]);
                }
                break;
            }
            const qsizetype expected = index.findLastByScan(fragment);
            if (expected >= 0)
                ++found;
            QCOMPARE(index.findLast(fragment), expected);
            QCOMPARE(index.findLast(fragment, BigramIndex::Anchor::Start),
                     index.findLastByScan(fragment, BigramIndex::Anchor::Start));
            // Counting and walking down from a row agree with a scan too.
            qsizetype holding = 0, belowLast = -1;
            QString scratch;
            for (qsizetype row = 0; row < index.size() && !fragment.isEmpty(); ++row) {
                if (index.text(row, scratch).contains(fragment)) {
                    ++holding;
                    if (row < expected)
                        belowLast = row;
                }
            }
            QCOMPARE(index.countRows(fragment, 1000), qMin<qsizetype>(holding, 1000));
            QCOMPARE(index.countRows(fragment, 2), qMin<qsizetype>(holding, 2));
            if (expected >= 0)
                QCOMPARE(index.findLastBefore(fragment, expected), belowLast);
        }
        QVERIFY(found > 0);
    }

    void longFragmentsUseASampleOfPairs()
    {
        // Rows far longer than the 64 pairs that are looked up; they differ only near the end,
        // so only the check against the text can tell them apart.
        const QString base = QStringLiteral("网络安全abc").repeated(2000);
        QStringList texts = {base + "x", base + "y", QStringLiteral("short"), base + "x"};
        texts[3][7000] = u'Z';
        const BigramIndex index(pack(texts));
        QCOMPARE(index.findLast(base + "x"), qsizetype(0));
        QCOMPARE(index.findLast(base + "y"), qsizetype(1));
        QCOMPARE(index.findLast(base + "z"), qsizetype(-1));
        QCOMPARE(index.findLast(base.left(9000)), qsizetype(1)); // row 3 differs at 7000
        QCOMPARE(index.findLast(base.mid(7003, 5000)), qsizetype(3));
    }

    // The coded lists: rows at block edges and gaps that take one, two and three bytes, read
    // whole, walked down and up by cursors, and through the lookup.
    void postingListsKeepEveryRow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<quint32>>("holding");
        const auto every = [](quint32 first, quint32 step, int count) {
            QList<quint32> r;
            for (int i = 0; i < count; ++i)
                r << first + quint32(i) * step;
            return r;
        };
        QTest::newRow("one row") << 10 << QList<quint32>{5};
        QTest::newRow("row 0 only") << 3 << QList<quint32>{0};
        QTest::newRow("one full block") << 64 << every(0, 1, 64);
        QTest::newRow("a block and one") << 200 << every(1, 3, 65);
        QTest::newRow("three blocks, two-byte gaps") << 60000 << every(7, 300, 192);
        QTest::newRow("three-byte gaps") << 300001 << QList<quint32>{0, 1, 20000, 300000};
    }
    void postingListsKeepEveryRow()
    {
        QFETCH(int, rows);
        QFETCH(QList<quint32>, holding);
        QStringList texts(rows, QStringLiteral("zz"));
        for (const quint32 r : holding)
            texts[qsizetype(r)] = QStringLiteral("xy");
        const BigramIndex index(pack(texts));
        const PostingList list = index.rowsWithPair(u'x', u'y').own();
        QCOMPARE(list.size(), holding.size());
        QCOMPARE(list.last(), holding.last());
        std::vector<quint32> all;
        list.decodeAll(all);
        QCOMPARE(QList<quint32>(all.begin(), all.end()), holding);

        // Down from past the end: every row once, highest first, and nothing below the first.
        PostingCursor down(list);
        quint32 row = 0;
        quint32 x = quint32(rows);
        for (qsizetype i = holding.size() - 1; i >= 0; --i) {
            QVERIFY(down.atMost(x, &row));
            QCOMPARE(row, holding[i]);
            QVERIFY(down.atMost(row, &row)); // the same row again while x does not pass it
            QCOMPARE(row, holding[i]);
            if (row == 0)
                break;
            x = row - 1;
        }
        if (holding.first() > 0)
            QVERIFY(!down.atMost(holding.first() - 1, &row));

        // Up from each row's successor lands on the next row.
        PostingCursor up(list);
        for (qsizetype i = 0; i < holding.size(); ++i) {
            QVERIFY(up.atLeast(i == 0 ? 0 : holding[i - 1] + 1, &row));
            QCOMPARE(row, holding[i]);
        }
        QVERIFY(!up.atLeast(holding.last() + 1, &row));

        // The lookup lists the same rows, last first.
        qsizetype before = rows;
        for (qsizetype i = holding.size() - 1; i >= 0; --i) {
            before = index.findLastBefore(u"xy", before);
            QCOMPARE(before, qsizetype(holding[i]));
        }
        QCOMPARE(index.findLastBefore(u"xy", before), qsizetype(-1));
        QCOMPARE(index.countRows(u"x", 1000000), holding.size());
    }

    void edgeCases()
    {
        const BigramIndex index(pack({"", "a", "ab", "b", QString(), "ba"}));
        QCOMPARE(index.findLast(QString()), qsizetype(-1));
        QCOMPARE(index.findLast(u"a"), qsizetype(5));
        QCOMPARE(index.findLast(u"ab"), qsizetype(2));
        QCOMPARE(index.findLast(u"b"), qsizetype(5));
        QCOMPARE(index.findLast(u"aba"), qsizetype(-1));
        QCOMPARE(index.findLast(u"c"), qsizetype(-1));
        // Anchored: a later row holding the fragment elsewhere does not count.
        QCOMPARE(index.findLast(u"a", BigramIndex::Anchor::Start), qsizetype(2));
        QCOMPARE(index.findLast(u"b", BigramIndex::Anchor::Start), qsizetype(5));
        QCOMPARE(index.findLast(u"ab", BigramIndex::Anchor::Start), qsizetype(2));
        QCOMPARE(index.findLast(u"ba", BigramIndex::Anchor::Start), qsizetype(5));

        const BigramIndex empty(pack({}));
        QCOMPARE(empty.findLast(u"a"), qsizetype(-1));
    }

    // Both indexes of a question table, the loose one over texts derived from the folded ones,
    // must answer exactly as reading every row does.
    void tableIndexesAnswerAsAScan_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("small") << 300;
        QTest::newRow("large") << 12289;
    }

    void tableIndexesAnswerAsAScan()
    {
        QFETCH(int, rows);
        QRandomGenerator random{quint32(rows)};
        QList<Question> bank;
        for (int i = 0; i < rows; ++i) {
            // Full-width marks and letters make the loose form differ from the folded one.
            QString text = randomText(random, 12);
            if (i % 3 == 0)
                text.insert(random.bounded(text.size() + 1), u"（Ａ，）");
            bank.append({u"科目"_qs, text, u"甲;乙"_qs, u"A"_qs});
        }
        const QuestionTable table = QuestionTable::fromRows(bank);
        QCOMPARE(table.size(), qsizetype(rows));
        const BigramIndex &literal = table.index();
        const BigramIndex &loose = table.looseMatcher().index();
        for (int f = 0; f < 300; ++f) {
            const QString &source = bank[random.bounded(rows)].text;
            const int from = random.bounded(source.size() + 1);
            const QString fragment =
                f % 4 == 0 ? randomText(random, 4)
                           : source.mid(from, random.bounded(source.size() - from + 1));
            if (fragment.isEmpty())
                continue;
            const QString folded = foldText(fragment);
            QCOMPARE(literal.findLast(folded), literal.findLastByScan(folded));
            const QString looseForm = looseText(fragment);
            if (!looseForm.isEmpty())
                QCOMPARE(loose.findLast(looseForm), loose.findLastByScan(looseForm));
        }
    }

    // The loose index lists its rows under the folded texts' lists plus the pairs the loose
    // forms hold beyond them. Under every pair a loose form holds, that must give exactly the
    // rows and the count of an index built from the loose forms alone: where dropping joined two
    // units, where a text ends in a dropped mark, and for rows whose loose form is stored
    // (a circled digit, a lone surrogate) and whose folded pairs must not count.
    void looseListsAreThoseOfTheLooseForms()
    {
        QRandomGenerator random{7};
        QList<Question> bank;
        QStringList looseForms;
        for (int i = 0; i < 3000; ++i) {
            QString text = randomText(random, 10);
            if (i % 3 == 0)
                text.insert(random.bounded(text.size() + 1), u"（，）");
            if (i % 5 == 0)
                text.append(u"。");
            if (i % 11 == 0)
                text.insert(random.bounded(text.size() + 1), u"①");
            bank.append({u"科目"_qs, text, u"甲;乙"_qs, u"A"_qs});
            looseForms.append(looseText(text));
        }
        const QuestionTable table = QuestionTable::fromRows(bank);
        const BigramIndex &shared = table.looseMatcher().index();
        const BigramIndex alone(pack(looseForms));
        QSet<QPair<char16_t, char16_t>> pairs;
        for (const QString &t : looseForms) {
            for (qsizetype i = 0; i < t.size(); ++i)
                pairs.insert({t[i].unicode(), i + 1 < t.size() ? t[i + 1].unicode() : u'\0'});
        }
        QVERIFY(pairs.size() > 50);
        std::vector<quint32> expected, actual;
        for (const auto &[first, second] : pairs) {
            const PairRows want = alone.rowsWithPair(first, second);
            const PairRows got = shared.rowsWithPair(first, second);
            want.decodeAll(expected);
            got.decodeAll(actual);
            QCOMPARE(actual, expected);
            QCOMPARE(got.size(), want.size());
            // Walked down and up by a cursor, the same rows.
            PairRowsCursor down(got);
            quint32 row = 0, x = quint32(bank.size());
            for (auto it = expected.rbegin(); it != expected.rend(); ++it) {
                QVERIFY(down.atMost(x, &row));
                QCOMPARE(row, *it);
                x = row - 1;
                if (row == 0)
                    break;
            }
            if (!expected.empty() && expected.front() > 0)
                QVERIFY(!down.atMost(expected.front() - 1, &row));
            PairRowsCursor up(got);
            x = 0;
            for (const quint32 r : expected) {
                QVERIFY(up.atLeast(x, &row));
                QCOMPARE(row, r);
                x = row + 1;
            }
            QVERIFY(!up.atLeast(x, &row));
        }
    }
};

QTEST_GUILESS_MAIN(TestBigramIndex)
#include "tst_bigramindex.moc"
