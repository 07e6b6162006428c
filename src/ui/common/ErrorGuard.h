#pragma once

#include <QString>
#include <exception>
#include <functional>

// The application-wide default handler: every event handler runs inside run(); an exception
// that escapes is shown in an error box and the event loop goes on.
namespace ErrorGuard {

using Reporter = std::function<void(const QString &text)>;

// Tests swap the message box for a recorder; an empty reporter restores the box.
void setReporter(Reporter reporter);
void report(const std::exception &error);
// Returns false when the handler raised (and the error was reported).
bool run(const std::function<void()> &handler);

} // namespace ErrorGuard
