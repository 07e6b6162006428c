// How long the window stops answering while a paste goes into the input box, and the memory it
// takes, for pastes of each kind that froze the window once:
//   bench_paste            the table: every kind at 1 KB, 1 MB, 10 MB and 50 MB (UTF-8 bytes)
//   bench_paste --check    every kind at 1 MB and 10 MB; exits 1 when the window stopped
//                          answering for a second or more, or the lookup no longer finds a
//                          question pasted after it
// Each case runs in a process of its own (the peak memory of a process only grows): the real
// start-up with the linked bank, the clipboard holding the text, then a click on the input box
// with click-to-paste on, a keystroke once the text is in, and a second of cursor blinks. "Not
// answering" is the longest wait of a 10 ms timer of the window's thread beyond its interval.
#include "ProcessMemory.h"

#include "app/Application.h"
#include "platform/LargeAllocations.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/MemoBox.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

struct Kind {
    const char *name;
    // Appended until the text reaches its size.
    std::function<QString(int)> unit;
};

QString repeated(QChar c, int n)
{
    return QString(n, c);
}

const QList<Kind> &kinds()
{
    static const QList<Kind> all = {
        {"exam page",
         [](int i) {
             return QStringLiteral(
                        "%1、【单选题】国家秘密的密级分为(  )三级。（2分）\nA. 绝密、机密、"
                        "秘密\nB. 核心、重要、一般\nC. 甲、乙、丙 Version 2.0 (see "
                        "page %1)\n")
                 .arg(i);
         }},
        {"unbroken ASCII word", [](int) { return repeated(u'a', 1000); }},
        {"letter with marks",
         [](int) { return QStringLiteral("a") + repeated(QChar(0x0301), 200); }},
        {"Hangul words", [](int) { return QStringLiteral("대한민국 국가 비밀 등급 "); }},
        {"Cyrillic words", [](int) { return QStringLiteral("государственная тайна степень "); }},
        {"unbroken CJK", [](int) { return QStringLiteral("国家秘密的密级分为三级"); }},
        {"RTL and zero-width",
         [](int) {
             return QStringLiteral("\u202Eשלום\u200Bעולם\u200F مرحبا\u200D بالعالم\u2066x\u2069 ");
         }},
        {"NULs and lone surrogates",
         [](int) {
             return QStringLiteral("国家") + QChar(0) + QChar(0xD800) + QStringLiteral("秘密") +
                    QChar(0xDC00) + QChar(0);
         }},
        {"short lines", [](int i) { return QStringLiteral("line %1\n").arg(i); }},
    };
    return all;
}

QString makeText(const Kind &kind, qint64 bytes)
{
    QString text;
    qint64 size = 0;
    for (int i = 0; size < bytes; ++i) {
        const QString unit = kind.unit(i);
        text += unit;
        size += unit.toUtf8().size();
    }
    return text;
}

struct Figures {
    double longestGapMs = 0;
    double fillMs = 0;
    double peakMb = 0;
    double beforeMb = 0;
    double utf16Mb = 0;
    bool foundAfter = false;
};

// One case in this process.
Figures runCase(const Kind &kind, qint64 bytes)
{
    Figures figures;
    QTemporaryDir folder;
    ErrorGuard::setReporter(
        [](const QString &text) { std::fprintf(stderr, "error box: %s\n", qPrintable(text)); });
    Application app(folder.path());
    app.start();
    app.Form1->setExitWait(0);
    TForm1 &form = *app.Form1;
    form.CheckBox2->setChecked(true);

    QString text = makeText(kind, bytes);
    figures.utf16Mb = double(text.size()) * 2 / 1e6;
    QApplication::clipboard()->setText(text);
    text.clear();
    QCoreApplication::processEvents();
    figures.beforeMb = double(residentBytes()) / 1e6;

    QElapsedTimer clock;
    qint64 last = 0;
    QTimer ping;
    ping.setInterval(10);
    QObject::connect(&ping, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        figures.longestGapMs = qMax(figures.longestGapMs, double(now - last) / 1e6 - 10);
        last = now;
    });
    clock.start();
    ping.start();

    QEventLoop loop;
    QTimer::singleShot(0, [&] { form.Memo1Click(form.Memo1); });
    // Once the text is in: a keystroke, then cursor blinks, then a real question pasted over it.
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (form.Memo1->isFilling())
            return;
        watch.stop();
        figures.fillMs = double(clock.nsecsElapsed()) / 1e6;
        QTimer::singleShot(100, [&] {
            form.Memo1->moveCursor(QTextCursor::End);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QCoreApplication::sendEvent(form.Memo1, &press);
            QCoreApplication::sendEvent(form.Memo1, &release);
            QTimer::singleShot(1000, [&] {
                ping.stop();
                form.Memo1->setText(QStringLiteral("国家秘密的密级分为"));
                figures.foundAfter =
                    form.RichEdit1->toPlainText().startsWith(QStringLiteral("科目："));
                loop.quit();
            });
        });
    });
    watch.start();
    loop.exec();
    figures.peakMb = double(peakResidentBytes()) / 1e6;
    app.shutdown();
    return figures;
}

QString sizeName(qint64 bytes)
{
    return bytes >= 1'000'000 ? QStringLiteral("%1 MB").arg(bytes / 1'000'000)
                              : QStringLiteral("%1 KB").arg(bytes / 1000);
}

// Runs one case in a child process; false when it did not finish.
bool runChild(const QString &program, int kind, qint64 bytes, Figures *figures)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {QStringLiteral("--one"), QString::number(kind), QString::number(bytes)});
    if (!child.waitForFinished(600'000) || child.exitCode() != 0)
        return false;
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    if (f.size() != 6)
        return false;
    *figures = {f[0].toDouble(), f[1].toDouble(), f[2].toDouble(),
                f[3].toDouble(), f[4].toDouble(), f[5] == "1"};
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // As the program does, so that the figures are the program's.
    keepLargeAllocationsMapped();
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication qt(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QStringLiteral("--one")) {
        const Figures f = runCase(kinds().at(args[2].toInt()), args[3].toLongLong());
        std::printf("%.1f %.1f %.1f %.1f %.1f %d\n", f.longestGapMs, f.fillMs, f.peakMb, f.beforeMb,
                    f.utf16Mb, f.foundAfter ? 1 : 0);
        return 0;
    }
    const bool check = args.contains(QStringLiteral("--check"));
    const QList<qint64> sizes = check ? QList<qint64>{1'000'000, 10'000'000}
                                      : QList<qint64>{1'000, 1'000'000, 10'000'000, 50'000'000};
    std::printf("%-26s %7s %14s %10s %12s %14s %9s\n", "paste", "size", "not answering", "filled",
                "peak RSS", "before paste", "UTF-16");
    int failures = 0;
    for (int k = 0; k < kinds().size(); ++k) {
        for (const qint64 bytes : sizes) {
            Figures f;
            const bool ran = runChild(QCoreApplication::applicationFilePath(), k, bytes, &f);
            const bool ok = ran && f.longestGapMs < 1000 && f.foundAfter;
            failures += ok ? 0 : 1;
            if (!ran) {
                std::printf("%-26s %7s  did not finish\n", kinds()[k].name,
                            qPrintable(sizeName(bytes)));
                continue;
            }
            std::printf("%-26s %7s %11.0f ms %7.0f ms %9.0f MB %11.0f MB %6.0f MB%s\n",
                        kinds()[k].name, qPrintable(sizeName(bytes)), f.longestGapMs, f.fillMs,
                        f.peakMb, f.beforeMb, f.utf16Mb,
                        f.foundAfter ? "" : "  (question pasted after it not found)");
            std::fflush(stdout);
        }
    }
    if (check && failures) {
        std::printf("%d case(s) stopped the window for a second or more or lost the lookup\n",
                    failures);
        return 1;
    }
    return 0;
}
