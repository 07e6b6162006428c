#pragma once

#include <QString>
#include <QVariant>

// Makes a document sit flush in the banner: no scroll bars, border, margin or padding, and
// overflow hidden, all on the top-level document's body.
namespace BodyRestyle {

// JavaScript for QWebEnginePage::runJavaScript; its result goes to check().
QString script();

// Throws AppError when the restyling could not be done: "Interface not supported" when the
// document's body is no body element (a frameset), or the browser's own error text. A document
// without a body is left alone and is no error.
void check(const QVariant &result);

} // namespace BodyRestyle
