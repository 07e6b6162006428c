// The demo bank as shipped: questions absent from it get no answer from the tolerant passes, and
// a question copied the way pages show it (a number in front, other punctuation, a wrapped
// line) finds the row an exact copy finds. Guards the passes' thresholds against the real texts.
#include "BankCsvReader.h"
#include "WrittenBank.h"

#include "data/BankConnection.h"
#include "data/BankQuery.h"
#include "data/LookupFragment.h"
#include "data/LooseMatcher.h"
#include "data/QuestionTable.h"

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
        QFile file(sourceFile("tests/matching/not_in_bank.txt"));
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
        QFile file(sourceFile("tests/matching/not_in_bank.txt"));
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

private:
    QTemporaryDir m_dir;
    BankConnection m_connection;
    QStringList m_texts;
};

QTEST_GUILESS_MAIN(TestDemoBankMatching)
#include "tst_demobankmatching.moc"
