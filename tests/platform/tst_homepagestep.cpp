#include "FakeStartPageStore.h"

#include "base/IniFile.h"
#include "base/SiteConfig.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/TForm1.h"

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using ValueType = StartPageStore::ValueType;
Q_DECLARE_METATYPE(std::optional<FakeStartPageStore::Value>)

namespace {

std::u16string address()
{
    return QString::fromUtf8(site::kDirectoryPage).toStdU16String();
}

std::optional<FakeStartPageStore::Value> text(const std::u16string &page,
                                              ValueType type = ValueType::String)
{
    return FakeStartPageStore::stringValue(page, type);
}

} // namespace

// The home-page step as the main window runs it at exit, against a store that records every
// call and can fail at any step.
class TestHomePageStep : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void addressIsSchemeAndHostOnly();
    void exitStep_data();
    void exitStep();
    void errorEndsTheRestOfDestroy_data();
    void errorEndsTheRestOfDestroy();
    void keyIsClosedOnEveryWayOut_data();
    void keyIsClosedOnEveryWayOut();

private:
    std::unique_ptr<TForm1> makeForm();
    QString configValue(const QString &key) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_errors;
};

void TestHomePageStep::init()
{
    m_errors.clear();
    ErrorGuard::setReporter([this](const QString &message) { m_errors << message; });
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestHomePageStep::cleanup()
{
    m_dir.reset();
    ErrorGuard::setReporter({});
}

std::unique_ptr<TForm1> TestHomePageStep::makeForm()
{
    // A present bank file: nothing is unpacked and the options keep their layout state.
    QFile bank(m_dir->filePath("question.slg"));
    bank.open(QIODevice::WriteOnly);
    bank.close();
    auto form = std::make_unique<TForm1>(m_dir->path());
    form->setExitWait(0);
    return form;
}

QString TestHomePageStep::configValue(const QString &key) const
{
    return IniFile(m_dir->filePath("Config.ini")).readString("Config", key);
}

void TestHomePageStep::addressIsSchemeAndHostOnly()
{
    // The same constant is compared and written; a path or trailing "/" would make every exit
    // rewrite a page the user already has.
    const QString page = QString::fromUtf8(site::kDirectoryPage);
    const QUrl url(page, QUrl::StrictMode);
    QVERIFY(url.isValid());
    QVERIFY(!url.scheme().isEmpty());
    QVERIFY(!url.host().isEmpty());
    QCOMPARE(url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toString(),
             page);
    QVERIFY(!page.endsWith(u'/'));
}

void TestHomePageStep::exitStep_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("keyExists");
    QTest::addColumn<std::optional<FakeStartPageStore::Value>>("stored");
    QTest::addColumn<bool>("written");

    const std::u16string page = address();
    std::u16string upper = page;
    for (char16_t &unit : upper)
        if (unit >= u'a' && unit <= u'z')
            unit = unit - u'a' + u'A';

    QTest::newRow("option off, other page: untouched")
        << false << true << text(u"about:blank") << false;
    QTest::newRow("option off, key missing: untouched") << false << false << text(u"") << false;
    QTest::newRow("equal: not written") << true << true << text(page) << false;
    QTest::newRow("letter case differs") << true << true << text(upper) << true;
    QTest::newRow("trailing slash") << true << true << text(page + u"/") << true;
    QTest::newRow("trailing space") << true << true << text(page + u" ") << true;
    QTest::newRow("other page") << true << true << text(u"about:blank") << true;
    QTest::newRow("key missing: created and written")
        << true << false << std::optional<FakeStartPageStore::Value>() << true;
    QTest::newRow("value missing")
        << true << true << std::optional<FakeStartPageStore::Value>() << true;
    QTest::newRow("value empty (size 0)")
        << true << true << std::optional(FakeStartPageStore::Value{ValueType::String, {}}) << true;
    QTest::newRow("value holding only NUL") << true << true << text(u"") << true;
    QTest::newRow("expandable string, equal: not written")
        << true << true << text(page, ValueType::ExpandableString) << false;
    QTest::newRow("expandable string, differs")
        << true << true << text(page + u"/", ValueType::ExpandableString) << true;
    QTest::newRow("equal up to an embedded NUL: not written")
        << true << true << text(page + u'\0' + u"tail") << false;
    QTest::newRow("NUL before the address: written")
        << true << true << text(std::u16string(1, u'\0') + page) << true;
    QTest::newRow("no terminating NUL, equal: not written")
        << true << true
        << std::optional(FakeStartPageStore::stringValue(page, ValueType::String, false)) << false;
}

void TestHomePageStep::exitStep()
{
    QFETCH(bool, checked);
    QFETCH(bool, keyExists);
    QFETCH(std::optional<FakeStartPageStore::Value>, stored);
    QFETCH(bool, written);

    FakeStartPageStore store;
    store.keyExists = keyExists;
    store.value = stored;
    const std::u16string before = store.storedText();
    {
        std::unique_ptr<TForm1> form = makeForm();
        form->setStartPageStore(&store);
        // Only the state at exit counts: switch it the other way first, then back.
        form->CheckBox3->setChecked(!checked);
        form->CheckBox3->setChecked(checked);
    }
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join('\n')));
    if (!checked) {
        QVERIFY(store.calls.empty());
        QCOMPARE(configValue("SetHomePage"), QString("0"));
        return;
    }
    QCOMPARE(configValue("SetHomePage"), QString("1"));
    QCOMPARE(configValue("SetTop"), QString("1"));
    QCOMPARE(store.writes, written ? 1 : 0);
    if (written) {
        QVERIFY(store.keyExists);
        QCOMPARE(store.value->type, ValueType::String);
        // The address with exactly one terminating NUL.
        QCOMPARE(QString::fromStdU16String(store.storedText()),
                 QString::fromStdU16String(address() + u'\0'));
    } else {
        QVERIFY(store.storedText() == before);
    }
    QVERIFY(!store.keyOpen);
}

void TestHomePageStep::errorEndsTheRestOfDestroy_data()
{
    QTest::addColumn<std::optional<FakeStartPageStore::Value>>("stored");
    QTest::addColumn<bool>("failDataRead");
    QTest::addColumn<bool>("failCreate");
    QTest::addColumn<bool>("failSet");
    QTest::addColumn<QString>("message");

    QTest::newRow("32-bit number")
        << std::optional(FakeStartPageStore::Value{ValueType::Other, {1, 0, 0, 0}}) << false
        << false << false << "Invalid data type for 'start page'";
    QTest::newRow("read of the data fails")
        << text(u"about:blank") << true << false << false << "Failed to get data for 'start page'";
    QTest::newRow("key cannot be created")
        << std::optional<FakeStartPageStore::Value>() << false << true << false
        << "Failed to set data for 'Start Page'";
    QTest::newRow("value cannot be stored")
        << text(u"about:blank") << false << false << true << "Failed to set data for 'Start Page'";
}

void TestHomePageStep::errorEndsTheRestOfDestroy()
{
    QFETCH(std::optional<FakeStartPageStore::Value>, stored);
    QFETCH(bool, failDataRead);
    QFETCH(bool, failCreate);
    QFETCH(bool, failSet);
    QFETCH(QString, message);

    FakeStartPageStore store;
    store.value = stored;
    store.keyExists = stored.has_value();
    store.failDataRead = failDataRead;
    store.failCreate = failCreate;
    store.failSet = failSet;
    const std::u16string before = store.storedText();

    std::unique_ptr<TForm1> form = makeForm();
    form->setStartPageStore(&store);
    form->CheckBox1->setChecked(false);
    // The destroy handler as the window's destruction runs it, inside the error guard.
    QVERIFY(!ErrorGuard::run([&form] { form->FormDestroy(form.get()); }));
    QCOMPARE(m_errors, QStringList{message});
    // Both options were written before the step ...
    QCOMPARE(configValue("SetHomePage"), QString("1"));
    QCOMPARE(configValue("SetTop"), QString("0"));
    // ... and the settings object was not released (so the wait after it did not run either).
    QVERIFY(form->ConfigIni != nullptr);
    QCOMPARE(store.writes, 0);
    QVERIFY(store.storedText() == before);
    QVERIFY(!store.keyOpen);

    // Let the destruction run without the step.
    form->CheckBox3->setChecked(false);
    form.reset();
}

void TestHomePageStep::keyIsClosedOnEveryWayOut_data()
{
    QTest::addColumn<std::optional<FakeStartPageStore::Value>>("stored");
    QTest::addColumn<bool>("failSet");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("equal") << text(address()) << false
                           << QStringList{"open", "info", "data", "close"};
    QTest::newRow("differs") << text(u"x") << false
                             << QStringList{"open",   "info", "data", "close",
                                            "create", "set",  "close"};
    QTest::newRow("invalid type") << std::optional(
                                         FakeStartPageStore::Value{ValueType::Other, {0, 0, 0, 0}})
                                  << false << QStringList{"open", "info", "data", "close"};
    QTest::newRow("value missing")
        << std::optional<FakeStartPageStore::Value>() << false
        << QStringList{"open", "info", "close", "create", "set", "close"};
    QTest::newRow("write fails") << text(u"x") << true
                                 << QStringList{"open",   "info", "data", "close",
                                                "create", "set",  "close"};
}

void TestHomePageStep::keyIsClosedOnEveryWayOut()
{
    QFETCH(std::optional<FakeStartPageStore::Value>, stored);
    QFETCH(bool, failSet);
    QFETCH(QStringList, calls);

    FakeStartPageStore store;
    store.value = stored;
    store.failSet = failSet;
    {
        std::unique_ptr<TForm1> form = makeForm();
        form->setStartPageStore(&store);
    }
    QStringList seen;
    for (const std::string &call : store.calls)
        seen << QString::fromStdString(call);
    QCOMPARE(seen, calls);
}

QTEST_MAIN(TestHomePageStep)
#include "tst_homepagestep.moc"
