#include "data/AnswerLines.h"

#include "SiteConfig.h"

#include <QUrl>

namespace {

constexpr quint32 kBlue = 0x0000FF;
constexpr quint32 kBlack = 0x000000;
constexpr quint32 kRed = 0xFF0000;
constexpr quint32 kFuchsia = 0xFF00FF;

} // namespace

QList<AnswerLine> AnswerLines::forQuestion(const Question &question)
{
    // Only the subject's label ends in a full-width colon; the others in an ASCII one.
    return {{kBlue, QStringLiteral("科目：") + question.subject},
            {kBlack, QStringLiteral("题目内容:") + question.text},
            {kBlack, QStringLiteral("选项:") + question.options},
            {kRed, QStringLiteral("标准答案:") + question.answer}};
}

QList<AnswerLine> AnswerLines::guidance()
{
    static const QString host = QUrl(QString::fromUtf8(site::kRoot)).host();
    return {{kBlue, QStringLiteral("未找到答案，请确认软件为最新版本，请到官网") + host +
                        QStringLiteral("下载!")},
            {kFuchsia, QStringLiteral("请确认复制的只是问题，问题前后不包括其他字符")},
            {kRed, QStringLiteral("如果还未找到答案，请联系我们！")}};
}
