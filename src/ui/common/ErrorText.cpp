#include "ui/common/ErrorText.h"

namespace {

QString innermostMessage(const std::exception &error)
{
    QString message = QString::fromUtf8(error.what());
    try {
        std::rethrow_if_nested(error);
    } catch (const std::exception &inner) {
        const QString deeper = innermostMessage(inner);
        if (!deeper.isEmpty())
            message = deeper;
    } catch (...) {
        // A nested non-standard exception carries no text; keep what we have.
    }
    return message;
}

} // namespace

QString withClosingStop(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

QString errorBoxText(const std::exception &error)
{
    return withClosingStop(innermostMessage(error));
}
