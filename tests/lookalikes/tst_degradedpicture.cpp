#include "DegradedPicture.h"

#include <QPainter>
#include <QTest>

#include <algorithm>

// The confusions counted on degraded pictures are only worth as much as the pictures: one that
// came out blank, black, unchanged or of the wrong size would count the clean drawing's
// misreadings (or none) under another name.
class TestDegradedPicture : public QObject {
    Q_OBJECT

private slots:
    void keepsTheInkReadable_data();
    void keepsTheInkReadable();
};

namespace {

// A white page with one dark stroke 6 px wide, as a line of text is dark strokes on white.
QImage strokePage()
{
    QImage page(100, 60, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.fillRect(QRect(47, 10, 6, 40), QColor(0x22, 0x22, 0x22));
    return page;
}

int greyAt(const QImage &picture, int x, int y)
{
    return qGray(picture.pixel(x, y));
}

} // namespace

void TestDegradedPicture::keepsTheInkReadable_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("paperAtLeast"); // far from the stroke
    QTest::addColumn<int>("paperAtMost");
    QTest::addColumn<int>("inkAtLeast"); // the stroke's middle
    QTest::addColumn<int>("inkAtMost");
    QTest::addColumn<bool>("greyEdge"); // a pixel beside the stroke between ink and paper

    // Shrinking smooths: the stroke's edge falls between pixels and turns grey.
    QTest::newRow("shrunk to 80%") << int(DegradedPicture::Kind::Shrunk) << QSize(80, 48) << 250
                                   << 255 << 0x10 << 0x50 << true;
    // JPEG keeps size and levels roughly; it only rings around edges.
    QTest::newRow("jpeg") << int(DegradedPicture::Kind::Jpeg) << QSize(100, 60) << 240 << 255
                          << 0x00 << 0x50 << false;
    // A photograph: grey paper, ink no darker than the camera sees it, blurred edges.
    QTest::newRow("photographed") << int(DegradedPicture::Kind::Blurred) << QSize(100, 60) << 0xD8
                                  << 0xE0 << 0x30 << 0x50 << true;
}

void TestDegradedPicture::keepsTheInkReadable()
{
    QFETCH(int, kind);
    QFETCH(QSize, size);
    QFETCH(int, paperAtLeast);
    QFETCH(int, paperAtMost);
    QFETCH(int, inkAtLeast);
    QFETCH(int, inkAtMost);
    QFETCH(bool, greyEdge);

    const QImage page = strokePage();
    const QImage degraded = DegradedPicture::apply(page, DegradedPicture::Kind(kind));
    QVERIFY2(!degraded.isNull(), "no picture: the JPEG codec is missing?");
    QCOMPARE(degraded.size(), size);
    const double scale = double(size.width()) / page.width();
    auto at = [&](int x, int y) { return greyAt(degraded, int(x * scale), int(y * scale)); };

    for (const QPoint paper : {QPoint(5, 5), QPoint(94, 54), QPoint(20, 30)}) {
        QVERIFY2(at(paper.x(), paper.y()) >= paperAtLeast,
                 qPrintable(QString::number(at(paper.x(), paper.y()))));
        QVERIFY(at(paper.x(), paper.y()) <= paperAtMost);
    }
    const int ink = at(50, 30);
    QVERIFY2(ink >= inkAtLeast && ink <= inkAtMost, qPrintable(QString::number(ink)));

    if (greyEdge) {
        // Across the stroke's left edge, some pixel is neither ink nor paper.
        bool grey = false;
        for (int x = 0; x < degraded.width(); ++x) {
            const int level = greyAt(degraded, x, degraded.height() / 2);
            grey = grey || (level > inkAtMost + 8 && level < paperAtLeast - 8);
        }
        QVERIFY(grey);
    }
    // Whatever happened, the picture is no longer the clean one.
    QVERIFY(degraded.convertToFormat(QImage::Format_RGB32) != page);
}

QTEST_MAIN(TestDegradedPicture)
#include "tst_degradedpicture.moc"
