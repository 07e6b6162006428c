#include "ui/common/ErrorGuard.h"

#include "ui/common/AppTitle.h"
#include "ui/common/ErrorText.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

namespace {

ErrorGuard::Reporter &currentReporter()
{
    static ErrorGuard::Reporter reporter;
    return reporter;
}

bool staysOnTop(const QWidget *window)
{
    // Keep-on-top is switched on the native window, not through the widget's flags.
    const QWindow *handle = window->windowHandle();
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ||
           (handle && handle->flags().testFlag(Qt::WindowStaysOnTopHint));
}

// The window the box belongs to: the open modal dialog, else the active window, else (at
// start-up, before the window system has activated anything) the program's visible window.
QWidget *ownerWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        return modal;
    if (QWidget *active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog))
            return window;
    }
    return nullptr;
}

void showErrorBox(const QString &text)
{
    QWidget *owner = ownerWindow();
    // An owned box is a transient of its owner, which the window manager keeps above it. When
    // the owner is in the topmost band the box must be there as well: a box of the normal band
    // would open beneath the owner and take all input while nobody can see it.
    QMessageBox box(QMessageBox::Critical, appTitle(), text, QMessageBox::Ok, owner);
    if (owner && staysOnTop(owner))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
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
