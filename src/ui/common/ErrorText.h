#pragma once

#include <QString>
#include <exception>

// Text of the error box for an exception that escaped a handler: the innermost non-empty
// message of a chain of nested exceptions, with a full stop appended when the last character
// sorts after "." (so sentences end properly, while a path or a message ending in "." or "!"
// is left alone as the users of the old program saw it).
QString errorBoxText(const std::exception &error);
QString withClosingStop(const QString &message);
