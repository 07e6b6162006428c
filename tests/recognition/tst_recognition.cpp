// The recogniser's parts: the picture preparation (enlarging small text, dark themes, a clean
// threshold), the tidying of its text, the model's folder and its absence, and what it reads
// from pictures of real pages.
#include "base/AppError.h"
#include "platform/PicturePreparation.h"
#include "platform/RecognizedText.h"
#include "platform/TessdataFolder.h"
#include "platform/TesseractRecognizer.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Lines of "text": dark bars of the given height on white, like a page's lines of text.
QImage barsPicture(int barHeight, QColor paper, QColor ink)
{
    QImage picture(300, barHeight * 7, QImage::Format_RGB32);
    picture.fill(paper);
    QPainter painter(&picture);
    for (int line = 0; line < 3; ++line)
        painter.fillRect(10, barHeight * (2 * line + 1), 200, barHeight, ink);
    return picture;
}

// Slanted strokes, like the parts of characters that show whether the text was anti-aliased.
QImage strokesPicture(bool antialiased, QColor paper, QColor ink)
{
    QImage picture(200, 60, QImage::Format_RGB32);
    picture.fill(paper);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.setPen(QPen(ink, 1.5));
    for (int x = 10; x < 180; x += 12)
        painter.drawLine(x, 10, x + 9, 50);
    return picture;
}

class EnvironmentVariable {
public:
    EnvironmentVariable(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

class TestRecognition : public QObject {
    Q_OBJECT
private slots:
    void smallTextIsEnlarged_data();
    void smallTextIsEnlarged();
    void preparedPictureIsBlackTextOnWhite_data();
    void preparedPictureIsBlackTextOnWhite();
    void bitmapTextIsTold_data();
    void bitmapTextIsTold();
    void tidy_data();
    void tidy();
    void missingModelIsAClearErrorOnFirstRead();
    void prefixNamesTheModelFolder();
    void readsPicturesOfPages_data();
    void readsPicturesOfPages();
};

void TestRecognition::smallTextIsEnlarged_data()
{
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("wanted"); // the line height the way of preparing asks for
    QTest::addColumn<double>("factor");
    QTest::newRow("14 px screen text, 3 times") << 10 << 30 << 3.0;
    QTest::newRow("20 px lines, one and a half times") << 20 << 30 << 1.5;
    QTest::newRow("tiny text, at most 4 times") << 5 << 30 << 4.0;
    QTest::newRow("large text stays") << 60 << 30 << 1.0;
    QTest::newRow("another way: lines of 36 pixels") << 10 << 36 << 3.6;
    QTest::newRow("another way: lines of 28 pixels") << 20 << 28 << 1.4;
}

void TestRecognition::smallTextIsEnlarged()
{
    QFETCH(int, lineHeight);
    QFETCH(int, wanted);
    QFETCH(double, factor);
    const QImage picture = barsPicture(lineHeight, Qt::white, Qt::black);
    PicturePreparation::Way way;
    way.lineHeight = wanted;
    const QImage prepared = PicturePreparation::prepare(picture, way);
    QCOMPARE(prepared.width(), qRound(picture.width() * factor));
    QCOMPARE(prepared.height(), qRound(picture.height() * factor));
}

void TestRecognition::preparedPictureIsBlackTextOnWhite_data()
{
    QTest::addColumn<QColor>("paper");
    QTest::addColumn<QColor>("ink");
    QTest::newRow("black on white") << QColor(Qt::white) << QColor(Qt::black);
    QTest::newRow("grey on a tinted page") << QColor(0xFF, 0xF8, 0xE0) << QColor(0x66, 0x66, 0x66);
    QTest::newRow("blue link colour") << QColor(Qt::white) << QColor(0x00, 0x00, 0xFF);
    QTest::newRow("dark theme") << QColor(0x20, 0x20, 0x20) << QColor(0xE0, 0xE0, 0xE0);
}

void TestRecognition::preparedPictureIsBlackTextOnWhite()
{
    QFETCH(QColor, paper);
    QFETCH(QColor, ink);
    const QImage prepared = PicturePreparation::prepare(barsPicture(40, paper, ink));
    QCOMPARE(prepared.format(), QImage::Format_Grayscale8);
    // Light paper, dark text, whatever the page's colours were.
    const int paperGrey = qGray(prepared.pixel(250, 5));
    const int inkGrey = qGray(prepared.pixel(100, 60));
    QVERIFY2(paperGrey >= 200, qPrintable(QString::number(paperGrey)));
    QVERIFY2(inkGrey + 100 <= paperGrey,
             qPrintable(QStringLiteral("%1 %2").arg(inkGrey).arg(paperGrey)));
}

void TestRecognition::bitmapTextIsTold_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("bitmap");
    QTest::newRow("anti-aliased strokes") << strokesPicture(true, Qt::white, Qt::black) << false;
    QTest::newRow("anti-aliased grey on a tinted page")
        << strokesPicture(true, QColor(0xFF, 0xF8, 0xE0), QColor(0x33, 0x33, 0x33)) << false;
    QTest::newRow("strokes without anti-aliasing")
        << strokesPicture(false, Qt::white, Qt::black) << true;
    QTest::newRow("grey on a tinted page without anti-aliasing")
        << strokesPicture(false, QColor(0xFF, 0xF8, 0xE0), QColor(0x33, 0x33, 0x33)) << true;
    QTest::newRow("upright bars") << barsPicture(10, Qt::white, Qt::black) << true;
    QImage blank(50, 20, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QTest::newRow("blank") << blank << false;
}

void TestRecognition::bitmapTextIsTold()
{
    QFETCH(QImage, picture);
    QFETCH(bool, bitmap);
    QCOMPARE(PicturePreparation::drawnWithoutAntialiasing(
                 picture.convertToFormat(QImage::Format_Grayscale8)),
             bitmap);
}

void TestRecognition::tidy_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("tidy");
    QTest::newRow("blanks between Chinese characters go")
        << u"国 家 秘 密 的 密 级"_qs << u"国家秘密的密级"_qs;
    QTest::newRow("beside full-width marks too")
        << u"保密 ， 期限 （ ） 。"_qs << u"保密，期限（）。"_qs;
    QTest::newRow("Latin words keep one blank")
        << u"Windows  XP 系统 的 U 盘"_qs << u"Windows XP系统的U盘"_qs;
    QTest::newRow("option letters keep theirs") << u"A. 10\nB. 20"_qs << u"A. 10\nB. 20"_qs;
    QTest::newRow("empty lines and edges go")
        << u"  第一行 \n\n \n第 二 行\n\n"_qs << u"第一行\n第二行"_qs;
    QTest::newRow("nothing read") << u" \n "_qs << QString();
    // The model reads the page's "A." as "A，", "a，" or "A.，".
    QTest::newRow("option letters as the page wrote them")
        << u"国家实行网络安全( )保护制度。\na，等级\nB.，分类\nC。分区\nD，分段"_qs
        << u"国家实行网络安全( )保护制度。\nA.等级\nB.分类\nC.分区\nD.分段"_qs;
    QTest::newRow("a misread letter between two options")
        << u"题干\nA.身体健康\n8心理健康\nC.社会适应良好"_qs
        << u"题干\nA.身体健康\nB.心理健康\nC.社会适应良好"_qs;
    QTest::newRow("a misread letter with its mark")
        << u"题干\nA.宪法宣誓\nB.述职\n5.体检\nD.公示"_qs
        << u"题干\nA.宪法宣誓\nB.述职\nC.体检\nD.公示"_qs;
    QTest::newRow("A read as something else, before B")
        << u"题干\n上，等级\nB，分类"_qs << u"题干\nA.等级\nB.分类"_qs;
    QTest::newRow("A read as a sign, before B")
        << u"题干\n8完善评价标准\nB.创新评价机制\nC.取消全部职称"_qs
        << u"题干\nA.完善评价标准\nB.创新评价机制\nC.取消全部职称"_qs;
    QTest::newRow("A read as an ampersand")
        << u"题干\n&正确\nB，错误"_qs << u"题干\nA.正确\nB.错误"_qs;
    QTest::newRow("a figure opening a wrapped option stays")
        << u"题干\nA.每天工作不超过\n8小时\nB.不限"_qs
        << u"题干\nA.每天工作不超过\n8小时\nB.不限"_qs;
    QTest::newRow("letters out of order are not options")
        << u"题干\nb，第一行\nD，第二行"_qs << u"题干\nb，第一行\nD，第二行"_qs;
    QTest::newRow("the question line is never an option")
        << u"a，b两个数\nB，另一行"_qs << u"a，b两个数\nB，另一行"_qs;
    QTest::newRow("score brackets read as other brackets")
        << u"保密制度。【2分)\n下一题。《 2.5 分〉"_qs
        << u"保密制度。（2分）\n下一题。（2.5分）"_qs;
    QTest::newRow("question number 7 read as 了") << u"了、【单选题】SWOT分析法中的“W”指的是"_qs
                                                  << u"7、【单选题】SWOT分析法中的“W”指的是"_qs;
    QTest::newRow("了 elsewhere stays") << u"了解、掌握\n了、"_qs << u"了解、掌握\n了、"_qs;
    QTest::newRow("type label with a misread character")
        << u"33、【单选盟】数据安全法规定"_qs << u"33、【单选题】数据安全法规定"_qs;
    QTest::newRow("type label misread, closing bracket lost")
        << u"23、【单选盟标准化法规定"_qs << u"23、【单选题】标准化法规定"_qs;
    QTest::newRow("type label with its first character misread")
        << u"1、【齐断题】任何组织"_qs << u"1、【判断题】任何组织"_qs;
    QTest::newRow("single or multiple choice undecided")
        << u"11、[洛选题】我国提出"_qs << u"11、【选择题】我国提出"_qs;
    QTest::newRow("a label read right stays as read")
        << u"3、【多选题]】下列属于"_qs << u"3、【多选题]】下列属于"_qs;
    QTest::newRow("other bracketed words are no label")
        << u"5、【填空题】空白\n选择题"_qs << u"5、【填空题】空白\n选择题"_qs;
    QTest::newRow("a three-character heading like no label")
        << u"8、【注意点】细则"_qs << u"8、【注意点】细则"_qs;
    QTest::newRow("a label only on the first line")
        << u"题干\n【单选盟】"_qs << u"题干\n【单选盟】"_qs;
    QTest::newRow("a dash between figures read as 一")
        << u"本题依据GB/T 1.1一2020。"_qs << u"本题依据GB/T 1.1—2020。"_qs;
    QTest::newRow("一 beside one figure only stays")
        << u"第1一个方面\n一2一"_qs << u"第1一个方面\n一2一"_qs;
    QTest::newRow("score broken over two lines, bracket lost")
        << u"避免伏案工作。2\n分)"_qs << u"避免伏案工作。（2分）"_qs;
}

void TestRecognition::tidy()
{
    QFETCH(QString, raw);
    QFETCH(QString, tidy);
    QCOMPARE(RecognizedText::tidy(raw), tidy);
}

void TestRecognition::missingModelIsAClearErrorOnFirstRead()
{
    QTemporaryDir empty;
    const EnvironmentVariable prefix("TESSDATA_PREFIX", empty.path().toLocal8Bit());
    // Creating the recogniser loads nothing: the error comes with the first picture.
    TesseractRecognizer recognizer;
    try {
        recognizer.read(barsPicture(20, Qt::white, Qt::black));
        QFAIL("no error without a model");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(u"chi_sim.traineddata"_qs), qPrintable(e.message()));
        QVERIFY2(e.message().contains(empty.path()), qPrintable(e.message()));
        QVERIFY2(e.message().contains(u"tesseract-ocr-chi-sim"_qs), qPrintable(e.message()));
    }
}

void TestRecognition::prefixNamesTheModelFolder()
{
    const QString system = TessdataFolder::find(QStringLiteral("chi_sim"));
    // Both the folder of the models and the folder above it are accepted.
    for (const QString &prefix : {system, system + QStringLiteral("/..")}) {
        const EnvironmentVariable set("TESSDATA_PREFIX", prefix.toLocal8Bit());
        QVERIFY(QFileInfo(TessdataFolder::find(QStringLiteral("chi_sim")) +
                          QStringLiteral("/chi_sim.traineddata"))
                    .isFile());
    }
}

void TestRecognition::readsPicturesOfPages_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("way"); // 0 the usual reading, else one of the other ways
    QTest::addColumn<QString>("question");
    QTest::newRow("WenQuanYi 14 px, with options")
        << u"in-bank-wqy-options.png"_qs << 0 << u"国家秘密的密级分为"_qs;
    QTest::newRow("Noto Sans 16 px")
        << u"in-bank-noto-stem.png"_qs << 0
        << u"涉密计算机可以在确保安全的情况下临时接入互联网查阅资料"_qs;
    // Drawn from the face's bitmaps, without anti-aliasing; read "存情过…" before it was smoothed.
    QTest::newRow("AR PL UMing 14 px, bitmap text")
        << u"in-bank-uming-14.png"_qs << 0 << u"12.存储过机密级信息的移动存储介质"_qs;
    QTest::newRow("AR PL UMing 17 px at 150%")
        << u"in-bank-uming-150.png"_qs << 0
        << u"使用普通手机在涉密场所拍照属于违反保密规定的行为"_qs;
    // Read "闭作权…" the usual way; the first other way enlarges its lines to 36 pixels.
    QTest::newRow("AR PL UMing 15 px, read the first other way")
        << u"in-bank-uming-15-read-again.png"_qs << 1 << u"著作权自作品"_qs;
}

void TestRecognition::readsPicturesOfPages()
{
    QFETCH(QString, picture);
    QFETCH(int, way);
    QFETCH(QString, question);
    const QImage image(QStringLiteral(QINGLAN_TEST_PICTURES "/") + picture);
    QVERIFY(!image.isNull());
    TesseractRecognizer recognizer;
    QVERIFY(way <= recognizer.otherWays());
    const QString text = way == 0 ? recognizer.read(image) : recognizer.readOtherWay(image, way);
    QVERIFY2(text.contains(question), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestRecognition)
#include "tst_recognition.moc"
