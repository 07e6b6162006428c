// Copies of a question that differ from the bank's text in what copying from a page changes
// still find it; short fragments, questions the bank lacks and near-ties find nothing; a literal
// match keeps its row. Through the real path: a bank file, the connection, ADOQuery1.
#include "WrittenBank.h"

#include "data/BankConnection.h"
#include "data/BankQuery.h"
#include "search/LooseMatcher.h"
#include "search/LooseText.h"
#include "search/QuestionTable.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Storage order is row order.
const QStringList kTexts = {
    "国家秘密的密级分为（  ）三级。",                           // 0
    "下列属于国家秘密载体的有(   )。",                          // 1
    "涉密人员离岗离职实行脱密期管理，脱密期满前不得擅自出境。", // 2
    "按照规定，____应当对本单位的保密工作负责。",               // 3
    "涉密计算机可以连接互联网吗",                               // 4
    "土壤污染防治法自2019年1月1日起施行",                       // 5
    "以下关于保密期限的说法正确的是（ ）",                      // 6
    "以下关于保密期限的说法错误的是（ ）",                      // 7
    "保密期限（ ）年",                                          // 8 literal row
    "保密期限(  )年，由定密责任人确定",                         // 9 loose-only row
    "Windows系统中，管理员账户的默认名称是（ ）",               // 10
    "我国的根本大法是（ ）",                                    // 11 short whole question
    "发现泄密事件应当及时处理并报告",                           // 12 the bank knows 处理
    "纳税人应当按期申报缴纳税款",                               // 13
    "保密工作的重要性在于防止泄密事件的发生",                   // 14
    "下列图形中属于轴对称图形的是（ ）",                        // 15
    "不得混淆涉密载体与普通载体",                               // 16
};

} // namespace

class TestLooseMatching : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath("bank.slg");
        QVector<BankRecord> rows;
        for (const QString &text : kTexts)
            rows.append(WrittenBank::row("保密", text, "甲;乙", "A"));
        QVERIFY(WrittenBank::write(path, rows));
        m_connection.setFileName(path);
        m_connection.Open();
        QVERIFY(m_connection.table());
        QCOMPARE(m_connection.table()->size(), kTexts.size());
    }

    void findsOwnQuestion_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("expected"); // row, -1 for the guidance lines

        QTest::newRow("ASCII brackets and full stop") << "国家秘密的密级分为(  )三级." << 0;
        QTest::newRow("full-width brackets") << "下列属于国家秘密载体的有（ ）。" << 1;
        QTest::newRow("more blanks in the blank") << "国家秘密的密级分为（        ）三级。" << 0;
        QTest::newRow("no blank in the blank") << "国家秘密的密级分为()三级" << 0;
        QTest::newRow("wrapped line")
            << "涉密人员离岗离职实行脱密期管理，\r\n脱密期满前不得擅自出境。" << 2;
        QTest::newRow("wrapped line, LF only") << "涉密人员离岗离职实行脱密\n期管理" << 2;
        QTest::newRow("number and 、") << "12、下列属于国家秘密载体的有(   )。" << 1;
        QTest::newRow("number and full stop") << "12. 下列属于国家秘密载体的有" << 1;
        QTest::newRow("bracketed number") << "[3].国家秘密的密级分为（  ）三级。" << 0;
        QTest::newRow("number in parentheses") << "（12）国家秘密的密级分为" << 0;
        QTest::newRow("第12题") << "第12题 国家秘密的密级分为（ ）三级" << 0;
        QTest::newRow("【12】") << "【12】国家秘密的密级分为（ ）三级" << 0;
        QTest::newRow("question mark added") << "涉密计算机可以连接互联网吗？" << 4;
        QTest::newRow("full stop added") << "土壤污染防治法自2019年1月1日起施行。" << 5;
        QTest::newRow("no-break space") << "涉密人员离岗离职实行脱密期管理，\u00A0脱密期满前" << 2;
        QTest::newRow("ideographic space inside") << "涉密人员离岗\u3000离职实行脱密期管理" << 2;
        QTest::newRow("shorter underscores") << "按照规定，__应当对本单位的保密工作负责。" << 3;
        QTest::newRow("blank instead of underscores")
            << "按照规定，（ ）应当对本单位的保密工作负责" << 3;
        QTest::newRow("full-width Latin, other case") << "ＷＩＮＤＯＷＳ系统中,管理员账户" << 10;
        QTest::newRow("one wrong character") << "士壤污染防治法自2019年1月1日起施行" << 5;
        QTest::newRow("two wrong characters") << "士壤污染防治法自2019年1月1日起旋行。" << 5;
        QTest::newRow("misread character and other number")
            << "5、涉密人员离岗离职实行脱蜜期管理，脱密期满前不得擅自出境。" << 2;
        QTest::newRow("a word of another radical is another question (出镜 for 出境)")
            << "5、涉密人员离岗离职实行脱密期管理，脱密期满前不得擅自出镜。" << -1;
        QTest::newRow("look-alike whose four-corner code agrees (白 for 自)")
            << "土壤污染防治法白2019年1月1日起施行" << 5;
        QTest::newRow("look-alikes that make another real word (中报 for 申报)")
            << "纳税人应当按期中报缴纳税款" << -1;
        // Pairs the recogniser confuses on shrunk, recompressed or photographed pictures: a
        // misreading where the copy makes no word, another question where it makes one.
        QTest::newRow("look-alike of degraded pictures (混消 for 混淆)")
            << "不得混消涉密载体与普通载体" << 16;
        QTest::newRow("look-alike of degraded pictures making another word (重叠 for 重要)")
            << "保密工作的重叠性在于防止泄密事件的发生" << -1;
        QTest::newRow("look-alike of degraded pictures making another word (圆形 for 图形)")
            << "下列圆形中属于轴对称图形的是（ ）" << -1;

        QTest::newRow("fewer than 4 loose characters") << "为(三级)" << -1;
        QTest::newRow("3 characters after the number") << "（12）、密级分" << -1;
        QTest::newRow("3 characters among punctuation") << "“保密，期”" << -1;
        QTest::newRow("question not in the bank")
            << "涉密会议的参会人员不得携带（ ）进入会场。" << -1;
        QTest::newRow("wrong character, too short to guess") << "涉密计箅机可以" << -1;
        QTest::newRow("three wrong characters") << "士壤污梁防治法自2019年1月1日起旋行" << -1;
        QTest::newRow("another year is another question")
            << "土壤污染防治法自2018年1月1日起施行" << -1;
        QTest::newRow("two wrong side by side are another word")
            << "土壤污染处理法自2019年1月1日起施行" << -1;
        QTest::newRow("copy running on past a shared phrase") << "离岗离职实行脱密期管理后" << -1;
        QTest::newRow("wrong character between two questions")
            << "以下关于保密期限的说法正误的是" << -1;
        QTest::newRow("two misread characters in a short question") << "我囯的根本大法昰（）" << 11;
        QTest::newRow("misread character in a short question") << "我国的根木大法是（ ）" << 11;
        QTest::newRow("a character of another radical beside a misread one")
            << "我国的跟木大法是（ ）" << -1;
        QTest::newRow("known words in a short question are another question")
            << "我国的保密大法是（ ）" << -1;
        QTest::newRow("short piece from inside a question") << "的密级分为（）" << -1;
        QTest::newRow("short piece at the start of a question") << "国家秘密的(" << 0;
        QTest::newRow("bare year is kept") << "2019年1月1日起施" << 5;
        QTest::newRow("literal match keeps its row") << "保密期限（ ）年" << 8;
        QTest::newRow("tolerant pass for the other copy") << "保密期限(   )年，由定密" << 9;
    }
    void findsOwnQuestion()
    {
        QFETCH(QString, input);
        QFETCH(int, expected);
        BankQuery query(&m_connection);
        const std::optional<Question> found = query.findLast(input);
        if (expected < 0) {
            QVERIFY2(!found, qPrintable(found ? found->text : QString()));
            return;
        }
        QVERIFY(found);
        QCOMPARE(found->text, kTexts[expected]);
    }

    void looseFragmentForm_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("loose");
        QTest::newRow("number and 、") << "12、下列说法"
                                       << "下列说法";
        QTest::newRow("full-width digits in parentheses") << "（１２）下列说法"
                                                          << "下列说法";
        QTest::newRow("bracket and full stop") << "[12]. 下列说法"
                                               << "下列说法";
        QTest::newRow("第12题 and colon") << "第12题：下列说法"
                                          << "下列说法";
        QTest::newRow("【12】") << "【12】下列说法"
                                << "下列说法";
        QTest::newRow("full-width full stop before a year") << "41．2016年起"
                                                            << "2016年起";
        QTest::newRow("bare year stays") << "2016年起"
                                         << "2016年起";
        QTest::newRow("number inside stays") << "下列12、说法"
                                             << "下列12说法";
        QTest::newRow("width, case, blanks, underscores") << "Ａ\u3000b\u00A0C__ｄ\r\n（ ）"
                                                          << "abcd";
        QTest::newRow("quotes, dashes, ellipsis, dot") << "“甲”——乙……丙·丁"
                                                       << "甲乙丙丁";
        QTest::newRow("symbols stay") << "1+1=2，√"
                                      << "1+1=2√";
        QTest::newRow("zero-width space dropped") << "下列\u200B说法"
                                                  << "下列说法";
    }
    void looseFragmentForm()
    {
        QFETCH(QString, fragment);
        QFETCH(QString, loose);
        QCOMPARE(looseFragment(fragment), loose);
    }

    // Most texts skip the normaliser; every unit must come out as if it had gone through it.
    void looseTextAgreesWithNormalisingForEveryUnit()
    {
        for (char32_t u = 1; u < 0x10000; ++u) {
            if (QChar::isSurrogate(u))
                continue;
            const QString unit = QChar(char16_t(u));
            QString expected;
            for (QChar c : unit.normalized(QString::NormalizationForm_KC).toCaseFolded()) {
                const QChar::Category k = c.category();
                const bool drop =
                    k == QChar::Separator_Space || k == QChar::Separator_Line ||
                    k == QChar::Separator_Paragraph || k == QChar::Other_Control ||
                    k == QChar::Other_Format ||
                    (k >= QChar::Punctuation_Connector && k <= QChar::Punctuation_Other);
                if (!drop)
                    expected += c;
            }
            if (looseText(unit) != expected)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(quint32(u), 4, 16, QChar(u'0'))));
        }
    }

    // The loose pass keeps the literal rule: the last row in storage order wins.
    void laterRowWinsAmongLooseMatches()
    {
        const QuestionTable table = QuestionTable::fromRows(
            {{"a", "关于保密期限（ ）", "", ""}, {"b", "关于保密期限(  )的规定", "", ""}});
        const LooseMatcher::Match m = table.looseMatcher().findLast(u"关于保密期限（）");
        QCOMPARE(m.pass, LooseMatcher::Pass::Loose);
        QCOMPARE(m.row, 1);
    }

private:
    QTemporaryDir m_dir;
    BankConnection m_connection;
};

QTEST_GUILESS_MAIN(TestLooseMatching)
#include "tst_loosematching.moc"
