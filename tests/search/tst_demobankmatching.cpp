// The demo bank as shipped: questions absent from it get no answer from the tolerant passes, and
// a question copied the way pages show it (a number in front, other punctuation, a wrapped
// line) finds the row an exact copy finds. Guards the passes' thresholds against the real texts.
#include "BankCsvReader.h"
#include "WrittenBank.h"

#include "data/AnswerLines.h"
#include "data/BankConnection.h"
#include "data/BankQuery.h"
#include "search/LookupFragment.h"
#include "search/LooseMatcher.h"
#include "search/QuestionTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString sourceFile(const QString &relative)
{
    return qEnvironmentVariable("QINGLAN_SOURCE_DIR") + u'/' + relative;
}

// Full-width and ASCII punctuation swapped, as another page would show it.
QString otherWidth(const QString &text)
{
    static const QString full = QStringLiteral("（），。？：；！");
    static const QString ascii = QStringLiteral("(),.?:;!");
    QString out = text;
    for (QChar &c : out) {
        if (const qsizetype f = full.indexOf(c); f >= 0)
            c = ascii[f];
        else if (const qsizetype a = ascii.indexOf(c); a >= 0)
            c = full[a];
    }
    return out;
}

} // namespace

class TestDemoBankMatching : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QVector<BankRecord> records =
            BankCsvReader::readFile(sourceFile("resources/bank/questions.csv"));
        QVERIFY(!records.isEmpty());
        const QString path = m_dir.filePath("demo.slg");
        QVERIFY(WrittenBank::write(path, records));
        m_connection.setFileName(path);
        m_connection.Open();
        QVERIFY(m_connection.table());
        for (const BankRecord &r : records)
            m_texts << r.text;
    }

    void absentQuestionGetsNoAnswer_data()
    {
        QTest::addColumn<QString>("input");
        QFile file(sourceFile("tests/search/not_in_bank.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        int line = 0;
        for (const QString &text : QString::fromUtf8(file.readAll()).split(u'\n')) {
            ++line;
            if (text.trimmed().isEmpty())
                continue;
            QTest::addRow("line %d", line) << text;
            QTest::addRow("line %d, copied", line)
                << QStringLiteral("[3]. ") + otherWidth(text).insert(text.size() / 2, u'\n');
        }
    }
    void absentQuestionGetsNoAnswer()
    {
        QFETCH(QString, input);
        BankQuery query(&m_connection);
        const std::optional<Question> found = query.findLast(input);
        QVERIFY2(!found, qPrintable(found ? found->text : QString()));
    }

    // Pieces of absent questions that the bank does not hold as typed: a piece of 8 or more
    // characters gets no answer from the tolerant passes either, even one whose words end a bank
    // question ("的英文缩写是____" and "人工智能的英文缩写是（  ）").
    void absentPiecesGetNoTolerantAnswer()
    {
        const QuestionTable *table = m_connection.table();
        QFile file(sourceFile("tests/search/not_in_bank.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        int tried = 0;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            for (qsizetype length = 8; length <= 24; ++length) {
                for (qsizetype at = 0; at + length <= line.size(); ++at) {
                    const QString fragment = lookupFragment(line.mid(at, length));
                    if (fragment.size() < 8 || table->findLastRow(fragment) >= 0)
                        continue;
                    ++tried;
                    const LooseMatcher::Match m = table->looseMatcher().findLast(fragment);
                    if (m.row >= 0)
                        QFAIL(qPrintable(fragment + " -> " + table->row(m.row).text));
                }
            }
        }
        QVERIFY(tried > 1000);
    }

    void copiedQuestionFindsItsRow()
    {
        BankQuery query(&m_connection);
        for (const QString &text : m_texts) {
            const std::optional<Question> exact = query.findLast(text);
            QVERIFY(exact);
            const QString copy =
                QStringLiteral("12、") + otherWidth(text).insert(text.size() / 2, "\r\n");
            const std::optional<Question> found = query.findLast(copy);
            QVERIFY2(found && found->text == exact->text, qPrintable(copy));
        }
    }

    // What the answer box shows for a paste: the row it finds ("" for the guidance lines), and
    // the marked text of the grey note, when there should be one ("" for none).
    void answerBoxForPaste_data()
    {
        QTest::addColumn<QString>("paste");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("marked");

        const QString levels = QStringLiteral("国家秘密的密级分为(  )三级。");
        const QString career = QStringLiteral("职业生涯规划的基本步骤包括(  )。");
        const QString options = QStringLiteral("\nA. 绝密、机密、秘密\nB. 绝密、秘密、内部");
        QTest::newRow("literal match, no note") << levels << levels << "";
        QTest::newRow("number, label, score, option lines")
            << QStringLiteral("3、【单选题】") + levels + QStringLiteral("（2分）") + options
            << levels << "";
        QTest::newRow("第3题 and (2.0分)")
            << QStringLiteral("第3题 ") + levels + QStringLiteral("(2.0分)") + options << levels
            << "";
        QTest::newRow("(3) and [3分], options (A) (B)")
            << QStringLiteral("(3)") + levels +
                   QStringLiteral("[3分]\n(A)绝密、机密、秘密\n(B)绝密、秘密、内部")
            << levels << "";
        QTest::newRow("label on its own line")
            << QStringLiteral("单选题\n3. ") + levels + options << levels << "";
        QTest::newRow("(多选题) after the text, bare letters")
            << levels + QStringLiteral("(多选题)\nA 绝密、机密、秘密\nB 绝密、秘密、内部") << levels
            << "";
        QTest::newRow("options inline")
            << levels + QStringLiteral(" A.绝密、机密、秘密 B.绝密、秘密、内部 C.机密、秘密、公开")
            << levels << "";
        QTest::newRow("[判断] and true-or-false options")
            << QStringLiteral(
                   "5.[判断] 保密工作实行积极防范、突出重点、依法管理的方针。\nA.对\nB.错")
            << QStringLiteral("保密工作实行积极防范、突出重点、依法管理的方针。") << "";
        QTest::newRow("heading and answer lines")
            << QStringLiteral("一、单选题（共10题，每题2分）\n1.") + career +
                   QStringLiteral("\nA．自我评估  B．环境分析\n正确答案：A")
            << career << "";
        QTest::newRow("options of another question")
            << levels + QStringLiteral("\nA. 五级\nB. 六级\nC. 七级") << ""
            << "";

        QTest::newRow("look-alike: 蜜 for 密")
            << QStringLiteral("涉密人员离岗离职后，应当在规定的脱蜜期内遵守保密义务。")
            << QStringLiteral("涉密人员离岗离职后，应当在规定的脱密期内遵守保密义务。")
            << QStringLiteral("涉密人员离岗离职后，应当在规定的脱【密】期内遵守保密义务。");
        QTest::newRow("look-alike in a block")
            << QStringLiteral("3、【判断题】涉密人员离岗离职后，应当在规定的脱蜜期内遵守保密义务。"
                              "（1分）\nA.正确\nB.错误")
            << QStringLiteral("涉密人员离岗离职后，应当在规定的脱密期内遵守保密义务。")
            << QStringLiteral("涉密人员离岗离职后，应当在规定的脱【密】期内遵守保密义务。");

        // Look-alikes that the whole-glyph distance misses: a radical added to the bank's
        // character or dropped from it, and a pair the recogniser confuses on pictures of text.
        const QString craft = QStringLiteral("工匠精神的内涵包括精益求精、专注执着。");
        QTest::newRow("look-alike by its main component: 嘱 for 属")
            << QStringLiteral("使用普通手机在涉密场所拍照嘱于违反保密规定的行为。")
            << QStringLiteral("使用普通手机在涉密场所拍照属于违反保密规定的行为。")
            << QStringLiteral("使用普通手机在涉密场所拍照【属】于违反保密规定的行为。");
        QTest::newRow("look-alike by its main component: 冈 for 岗")
            << QStringLiteral("涉密人员离冈离职后，应当在规定的脱密期内遵守保密义务。")
            << QStringLiteral("涉密人员离岗离职后，应当在规定的脱密期内遵守保密义务。")
            << QStringLiteral("涉密人员离【岗】离职后，应当在规定的脱密期内遵守保密义务。");
        QTest::newRow("the recogniser's confusion: 洱 for 涵")
            << QStringLiteral("工匠精神的内洱包括精益求精、专注执着。") << craft
            << QStringLiteral("工匠精神的内【涵】包括精益求精、专注执着。");

        QTest::newRow("opposite: 低于 for 高于, whole question")
            << QStringLiteral("企业标准的技术要求不得低于推荐性国家标准。") << ""
            << "";
        QTest::newRow("another level: 机密 for 绝密")
            << QStringLiteral("机密级国家秘密的保密期限，除另有规定外，一般不超过（  ）年。") << ""
            << "";
        QTest::newRow("another number: 四级 for 三级")
            << QStringLiteral("国家秘密的密级分为(  )四级。") << ""
            << "";
        QTest::newRow("opposite: 低于 for 高于") << QStringLiteral("不得低于推荐性国家标准") << ""
                                                 << "";
        QTest::newRow("another number word: 四个 for 五个")
            << QStringLiteral("舒伯把职业生涯发展划分为成长、探索、建立、维持和（）四个阶段。")
            << ""
            << "";
        QTest::newRow("negation: 不得 for 应当")
            << QStringLiteral("涉密人员离岗离职后，不得在规定的脱密期内遵守保密义务。") << ""
            << "";
        QTest::newRow("negation dropped")
            << QStringLiteral("职业锚是个人在职业选择中愿放弃的核心价值或能力。") << ""
            << "";
        QTest::newRow("negation added")
            << QStringLiteral("涉密计算机不可以在确保安全的情况下临时接入互联网查阅资料。") << ""
            << "";
        QTest::newRow("negation added, in a block")
            << QStringLiteral("12、【判断题】涉密计算机不可以在确保安全的情况下临时接入互联网查阅"
                              "资料。\nA.正确\nB.错误")
            << ""
            << "";
    }
    void answerBoxForPaste()
    {
        QFETCH(QString, paste);
        QFETCH(QString, question);
        QFETCH(QString, marked);
        BankQuery query(&m_connection);
        const LookupResult result = query.lookUp(paste);
        if (question.isEmpty()) {
            if (result.found())
                QFAIL(qPrintable(query.row(result.row).text));
            return;
        }
        QVERIFY(result.found());
        const Question found = query.row(result.row);
        QCOMPARE(found.text, question);
        const QString note = AnswerLines::matchNote(found, result);
        if (paste == question)
            QVERIFY2(note.isEmpty(), qPrintable(note));
        else
            QVERIFY(note.startsWith(QStringLiteral("注：")));
        if (!marked.isEmpty())
            QVERIFY2(note.endsWith(marked), qPrintable(note));
        QCOMPARE(AnswerLines::forResult(found, result).size(), note.isEmpty() ? 4 : 5);
    }

private:
    QTemporaryDir m_dir;
    BankConnection m_connection;
    QStringList m_texts;
};

QTEST_GUILESS_MAIN(TestDemoBankMatching)
#include "tst_demobankmatching.moc"
