// The reader the window uses where Qt's clipboard need not wait for another program (here the
// offscreen platform, where the clipboard lives in the process): it reports what the clipboard
// holds, text before a picture, as click-to-paste has always looked at it.
#include "platform/ClipboardTextReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(ClipboardContent)

class TestQtClipboardReader : public QObject {
    Q_OBJECT
private slots:
    void reportsWhatTheClipboardHolds_data();
    void reportsWhatTheClipboardHolds();
};

void TestQtClipboardReader::reportsWhatTheClipboardHolds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<ClipboardContent::Kind>("kind");
    QImage picture(30, 10, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    const QString question = QStringLiteral("国家秘密的密级分为(  )三级。");
    QTest::newRow("text") << question << QImage() << ClipboardContent::Kind::Text;
    QTest::newRow("an empty text is still text")
        << QString("") << QImage() << ClipboardContent::Kind::Text;
    QTest::newRow("a picture only") << QString() << picture << ClipboardContent::Kind::Picture;
    QTest::newRow("text and a picture: the text")
        << question << picture << ClipboardContent::Kind::Text;
    QTest::newRow("nothing") << QString() << QImage() << ClipboardContent::Kind::Nothing;
}

void TestQtClipboardReader::reportsWhatTheClipboardHolds()
{
    QFETCH(QString, text);
    QFETCH(QImage, picture);
    QFETCH(ClipboardContent::Kind, kind);
    auto *data = new QMimeData;
    if (!text.isNull())
        data->setText(text);
    if (!picture.isNull())
        data->setImageData(picture);
    QGuiApplication::clipboard()->setMimeData(data);

    const std::unique_ptr<ClipboardTextReader> reader = ClipboardTextReader::forThisPlatform();
    QSignalSpy finished(reader.get(), &ClipboardTextReader::finished);
    reader->read(QClipboard::Clipboard);
    QTRY_COMPARE(finished.size(), 1);
    const ClipboardContent content = finished.at(0).at(0).value<ClipboardContent>();
    QCOMPARE(content.kind, kind);
    if (kind == ClipboardContent::Kind::Text)
        QCOMPARE(content.text, text);
    if (kind == ClipboardContent::Kind::Picture)
        QCOMPARE(content.picture, picture);
}

QTEST_MAIN(TestQtClipboardReader)
#include "tst_qtclipboardreader.moc"
