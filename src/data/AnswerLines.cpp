#include "data/AnswerLines.h"

#include "base/SiteConfig.h"
#include "search/LooseText.h"

#include <QUrl>

namespace {

constexpr quint32 kBlue = 0x0000FF;
constexpr quint32 kBlack = 0x000000;
constexpr quint32 kRed = 0xFF0000;
constexpr quint32 kFuchsia = 0xFF00FF;
constexpr quint32 kGrey = 0x808080;

// The question text with each misread character in 【】, and the characters the copy had
// there, in order.
QString markedMisreads(const QString &text, const LookupResult &result, QString *copied)
{
    const QString loose = looseText(text);
    const qsizetype at = loose.indexOf(result.stretch);
    const QList<qsizetype> sources = looseSourceIndexes(text);
    if (at < 0 || result.copied.size() != result.stretch.size() || sources.size() != loose.size())
        return text;
    QList<qsizetype> marked;
    for (qsizetype i = 0; i < result.stretch.size(); ++i) {
        if (result.stretch[i] != result.copied[i]) {
            marked.append(sources[at + i]);
            *copied += QStringLiteral("“") + result.copied[i] + QStringLiteral("”");
        }
    }
    QString out = text;
    for (qsizetype k = marked.size() - 1; k >= 0; --k) {
        out.insert(marked[k] + 1, u'】');
        out.insert(marked[k], u'【');
    }
    return out;
}

} // namespace

QList<AnswerLine> AnswerLines::forQuestion(const Question &question)
{
    // Only the subject's label ends in a full-width colon; the others in an ASCII one.
    return {{kBlue, QStringLiteral("科目：") + question.subject},
            {kBlack, QStringLiteral("题目内容:") + question.text},
            {kBlack, QStringLiteral("选项:") + question.options},
            {kRed, QStringLiteral("标准答案:") + question.answer}};
}

QString AnswerLines::matchNote(const Question &question, const LookupResult &result)
{
    using Kind = LookupResult::Kind;
    if (result.kind == Kind::Exact && !result.fromBlock)
        return {};
    QString note = QStringLiteral("注：");
    if (result.fromBlock)
        note += QStringLiteral("已去掉复制内容中的题号、题型、分值和选项，按题干");
    if (result.kind == Kind::Exact)
        return note + QStringLiteral("找到。");
    if (result.kind == Kind::Loose && result.fromBlock)
        return note + QStringLiteral("并忽略标点、空格和全半角的差别找到。");
    if (result.kind == Kind::Loose)
        return note + QStringLiteral("输入与题库原文的标点、空格、全半角或题号不同，已忽略这些差别"
                                     "找到。");
    QString copied;
    const QString marked = markedMisreads(question.text, result, &copied);
    if (result.fromBlock)
        note += u'，';
    return note + QStringLiteral("输入的") + copied +
           QStringLiteral("与题库原文不同，按形近字找到，【】内为题库原字：") + marked;
}

QString AnswerLines::matchesNote(const LookupResult &result, qsizetype position)
{
    if (result.matches <= 1)
        return {};
    const QString count = result.moreThanCounted()
                              ? QString::number(LookupResult::kMostCounted) + QStringLiteral("多")
                              : QString::number(result.matches);
    return QStringLiteral("注：共有%1道题含有这段文字，这是第%2道，答案未必是你要的这道题，"
                          "请多复制一些题目内容。Ctrl+↓ 下一道，Ctrl+↑ 上一道")
        .arg(count)
        .arg(position);
}

QList<AnswerLine> AnswerLines::forResult(const Question &question, const LookupResult &result,
                                         qsizetype position)
{
    QList<AnswerLine> lines = forQuestion(question);
    if (const QString note = matchNote(question, result); !note.isEmpty())
        lines.append({kGrey, note});
    if (const QString note = matchesNote(result, position); !note.isEmpty())
        lines.append({kGrey, note, QStringLiteral("  [下一道]")});
    return lines;
}

QList<AnswerLine> AnswerLines::guidance()
{
    static const QString host = QUrl(QString::fromUtf8(site::kRoot)).host();
    return {{kBlue, QStringLiteral("未找到答案，请确认软件为最新版本，请到官网") + host +
                        QStringLiteral("下载!")},
            {kFuchsia, QStringLiteral("请确认复制的只是问题，问题前后不包括其他字符")},
            {kRed, QStringLiteral("如果还未找到答案，请联系我们！")}};
}
