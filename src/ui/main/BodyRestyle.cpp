#include "ui/main/BodyRestyle.h"

#include "base/AppError.h"

namespace BodyRestyle {

namespace {
const QString kDone = QStringLiteral("done");
const QString kNoBody = QStringLiteral("no-body");
const QString kNotBody = QStringLiteral("not-body");
const QString kErrorPrefix = QStringLiteral("error:");
} // namespace

QString script()
{
    // Every step fetches the body afresh from the current document, and the first step that
    // throws ends the run with the steps before it left in place.
    return QStringLiteral(R"JS((function () {
    if (!document.body) return 'no-body';
    if (document.body.tagName !== 'BODY') return 'not-body';
    try {
        document.body.setAttribute('scroll', 'no');
        document.body.style.border = '0';
        document.body.style.borderStyle = 'none';
        document.body.style.margin = '0';
        document.body.style.padding = '0';
        document.body.style.overflow = 'hidden';
    } catch (e) {
        return 'error:' + String(e && e.message ? e.message : e);
    }
    return 'done';
})())JS");
}

void check(const QVariant &result)
{
    const QString outcome = result.toString();
    if (outcome == kDone || outcome == kNoBody)
        return;
    if (outcome == kNotBody)
        throw AppError(QStringLiteral("Interface not supported"));
    if (outcome.startsWith(kErrorPrefix))
        throw AppError(outcome.mid(kErrorPrefix.size()));
    // No result at all: the page went away before the script ran; nothing to restyle.
}

} // namespace BodyRestyle
