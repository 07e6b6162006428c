#include "app/ErrorGuard.h"

#include "app/AppTitle.h"
#include "app/ErrorText.h"

#include <QMessageBox>

namespace {

ErrorGuard::Reporter &currentReporter()
{
    static ErrorGuard::Reporter reporter;
    return reporter;
}

void showErrorBox(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, appTitle(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

void ErrorGuard::setReporter(Reporter reporter)
{
    currentReporter() = std::move(reporter);
}

void ErrorGuard::report(const std::exception &error)
{
    const QString text = errorBoxText(error);
    if (currentReporter())
        currentReporter()(text);
    else
        showErrorBox(text);
}

bool ErrorGuard::run(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        report(error);
    }
    return false;
}
