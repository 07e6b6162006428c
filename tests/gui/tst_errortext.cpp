#include "base/AppError.h"
#include "ui/common/ErrorText.h"

#include <QTest>

class TestErrorText : public QObject {
    Q_OBJECT
private slots:
    void closingStop_data();
    void closingStop();
    void nestedUsesInnermostNonEmptyMessage();
};

void TestErrorText::closingStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("path") << "Unable to write to /p/Config.ini"
                          << "Unable to write to /p/Config.ini.";
    QTest::newRow("already a stop") << "Stream write error."
                                    << "Stream write error.";
    QTest::newRow("exclamation sorts before stop") << "Done!"
                                                   << "Done!";
    QTest::newRow("bracket sorts before stop") << "(x)"
                                               << "(x)";
    QTest::newRow("slash sorts after stop") << "dir/"
                                            << "dir/.";
    QTest::newRow("digit") << "code 5"
                           << "code 5.";
    QTest::newRow("chinese") << "找不到文件"
                             << "找不到文件.";
    QTest::newRow("full-width stop is above U+002E") << "完成。"
                                                     << "完成。.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestErrorText::closingStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(AppError(message)), shown);
}

void TestErrorText::nestedUsesInnermostNonEmptyMessage()
{
    auto chain = [](const QString &outer, const QString &inner) -> QString {
        try {
            try {
                throw AppError(inner);
            } catch (...) {
                std::throw_with_nested(AppError(outer));
            }
        } catch (const std::exception &error) {
            return errorBoxText(error);
        }
        return {};
    };
    QCOMPARE(chain("outer", "inner cause"), QString("inner cause."));
    QCOMPARE(chain("outer", ""), QString("outer."));
}

QTEST_GUILESS_MAIN(TestErrorText)
#include "tst_errortext.moc"
