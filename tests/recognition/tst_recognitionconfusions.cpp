// Counting the recogniser's confusions for the look-alike table (tools/lookalikes): only a
// character read as another between correctly read neighbours counts, so that a dropped, added
// or split character never makes a pair.
#include "ConfusionCount.h"

#include <QTest>

class TestRecognitionConfusions : public QObject {
    Q_OBJECT

private slots:
    void countsIsolatedSubstitutions_data()
    {
        QTest::addColumn<QString>("drawn");
        QTest::addColumn<QString>("read");
        // Each expected confusion as drawn + read, "" for none.
        QTest::addColumn<QStringList>("confusions");
        QTest::addColumn<int>("readRight");

        QTest::newRow("read right") << "土地方"
                                    << "土地方" << QStringList() << 3;
        QTest::newRow("one inside") << "土地方"
                                    << "士地方" << QStringList{"土士"} << 2;
        QTest::newRow("two apart") << "未来之路"
                                   << "末来之略" << QStringList{"未末", "路略"} << 2;
        QTest::newRow("at the end") << "地方土"
                                    << "地方士" << QStringList{"土士"} << 2;
        QTest::newRow("beside a dropped character") << "土地方"
                                                    << "士方" << QStringList() << 1;
        QTest::newRow("beside an added character") << "土地方"
                                                   << "士了地方" << QStringList() << 2;
        QTest::newRow("split in two") << "叶子"
                                      << "口十子" << QStringList() << 1;
        QTest::newRow("two in a row") << "土地方"
                                      << "士也方" << QStringList() << 1;
        QTest::newRow("read as a letter") << "土地方"
                                          << "A地方" << QStringList() << 2;
        QTest::newRow("nothing read") << "土地方"
                                      << "" << QStringList() << 0;
    }
    void countsIsolatedSubstitutions()
    {
        QFETCH(QString, drawn);
        QFETCH(QString, read);
        QFETCH(QStringList, confusions);
        QFETCH(int, readRight);
        ConfusionCount count;
        count.add(drawn, read);
        QStringList seen;
        for (const auto &[pair, times] : count.substitutions()) {
            QCOMPARE(times, 1);
            seen.append(QString(QChar(pair.first)) + QChar(pair.second));
        }
        seen.sort();
        confusions.sort();
        QCOMPARE(seen, confusions);
        QCOMPARE(count.drawn(), drawn.size());
        QCOMPARE(count.readRight(), readRight);
    }

    // In ordinary text a misread word counts one for one, as long as nothing was dropped or
    // added inside it; an isolated substitution still counts.
    void countsEqualLengthStretches_data()
    {
        QTest::addColumn<QString>("drawn");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QStringList>("confusions");

        QTest::newRow("one inside") << "土地方"
                                    << "士地方" << QStringList{"土士"};
        QTest::newRow("two apart") << "存储介质"
                                   << "存情介贡" << QStringList{"储情", "质贡"};
        QTest::newRow("a word misread") << "存储介质"
                                        << "存情仆质" << QStringList{"储情", "介仆"};
        QTest::newRow("whole line misread") << "土地"
                                            << "士也" << QStringList{"土士", "地也"};
        QTest::newRow("stretch beside a dropped character") << "存储介质方"
                                                            << "存情仆方" << QStringList();
        QTest::newRow("stretch beside an added character") << "存储介质"
                                                           << "存情了仆质" << QStringList();
        QTest::newRow("a letter inside the stretch") << "存储介质"
                                                     << "存A仆质" << QStringList{"介仆"};
    }
    void countsEqualLengthStretches()
    {
        QFETCH(QString, drawn);
        QFETCH(QString, read);
        QFETCH(QStringList, confusions);
        ConfusionCount count(ConfusionCount::Stretches::EqualLength);
        count.add(drawn, read);
        QStringList seen;
        for (const auto &[pair, times] : count.substitutions())
            seen.append(QString(QChar(pair.first)) + QChar(pair.second));
        seen.sort();
        confusions.sort();
        QCOMPARE(seen, confusions);
    }

    // Ordinary text draws some characters more often than others; each is counted.
    void countsEachCharacterDrawn()
    {
        ConfusionCount count(ConfusionCount::Stretches::EqualLength);
        count.add(QStringLiteral("土地土"), QStringLiteral("士地土"));
        count.add(QStringLiteral("土方"), QStringLiteral("土方"));
        QCOMPARE(count.drawnOf().at(u'土'), 3);
        QCOMPARE(count.drawnOf().at(u'地'), 1);
        QCOMPARE(count.drawnOf().at(u'方'), 1);
        QCOMPARE(count.drawn(), 5);
    }

    // Counts add up over lines: the same confusion on two lines is seen twice.
    void addsUpOverLines()
    {
        ConfusionCount count;
        count.add(QStringLiteral("土地"), QStringLiteral("士地"));
        count.add(QStringLiteral("地土"), QStringLiteral("地士"));
        count.add(QStringLiteral("土地"), QStringLiteral("土地"));
        QCOMPARE(count.substitutions().size(), std::size_t(1));
        QCOMPARE(count.substitutions().at({u'土', u'士'}), 2);
        QCOMPARE(count.drawn(), 6);
        QCOMPARE(count.readRight(), 4);
    }
};

QTEST_GUILESS_MAIN(TestRecognitionConfusions)
#include "tst_recognitionconfusions.moc"
