#include "search/PairLists.h"

#include <QRandomGenerator>
#include <QTest>

#include <map>
#include <set>

// The lists a row set gives, built the slow way: every key with its rows, each row once.
using Expected = std::map<quint32, std::vector<quint32>>;

class TestPairLists : public QObject {
    Q_OBJECT

    // Rows of random keys from a small alphabet, so that common keys span many blocks and rare
    // ones hold a row or two; some rows repeat a key, and the gaps between a rare key's rows
    // need several bytes.
    static std::vector<std::vector<quint32>> randomRows(int rows, quint32 seed)
    {
        QRandomGenerator random{seed};
        std::vector<std::vector<quint32>> result(static_cast<std::size_t>(rows));
        for (auto &keys : result) {
            const int n = random.bounded(0, 12);
            for (int i = 0; i < n; ++i) {
                const char16_t first = char16_t(0x4E00 + random.bounded(40));
                const char16_t second = random.bounded(50) == 0
                                            ? char16_t(random.bounded(0x10000))
                                            : char16_t(0x4E00 + random.bounded(40));
                keys.push_back(PairLists::key(first, second));
                if (random.bounded(8) == 0)
                    keys.push_back(keys.back());
            }
        }
        return result;
    }

    static Expected expectedLists(const std::vector<std::vector<quint32>> &rows)
    {
        Expected expected;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            for (const quint32 key : std::set<quint32>(rows[row].begin(), rows[row].end()))
                expected[key].push_back(quint32(row));
        }
        return expected;
    }

private slots:
    // However many threads share the keys out, the lists are those of every key over every row,
    // in ascending order, found by key and in key order.
    void listsAreThoseOfTheRows_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("threads");
        QTest::newRow("no rows, 2 threads") << 0 << 2;
        QTest::newRow("1 thread") << 20000 << 1;
        QTest::newRow("2 threads") << 20000 << 2;
        QTest::newRow("3 threads") << 20000 << 3;
        QTest::newRow("more threads than keys") << 3 << 64;
    }
    void listsAreThoseOfTheRows()
    {
        QFETCH(int, rows);
        QFETCH(int, threads);
        const auto table = randomRows(rows, 11);
        const Expected expected = expectedLists(table);
        const PairLists lists(
            qsizetype(table.size()),
            [&table] {
                return PairLists::RowPairs([&table](qsizetype row, std::vector<quint32> &keys) {
                    keys.assign(table[std::size_t(row)].begin(), table[std::size_t(row)].end());
                });
            },
            threads);
        QCOMPARE(lists.keyCount(), expected.size());
        std::size_t at = 0;
        std::vector<quint32> got;
        for (const auto &[key, want] : expected) {
            QCOMPARE(lists.keyAt(at), key);
            lists.listAt(at).decodeAll(got);
            QCOMPARE(got, want);
            PostingList found;
            QVERIFY(lists.find(key, &found));
            QCOMPARE(found.size(), qsizetype(want.size()));
            QCOMPARE(found.last(), want.back());
            ++at;
        }
        PostingList none;
        QVERIFY(!lists.find(PairLists::key(u'a', u'b'), &none));
    }

    // A failure on one thread reaches the caller, after every thread has ended.
    void aFailingRowReachesTheCaller()
    {
        const auto failing = [] {
            return PairLists::RowPairs([](qsizetype row, std::vector<quint32> &keys) {
                if (row == 500)
                    throw std::runtime_error("unreadable row");
                keys.push_back(PairLists::key(u'x', u'y'));
            });
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, PairLists(1000, failing, 2));
    }
};

QTEST_GUILESS_MAIN(TestPairLists)
#include "tst_pairlists.moc"
