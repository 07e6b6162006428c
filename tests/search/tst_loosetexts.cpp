#include "search/LooseText.h"
#include "search/LooseTexts.h"
#include "search/TextFold.h"

#include <QtTest>

// The loose forms kept without a copy must read exactly as looseText gives them, including the
// texts that dropping alone gets wrong and that therefore have to be kept.
class TestLooseTexts : public QObject {
    Q_OBJECT

private slots:
    void readsAsLooseText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("stored");

        QTest::newRow("ideographs and full-width marks") << u"下列说法（　）正确？"_qs << false;
        QTest::newRow("capitals, blanks, digits") << u"TCP/IP 协议 第3层"_qs << false;
        QTest::newRow("full-width letters") << u"ＡＢＣ是什么"_qs << false;
        QTest::newRow("zero-width space") << u"ab\u200Bc"_qs << false;
        // A NUL's pairs would share the end pairs' key in the folded texts' lists.
        QTest::newRow("NUL") << u"a\u0000b"_qs << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("circled digit") << u"选①项"_qs << true;
        QTest::newRow("ligature") << u"ﬁle"_qs << true;
        QTest::newRow("unit sign") << u"重5㎏"_qs << true;
        QTest::newRow("combining acute") << u"cafe\u0301"_qs << true;
        QTest::newRow("Greek capital") << u"ΣΑ"_qs << true;
        QTest::newRow("emoji pair") << u"好\U0001F600"_qs << true;
        QTest::newRow("lone surrogate") << u"a"_qs + QChar(0xD800) + u"b"_qs << true;
    }

    void readsAsLooseText()
    {
        QFETCH(QString, text);
        QFETCH(bool, stored);

        // The case among plain rows on both sides, so that a wrong row lookup shows as well.
        const QStringList rows{u"第一行"_qs, text, u"最后一行，问题"_qs};
        auto folded = std::make_shared<PackedTexts>();
        LooseTexts loose;
        for (const QString &row : rows) {
            const QString f = foldText(row);
            folded->append(f);
            loose.append(f, looseText(row));
        }
        loose.attach(folded);

        QCOMPARE(loose.size(), qsizetype(rows.size()));
        QCOMPARE(loose.storedCount(), qsizetype(stored ? 1 : 0));
        QString scratch;
        qsizetype longest = 0;
        for (qsizetype row = 0; row < rows.size(); ++row) {
            QCOMPARE(loose.text(row, scratch).toString(), looseText(rows[row]));
            longest = qMax(longest, looseText(rows[row]).size());
        }
        QCOMPARE(loose.maxLength(), longest);
    }

    void refusesFoldedTextsOfAnotherTable()
    {
        LooseTexts loose;
        loose.append(u"a", u"a");
        QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                 loose.attach(std::make_shared<const PackedTexts>()));
    }
};

QTEST_GUILESS_MAIN(TestLooseTexts)
#include "tst_loosetexts.moc"
