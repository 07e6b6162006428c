#pragma once

#include <QString>
#include <stdexcept>

// The one exception type the program raises itself. Handlers never catch it; the application's
// error guard shows its message in the error box.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString &message);
    QString message() const;
};
