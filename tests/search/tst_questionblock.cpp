// Taking a copied block apart: what is the stem and what are the options, for each way exam pages
// decorate a question, and what must stay part of the question.
#include "search/Lookalikes.h"
#include "search/QuestionBlock.h"

#include <QTest>

class TestQuestionBlock : public QObject {
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QString>("paste");
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QStringList>("options");

        const QString q = QStringLiteral("职业生涯规划的第一步通常是(    )。");
        const QStringList ab = {QStringLiteral("自我评估"), QStringLiteral("确定目标")};
        QTest::newRow("plain question") << q << q << QStringList();
        QTest::newRow("number 、, label, score, option lines")
            << QStringLiteral("3、【单选题】") + q +
                   QStringLiteral("（2分）\nA. 自我评估\nB. 确定目标")
            << q << ab;
        QTest::newRow("3. and A、")
            << QStringLiteral("3.") + q + QStringLiteral("\nA、自我评估\nB、确定目标") << q << ab;
        QTest::newRow("第3题 and (2.0分), (A)")
            << QStringLiteral("第3题 ") + q + QStringLiteral(" (2.0分)\n(A)自我评估\n(B)确定目标")
            << q << ab;
        QTest::newRow("(3) and [3分]")
            << QStringLiteral("(3)") + q + QStringLiteral("[3分]") << q << QStringList();
        QTest::newRow("label on its own line, A：")
            << QStringLiteral("单选题\n3. ") + q + QStringLiteral("\nA：自我评估\nB：确定目标") << q
            << ab;
        QTest::newRow("(多选题) after the text, bare letters")
            << q + QStringLiteral("(多选题)\nA 自我评估\nB 确定目标") << q << ab;
        QTest::newRow("bare letters touching the option")
            << q + QStringLiteral("\nA自我评估\nB确定目标") << q << ab;
        QTest::newRow("[判断] label") << QStringLiteral("[判断] 保密工作实行积极防范。")
                                      << QStringLiteral("保密工作实行积极防范。") << QStringList();
        QTest::newRow("options inline, two to a line, answer line")
            << q + QStringLiteral("\nA．自我评估  B．确定目标\nC．执行  D．反馈\n正确答案：A") << q
            << QStringList{"自我评估", "确定目标", "执行", "反馈"};
        QTest::newRow("options inline after the text")
            << q + QStringLiteral(" A.自我评估 B.确定目标") << q << ab;
        QTest::newRow("heading over the question")
            << QStringLiteral("一、单选题（共10题，每题2分）\n1.") + q << q << QStringList();
        QTest::newRow("wrapped stem")
            << QStringLiteral("3、职业生涯规划的\n第一步通常是(    )。") << q << QStringList();

        QTest::newRow("a letter inside a word is no option")
            << QStringLiteral("下列属于国家秘密载体的有存储涉密信息的U盘、A4纸和B超报告")
            << QStringLiteral("下列属于国家秘密载体的有存储涉密信息的U盘、A4纸和B超报告")
            << QStringList();
        QTest::newRow("A without B is no option list")
            << QStringLiteral("维生素 A.缺乏时会怎样") << QStringLiteral("维生素 A.缺乏时会怎样")
            << QStringList();
        QTest::newRow("a figure with a full stop is no number")
            << QStringLiteral("3.5倍于去年的产量") << QStringLiteral("3.5倍于去年的产量")
            << QStringList();
        QTest::newRow("a year at the start stays")
            << QStringLiteral("2019年1月1日起施行。") << QStringLiteral("2019年1月1日起施行。")
            << QStringList();
    }
    void read()
    {
        QFETCH(QString, paste);
        QFETCH(QString, stem);
        QFETCH(QStringList, options);
        const QuestionBlock block = QuestionBlock::read(paste);
        QCOMPARE(block.stem(), stem);
        QCOMPARE(block.options(), options);
        QCOMPARE(block.changed(), paste != stem);
    }

    // The misreading rule on its own: look-alikes from the glyph table pass, changes of number,
    // negation or opposite never do, even where the glyphs are close.
    void canBeMisread_data()
    {
        QTest::addColumn<QString>("pair");
        QTest::addColumn<bool>("misread");
        for (const char *p : {"土士", "己已", "未末", "千干", "天夭", "密蜜", "侯候", "辩辨"})
            QTest::newRow(p) << QString::fromUtf8(p) << true;
        // A radical added to the other's main component (属/嘱, 式/试, 冈/岗); a character's very
        // nearest drawing a little further off (力/刀); pairs the recogniser confuses (涵/洱,
        // 逻/远).
        for (const char *p : {"属嘱", "式试", "冈岗", "力刀", "涵洱", "逻远"})
            QTest::newRow(p) << QString::fromUtf8(p) << true;
        // A near drawing whose four-corner code agrees (白/自); a pair the recogniser confused in
        // ordinary text (储/情, read so in 存储).
        for (const char *p : {"白自", "储情"})
            QTest::newRow(p) << QString::fromUtf8(p) << true;
        // Look-alikes in the table that mean opposite or different things: 歪 is 不 over 正, and
        // 中报 and 申报 are two reports.
        for (const char *p : {"正歪", "中申"})
            QTest::newRow(p) << QString::fromUtf8(p) << false;
        // Confused by the recogniser on degraded pictures, and two words each: 重叠/重要,
        // 图形/圆形, 后继/后缀, 这时/逾时, 追及/遍及.
        for (const char *p : {"叠要", "图圆", "继缀", "这逾", "追遍"})
            QTest::newRow(p) << QString::fromUtf8(p) << false;
        // Confused on degraded pictures and no two words: a misreading.
        for (const char *p : {"消淆", "筑簇", "陋隔"})
            QTest::newRow(p) << QString::fromUtf8(p) << true;
        for (const char *p :
             {"三四", "一二", "大小", "高低", "不下", "无天", "甲由", "买卖", "越最", "38", "绝机"})
            QTest::newRow(p) << QString::fromUtf8(p) << false;
        // One main component beside two radicals: two words (出境/出镜, 根/跟), not a misreading.
        for (const char *p : {"境镜", "根跟"})
            QTest::newRow(p) << QString::fromUtf8(p) << false;
    }
    void canBeMisread()
    {
        QFETCH(QString, pair);
        QFETCH(bool, misread);
        QCOMPARE(Lookalikes::canBeMisread(pair[0].unicode(), pair[1].unicode()), misread);
        QCOMPARE(Lookalikes::canBeMisread(pair[1].unicode(), pair[0].unicode()), misread);
    }
};

QTEST_GUILESS_MAIN(TestQuestionBlock)
#include "tst_questionblock.moc"
