#include "data/QuestionBatchQueue.h"

#include <QTest>

#include <thread>

// The handoff between the thread that reads a bank and the one that builds its table.
class TestQuestionBatchQueue : public QObject {
    Q_OBJECT

private slots:
    // Every text comes back as it went in, empty ones and ones with any unit included, row by
    // row and field by field.
    void batchKeepsEveryField()
    {
        QuestionBatch batch;
        const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        const std::vector<std::array<QString, QuestionBatch::kFields>> rows = {
            {u"语文"_qs, u"下列词语中加点字的读音"_qs, u"A. 一;B. 二"_qs, u"B"_qs, u"f"_qs,
             u"l"_qs},
            {QString(), QString(), QString(), QString(), QString(), QString()},
            {u"x"_qs, nul, QString(1, QChar(0xD800)), QString(5000, u'题'), QString(), u"末"_qs},
        };
        for (const auto &row : rows)
            batch.add({row[0], row[1], row[2], row[3], row[4], row[5]});
        QCOMPARE(batch.rows(), qsizetype(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (int f = 0; f < QuestionBatch::kFields; ++f)
                QCOMPARE(batch.field(qsizetype(r), f).toString(), rows[r][std::size_t(f)]);
        }
        batch.clear();
        QCOMPARE(batch.rows(), 0);
    }

    // Batches arrive in the order they were pushed, go round as often as needed, and the end
    // comes once every one pushed has been taken.
    void batchesArriveInOrderAndEnd()
    {
        QuestionBatchQueue queue(3);
        constexpr int kBatches = 50;
        std::vector<int> seen;
        std::thread builder([&] {
            while (std::unique_ptr<QuestionBatch> batch = queue.takeFull()) {
                seen.push_back(batch->field(0, 0).toInt());
                queue.giveBack(std::move(batch));
            }
        });
        for (int i = 0; i < kBatches; ++i) {
            std::unique_ptr<QuestionBatch> batch = queue.takeEmpty();
            QVERIFY(batch);
            QCOMPARE(batch->rows(), 0); // given back cleared
            const QString number = QString::number(i);
            batch->add({number, number, number, number, number, number});
            queue.pushFull(std::move(batch));
        }
        queue.finish();
        builder.join();
        std::vector<int> expected(kBatches);
        for (int i = 0; i < kBatches; ++i)
            expected[std::size_t(i)] = i;
        QCOMPARE(seen, expected);
    }

    // A reader waiting for a batch while the builder holds them all is let go when the builder
    // gives up, rather than waiting for ever.
    void abandonReleasesAWaitingReader()
    {
        QuestionBatchQueue queue(1);
        std::unique_ptr<QuestionBatch> held = queue.takeEmpty();
        QVERIFY(held);
        std::thread builder([&] {
            std::this_thread::yield();
            queue.abandon();
        });
        QVERIFY(!queue.takeEmpty());
        builder.join();
    }
};

QTEST_GUILESS_MAIN(TestQuestionBatchQueue)
#include "tst_questionbatchqueue.moc"
