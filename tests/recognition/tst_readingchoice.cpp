// Which reading of a picture is taken: the usual one whenever it finds anything; otherwise the
// first other way whose reading is found as read, and only when no way is, the first found by
// forgiving a misread; the usual one when none finds anything; and no other way read once the
// choice is made.
#include "platform/ReadingChoice.h"
#include "platform/TextRecognizer.h"

#include <QHash>
#include <QImage>
#include <QTest>

namespace {

using Found = ReadingChoice::Found;

// Reads the picture as the table says, one text a way, and counts the readings.
class ScriptedRecognizer : public TextRecognizer {
public:
    explicit ScriptedRecognizer(QStringList texts) : m_texts(std::move(texts)) {}
    QString read(const QImage &) override { return readOtherWay(QImage(), 0); }
    int otherWays() const override { return int(m_texts.size()) - 1; }
    QString readOtherWay(const QImage &, int way) override
    {
        m_ways << way;
        return m_texts.value(way);
    }
    const QList<int> &ways() const { return m_ways; }

private:
    QStringList m_texts;
    QList<int> m_ways;
};

} // namespace

class TestReadingChoice : public QObject {
    Q_OBJECT
private slots:
    void choosesAReading_data();
    void choosesAReading();
};

void TestReadingChoice::choosesAReading_data()
{
    // Each way's text, what the lookup finds in each (by text), the way whose text is taken and
    // the ways read, in order.
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("found");
    QTest::addColumn<int>("takenWay");
    QTest::addColumn<QList<int>>("waysRead");
    const int nothing = int(Found::Nothing), asRead = int(Found::AsRead),
              forgiving = int(Found::ForgivingMisreads);
    QTest::newRow("usual reading found: no other way read")
        << QStringList{u"甲"_qs, u"乙"_qs, u"丙"_qs} << QList<int>{asRead, asRead, asRead} << 0
        << QList<int>{0};
    QTest::newRow("usual reading found by forgiving a misread: it stands")
        << QStringList{u"甲"_qs, u"乙"_qs} << QList<int>{forgiving, asRead} << 0 << QList<int>{0};
    QTest::newRow("usual reading finds nothing: the first other way found as read")
        << QStringList{u"甲"_qs, u"乙"_qs, u"丙"_qs, u"丁"_qs}
        << QList<int>{nothing, nothing, asRead, asRead} << 2 << QList<int>{0, 1, 2};
    QTest::newRow("a later way found as read wins over one found by forgiving a misread")
        << QStringList{u"甲"_qs, u"乙"_qs, u"丙"_qs} << QList<int>{nothing, forgiving, asRead} << 2
        << QList<int>{0, 1, 2};
    QTest::newRow("no way found as read: the first found by forgiving a misread")
        << QStringList{u"甲"_qs, u"乙"_qs, u"丙"_qs, u"丁"_qs}
        << QList<int>{nothing, nothing, forgiving, forgiving} << 2 << QList<int>{0, 1, 2, 3};
    QTest::newRow("no way finds anything: the usual reading stays")
        << QStringList{u"甲"_qs, u"乙"_qs, u"丙"_qs} << QList<int>{nothing, nothing, nothing} << 0
        << QList<int>{0, 1, 2};
    QTest::newRow("a picture without text is not read again")
        << QStringList{u" \n"_qs, u"乙"_qs} << QList<int>{nothing, asRead} << 0 << QList<int>{0};
    QTest::newRow("a recogniser without other ways")
        << QStringList{u"甲"_qs} << QList<int>{nothing} << 0 << QList<int>{0};
}

void TestReadingChoice::choosesAReading()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, found);
    QFETCH(int, takenWay);
    QFETCH(QList<int>, waysRead);
    QHash<QString, Found> lookup;
    for (qsizetype i = 0; i < texts.size(); ++i)
        lookup.insert(texts[i], Found(found[i]));
    ScriptedRecognizer recognizer(texts);
    QStringList lookedUp;
    const ReadingChoice choice =
        ReadingChoice::read(recognizer, QImage(), [&](const QString &text) {
            lookedUp << text;
            return lookup.value(text, Found::Nothing);
        });
    QVERIFY(choice.done());
    QCOMPARE(recognizer.ways(), waysRead);
    QCOMPARE(lookedUp.size(), waysRead.size());
    QCOMPARE(choice.way(), takenWay);
    QCOMPARE(choice.text(), texts[takenWay]);
    QCOMPARE(choice.found(), found[takenWay] != int(Found::Nothing));
}

QTEST_GUILESS_MAIN(TestReadingChoice)
#include "tst_readingchoice.moc"
