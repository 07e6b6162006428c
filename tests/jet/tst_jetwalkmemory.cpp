// Reading a large bank file through its mapping, as a million-question bank is read: the pages
// already read must not all stay resident. In a process of its own, as the high-water mark of
// resident memory that other tests check is the whole process's.
#include "WrittenBank.h"

#include "jet/JetDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Bytes of mapped files resident in this process, -1 when unknown.
qint64 residentFileBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("RssFile:"))
            return line.mid(8).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

} // namespace

class TestJetWalkMemory : public QObject {
    Q_OBJECT

private slots:
    // A walk over a large file must not keep the whole file resident: a bank of a million
    // questions would otherwise hold its file and the rows built from it at once. The rows,
    // memos among them, must come back whole although their pages were given back.
    void walkGivesFilePagesBack()
    {
#ifdef Q_OS_LINUX
        QVector<BankRecord> written;
        for (int i = 0; i < 40000; ++i)
            written << WrittenBank::row(
                "科目", QStringLiteral("第%1题").arg(i) + QString(300, u'题'),
                i % 100 == 0 ? QString(3000, u'选') : QStringLiteral("甲;乙"), "A");
        QTemporaryDir dir;
        const QString file = dir.filePath("bank.slg");
        QVERIFY(WrittenBank::write(file, written));
        const qint64 fileSize = QFileInfo(file).size();
        const auto db = JetDatabase::open(file);
        const qint64 before = residentFileBytes();
        QVERIFY(before >= 0);
        qint64 most = before;
        int visited = 0;
        bool rowsIntact = true;
        db->forEachRow("问题", [&](const JetRow &row) {
            const BankRecord &expected = written[visited];
            rowsIntact = rowsIntact && row[3].text == expected.text &&
                         row[4].text == expected.options.value_or(QString());
            if (++visited % 1000 == 0)
                most = qMax(most, residentFileBytes());
        });
        QCOMPARE(visited, written.size());
        QVERIFY(rowsIntact);
        QVERIFY2(most - before < fileSize / 3,
                 qPrintable(QStringLiteral("%1 of the file's %2 bytes stayed resident")
                                .arg(most - before)
                                .arg(fileSize)));
#else
        QSKIP("needs /proc/self/status");
#endif
    }
};

QTEST_GUILESS_MAIN(TestJetWalkMemory)
#include "tst_jetwalkmemory.moc"
