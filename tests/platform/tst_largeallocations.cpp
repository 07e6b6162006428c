// Large blocks stay in mappings of their own even after the C library has seen a large free,
// which otherwise lets it keep blocks of up to 32 MB in its heap, where growing one copies it.
#include "platform/LargeAllocations.h"

#include <QByteArray>
#include <QString>
#include <QTest>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

class TestLargeAllocations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void largeBlockIsMappedAfterALargeFree_data();
    void largeBlockIsMappedAfterALargeFree();
};

namespace {

#if defined(__GLIBC__)
qint64 mappedBytes()
{
    return qint64(mallinfo2().hblkhd);
}
#endif

} // namespace

void TestLargeAllocations::initTestCase()
{
#if !defined(__GLIBC__)
    QSKIP("only the GNU C library keeps large blocks in its heap after a large free");
#endif
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer's allocator replaces the C library's, and its settings");
#endif
    keepLargeAllocationsMapped();
}

void TestLargeAllocations::largeBlockIsMappedAfterALargeFree_data()
{
    QTest::addColumn<qsizetype>("freedBytes");
    QTest::addColumn<qsizetype>("characters");
    QTest::addColumn<bool>("grown");
    // The library's own size starts at 128 KB and rises to the size of each larger block freed.
    QTest::newRow("a 4 MB text after 20 MB freed")
        << qsizetype(20'000'000) << qsizetype(2'000'000) << false;
    QTest::newRow("a 24 MB text after 30 MB freed")
        << qsizetype(30'000'000) << qsizetype(12'000'000) << false;
    // Growing by doubling, the text stays below the freed size all along.
    QTest::newRow("a text grown piece by piece to 16 MB after 33 MB freed")
        << qsizetype(33'000'000) << qsizetype(8'000'000) << true;
}

void TestLargeAllocations::largeBlockIsMappedAfterALargeFree()
{
#if defined(__GLIBC__)
    QFETCH(qsizetype, freedBytes);
    QFETCH(qsizetype, characters);
    QFETCH(bool, grown);
    {
        QByteArray freed(freedBytes, 'x');
        QCOMPARE(freed.at(freedBytes - 1), 'x');
    }
    const qint64 before = mappedBytes();
    QString text;
    if (grown) {
        // As a document's buffer grows: appended to, piece after piece.
        const QString piece(16384, QChar(u'가'));
        while (text.size() < characters)
            text += piece;
    } else {
        text = QString(characters, QChar(u'가'));
    }
    QCOMPARE(text.at(characters - 1), QChar(u'가'));
    const qint64 mapped = mappedBytes() - before;
    QVERIFY2(mapped >= qint64(text.size()) * qint64(sizeof(QChar)),
             qPrintable(QStringLiteral("%1 bytes of %2 mapped")
                            .arg(mapped)
                            .arg(qint64(text.size()) * qint64(sizeof(QChar)))));
#endif
}

QTEST_GUILESS_MAIN(TestLargeAllocations)
#include "tst_largeallocations.moc"
