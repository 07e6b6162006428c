// The lookup's rules over a small bank held in memory: how the input box's text becomes the
// fragment, how it is compared, and which row wins.
#include "search/LookupFragment.h"
#include "search/QuestionTable.h"
#include "search/TextFold.h"

#include <QTest>

#include <stdexcept>

namespace {

// Row numbers are storage order.
QList<Question> smallBank()
{
    return {
        {"计算机", "计算机网络的英文缩写是（）", "LAN;WAN;Internet", "C"}, // 0
        {"经济", "某企业利润增长率为50%，则（）", "A:正确 B:错误", "A"},   // 1
        {"编程", "变量名my_var中的下划线表示（）", "", ""},       // 2 empty options, answer
        {"编程", "数组a[1]表示第二个元素", "正确，错误", "正确"}, // 3
        {"英语", "It's a question about the Apostrophe", "\"a\",\"b\"", "a"}, // 4
        {"语文", "、开头的题目内容", "正确  错误", "√"},                      // 5
        {"语文", "\u3000全角空格开头的题目", "正确;错误", "正确"},            // 6
        {"英语", "ＡＢＣ全角字母的题目", "甲;乙", "A"},                       // 7
        {"网络安全", "网络安全", "正确;错误", "错误"},                        // 8
        {"网络安全", "关于网络安全的说法正确的是（）", "甲;乙;丙", "B"},      // 9
        {"数学", "1、数字开头的题目", "正确;错误", "正确"},                   // 10
        {"综合", "下列说法中（ ）是正确的", "甲;乙", "A"},                    // 11
        {"综合", "下列说法中（ ）是正确的，请选择", "甲;乙", "B"},            // 12 holds row 11
        {"综合", "网络", "甲;乙", "B"},                                       // 13 inside rows 8, 9
        {"综合", "关于网络安全的说法正确的是（）以及其他", "甲;乙", "C"},     // 14 holds row 9
    };
}

} // namespace

class TestLookup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_table = std::make_unique<QuestionTable>(QuestionTable::fromRows(smallBank()));
    }

    void fragment_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("leading 、 dropped") << "、计算机"
                                            << "计算机";
        QTest::newRow("only the first 、") << "、、计算机"
                                           << "、计算机";
        QTest::newRow("、 after blanks stays") << "  、计算机"
                                               << "、计算机";
        QTest::newRow("number then 、 stays") << "1、数字"
                                              << "1、数字";
        QTest::newRow("blanks, tabs, CR LF at both ends") << "\r\n \t计算机 \r\n"
                                                          << "计算机";
        QTest::newRow("control characters trimmed") << "\x01\x1f计算机\x7f"
                                                    << "计算机\x7f";
        QTest::newRow("U+3000 not trimmed") << "\u3000计算机\u3000"
                                            << "\u3000计算机\u3000";
        QTest::newRow("U+00A0 not trimmed") << "\u00a0计算机"
                                            << "\u00a0计算机";
        QTest::newRow("inner line break stays") << " 计算\r\n机 "
                                                << "计算\r\n机";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blanks only") << " \r\n\t "
                                     << "";
        QTest::newRow("lone 、") << "、"
                                 << "";
        QTest::newRow("、 then blanks") << "、 \r\n"
                                        << "";
    }
    void fragment()
    {
        QFETCH(QString, input);
        QFETCH(QString, fragment);
        QCOMPARE(lookupFragment(input), fragment);
    }

    // -1: nothing found, the window shows the guidance lines.
    void findLast_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("row");
        QTest::newRow("plain fragment") << "计算机网络的英文" << 0;
        QTest::newRow("leading 、 dropped") << "、计算机网络的英文" << 0;
        QTest::newRow("second leading 、 kept and matched") << "、、开头的题目" << 5;
        QTest::newRow("、 after a blank is kept") << " 、计算机网络" << -1;
        QTest::newRow("number before 、 kept") << "1、数字开头" << 10;
        QTest::newRow("blanks and line breaks at the ends") << "\r\n\t 计算机网络的英文 \r\n" << 0;
        QTest::newRow("leading U+3000 takes part") << "\u3000全角空格开头" << 6;
        QTest::newRow("leading U+3000 must match") << "\u3000计算机网络" << -1;
        QTest::newRow("U+3000 matches an ASCII blank") << "下列说法中（\u3000）" << 12;
        QTest::newRow("U+00A0 not trimmed") << "\u00a0计算机网络" << -1;
        QTest::newRow("percent is literal") << "增长率为50%" << 1;
        QTest::newRow("percent alone") << "%" << 1;
        QTest::newRow("percent is no wildcard") << "增长率为%，" << -1;
        QTest::newRow("underscore is literal") << "my_var" << 2;
        QTest::newRow("underscore is no wildcard") << "my_ar" << -1;
        QTest::newRow("underscore alone") << "_" << 2;
        QTest::newRow("brackets are literal") << "a[1]" << 3;
        QTest::newRow("brackets are no character set") << "a1表示" << -1;
        QTest::newRow("lone bracket") << "[" << 3;
        QTest::newRow("apostrophe") << "It's a" << 4;
        QTest::newRow("apostrophe alone") << "'" << 4;
        QTest::newRow("SQL-looking input") << "' or '1'='1" << -1;
        QTest::newRow("Latin case") << "it'S A QUESTION about THE apostrophe" << 4;
        QTest::newRow("full-width fragment, half-width text") << "ｉｔ＇ｓ　ａ" << 4;
        QTest::newRow("half-width fragment, full-width text") << "abc全角" << 7;
        QTest::newRow("full-width both, other case") << "ａｂｃ全角" << 7;
        QTest::newRow("full-width digit and percent") << "５０％" << 1;
        QTest::newRow("whole question inside later ones") << "网络安全" << 14;
        QTest::newRow("whole question, later row holds it")
            << "关于网络安全的说法正确的是（）" << 14;
        QTest::newRow("short question inside later ones") << "下列说法中（ ）是正确的" << 12;
        QTest::newRow("single common character") << "网" << 14;
        QTest::newRow("character only in options") << "甲" << -1;
        QTest::newRow("last character of a question") << "素" << 3;
        QTest::newRow("multi-line input") << "计算机网络\r\n的英文缩写" << -1;
        QTest::newRow("line breaks only around") << "\r\n计算机网络\r\n" << 0;
        QTest::newRow("empty input") << "" << -1;
        QTest::newRow("blanks only") << "   \t" << -1;
        QTest::newRow("lone 、") << "、" << -1;
        QTest::newRow("not in the bank") << "量子计算" << -1;
        QTest::newRow("longer than every question") << QString(300, u'网') << -1;
    }
    void findLast()
    {
        QFETCH(QString, input);
        QFETCH(int, row);
        const QString fragment = lookupFragment(input);
        QCOMPARE(m_table->findLastRow(fragment), qsizetype(row));
        // The index must agree with reading every row.
        QCOMPARE(m_table->index().findLastByScan(foldText(fragment)), qsizetype(row));
    }

    void findLastReturnsTheWholeRow()
    {
        const auto found = m_table->findLast(lookupFragment("my_var"));
        QVERIFY(found.has_value());
        QCOMPARE(found->subject, QStringLiteral("编程"));
        QCOMPARE(found->text, QStringLiteral("变量名my_var中的下划线表示（）"));
        QVERIFY(found->options.isEmpty());
        QVERIFY(found->answer.isEmpty());

        const auto wide = m_table->findLast(lookupFragment("abc"));
        QVERIFY(wide.has_value());
        QCOMPARE(wide->text, QStringLiteral("ＡＢＣ全角字母的题目")); // shown as stored, not folded
        QVERIFY(!m_table->findLast(QString()).has_value());
    }

    void hugePasteReturns()
    {
        QString paste;
        for (int i = 0; paste.size() < 12000; ++i)
            paste += QStringLiteral("关于网络安全的说法正确的是（）第%1段\r\n").arg(i);
        QCOMPARE(m_table->findLastRow(lookupFragment(paste)), qsizetype(-1));
        // A paste made of one question repeated must not be taken for that question.
        QCOMPARE(m_table->findLastRow(QStringLiteral("网络安全").repeated(3000)), qsizetype(-1));
    }

    // Rows whose folded form is made elsewhere: a form of another length would put the
    // question's stored units at the wrong places when it is shown.
    void appendFormsRefusesAFoldedTextOfAnotherLength()
    {
        QuestionTable::Builder builder;
        const QString text = QStringLiteral("ＡＢＣ全角字母的题目");
        builder.appendForms(u"英语", text, u"甲;乙", u"A", foldText(text), u"");
        QVERIFY_THROWS_EXCEPTION(
            std::invalid_argument,
            builder.appendForms(u"英语", text, u"甲;乙", u"A", foldText(text).chopped(1), u""));
        const QuestionTable table = builder.build();
        QCOMPARE(table.size(), qsizetype(1));
        QCOMPARE(table.row(0).text, text);
        QCOMPARE(table.findLastRow(QStringLiteral("abc")), qsizetype(0));
    }

private:
    std::unique_ptr<QuestionTable> m_table;
};

QTEST_GUILESS_MAIN(TestLookup)
#include "tst_lookup.moc"
