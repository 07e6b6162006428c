// Hostile text in the input box: each lookup must return without an error box and leave either
// an answer or the guidance lines, and the window must keep working afterwards.
#include "HostileInputs.h"

#include "app/Application.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/MemoBox.h"
#include "ui/main/TForm1.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

class TestHostileInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void lookupSurvives_data();
    void lookupSurvives();
    void typingAfterHostileTextSurvives();

private:
    QTemporaryDir m_folder;
    std::unique_ptr<Application> m_app;
    QStringList m_errors;
};

void TestHostileInput::initTestCase()
{
    ErrorGuard::setReporter([this](const QString &text) { m_errors << text; });
    m_app = std::make_unique<Application>(m_folder.path());
    m_app->start();
    m_app->Form1->setExitWait(0);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(u'\n')));
    // The bank answers an ordinary question, so the cases below test the real lookup.
    m_app->Form1->Memo1->setPlainText(QStringLiteral("国家秘密的密级分为"));
    QVERIFY(m_app->Form1->RichEdit1->toPlainText().startsWith(QStringLiteral("科目：")));
}

void TestHostileInput::cleanupTestCase()
{
    m_app.reset();
    ErrorGuard::setReporter({});
}

void TestHostileInput::lookupSurvives_data()
{
    QTest::addColumn<QString>("text");
    for (const HostileInput &input : hostileInputs())
        QTest::newRow(input.name) << input.text;
}

void TestHostileInput::lookupSurvives()
{
    QFETCH(QString, text);
    m_errors.clear();
    m_app->Form1->Memo1->setPlainText(text);
    QCOMPARE(m_errors, QStringList());
    const QString shown = m_app->Form1->RichEdit1->toPlainText();
    QVERIFY2(shown.startsWith(QStringLiteral("科目：")) ||
                 shown.startsWith(QStringLiteral("未找到答案")),
             qPrintable(shown.left(80)));
    // Still working: an ordinary question is answered afterwards.
    m_app->Form1->Memo1->setPlainText(QStringLiteral("国家秘密的密级分为"));
    QVERIFY(m_app->Form1->RichEdit1->toPlainText().startsWith(QStringLiteral("科目：")));
}

void TestHostileInput::typingAfterHostileTextSurvives()
{
    // Keys typed after a text that holds all the small cases at once; each key is a lookup.
    m_errors.clear();
    QString all;
    for (const HostileInput &input : hostileInputs())
        if (input.text.size() < 200000)
            all += input.text;
    m_app->Form1->Memo1->setPlainText(all);
    QTest::keyClicks(m_app->Form1->Memo1, QStringLiteral("'%_"));
    QCOMPARE(m_errors, QStringList());
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
