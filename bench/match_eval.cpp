// How often a question copied from a page still finds its own row, and how often a question the
// bank lacks wrongly gets one. Fragments are made from the demo bank the way users copy them:
// each kind of difference alone and every pair of kinds, whole blocks with the page's number,
// labels, score and options, and look-alike misreadings; against them, copies whose meaning
// changed (another number, a negation, an opposite word, any other character). Prints Markdown
// tables.
//
//   match_eval [questions.csv] [not_in_bank.txt]
#include "search/Lookalikes.h"
#include "search/LookupFragment.h"
#include "search/LooseMatcher.h"
#include "search/LooseText.h"
#include "search/QuestionLookup.h"
#include "search/QuestionTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>
#include <random>

namespace {

using Random = std::mt19937;

// The bank source's dialect: quoted texts with "" inside, NULL as an empty unquoted field,
// one row per line.
QList<Question> readBankCsv(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(path));
    QList<Question> rows;
    bool header = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        if (header) {
            header = false;
            continue;
        }
        QStringList fields;
        QString field;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted) {
                if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else if (c == u'"') {
                    quoted = false;
                } else {
                    field += c;
                }
            } else if (c == u'"') {
                quoted = true;
            } else if (c == u',') {
                fields << field;
                field.clear();
            } else {
                field += c;
            }
        }
        fields << field;
        if (fields.size() != 5)
            qFatal("%s: a row with %lld fields", qPrintable(path), qlonglong(fields.size()));
        rows.append(Question{fields[0], fields[1], fields[2], fields[3]});
    }
    return rows;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(path));
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line;
    return lines;
}

bool isHan(QChar c)
{
    return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF;
}

// Characters that teachers list as commonly confused by their shape (形近字). The lookup's own
// table is made from glyphs (tools/lookalikes), not from this list, so the recall measured with
// it says how well that table covers the confusions readers know.
const std::map<QChar, QList<QChar>> &lookalikes()
{
    static const std::map<QChar, QList<QChar>> table = [] {
        std::map<QChar, QList<QChar>> t;
        const QStringList pairs =
            QStringLiteral(
                "土士 己已 已巳 未末 人入 日曰 千干 侯候 拔拨 辩辨 辨辫 戊戌 戌戍 王玉 天夭 刀力 "
                "贝见 "
                "今令 析折 账帐 竞竟 治冶 暑署 密蜜 大太 太犬 目日 田由 由甲 甲申 白自 问间 办为 "
                "鸟乌 "
                "免兔 历厉 候喉 货贷 拆折 壁璧 崇祟 汩汨 荼茶 佳住 往住 径经 逐遂 洗冼 凉谅 刺剌 "
                "徙徒 "
                "侍待 特持 杨扬 场汤 暖缓 援缓 狠狼 很狠 即既 粱梁 簿薄 博搏 陪赔 倍陪 茫芒 盲肓 "
                "壮状 "
                "幕墓 幕暮 暮慕 情清 晴睛 精睛 券卷 推堆 准淮 栽裁 裁载 式试 赃脏 抗杭 纲钢 揭渴 "
                "偶隅 "
                "构钩 勾句 句旬 仓仑 伦论 论沦 枪抢 爪瓜 狐孤 孤弧 斤斥 兵乒 休体 抄炒 沙纱 肖削 "
                "哨稍 "
                "宵霄 嘱属 撞幢 裸棵 厂广 厌压 岗冈 妹味 思恩 冒昌 未朱 住注 木本 午牛 儿几")
                .split(u' ');
        for (const QString &p : pairs) {
            t[p[0]].append(p[1]);
            t[p[1]].append(p[0]);
        }
        return t;
    }();
    return table;
}

struct Kind {
    const char *name;
    // The copied text, or a null string when the kind does not apply to this question.
    std::function<QString(const QString &, Random &, const QString &bankChars)> apply;
};

QString swapWidth(const QString &q)
{
    static const QString full = QStringLiteral("（），。？：；！");
    static const QString ascii = QStringLiteral("(),.?:;!");
    bool hasFull = false;
    for (QChar c : q)
        hasFull = hasFull || full.contains(c);
    QString out = q;
    for (QChar &c : out) {
        const qsizetype f = (hasFull ? full : ascii).indexOf(c);
        if (f >= 0)
            c = (hasFull ? ascii : full)[f];
    }
    return out == q ? QString() : out;
}

QString changeBlanks(const QString &q, Random &r)
{
    for (qsizetype i = 0; i < q.size(); ++i) {
        if (q[i] != u'(' && q[i] != u'（')
            continue;
        qsizetype j = i + 1;
        while (j < q.size() && (q[j] == u' ' || q[j] == u'\u3000'))
            ++j;
        if (j < q.size() && (q[j] == u')' || q[j] == u'）')) {
            const qsizetype had = j - i - 1;
            qsizetype now = had;
            while (now == had)
                now = qsizetype(r() % 7);
            return q.left(i + 1) + QString(now, u' ') + q.mid(j);
        }
    }
    return {};
}

// Look-alikes of the character in the teachers' list; with `inTable`, only those the lookup's
// glyph table lists too.
QList<QChar> partnersOf(QChar c, bool inTable)
{
    const auto it = lookalikes().find(c);
    QList<QChar> out;
    if (it == lookalikes().end())
        return out;
    for (QChar p : it->second)
        if (!inTable || Lookalikes::areLookalike(c.unicode(), p.unicode()))
            out << p;
    return out;
}

// `count` characters of the question replaced by a look-alike from the teachers' list; a null
// string when the question has fewer characters with one.
QString misread(const QString &q, Random &r, int count, bool inTable = false)
{
    QList<qsizetype> places;
    for (qsizetype i = 0; i < q.size(); ++i)
        if (!partnersOf(q[i], inTable).isEmpty())
            places << i;
    if (places.size() < count)
        return {};
    QString out = q;
    QList<qsizetype> chosen;
    while (chosen.size() < count) {
        const qsizetype at = places[qsizetype(r() % quint32(places.size()))];
        if (chosen.contains(at))
            continue;
        chosen << at;
        const QList<QChar> partners = partnersOf(q[at], inTable);
        out[at] = partners[qsizetype(r() % quint32(partners.size()))];
    }
    return out;
}

// One character of the question replaced by another character of the bank that is no
// look-alike of it, neither in the teachers' list nor in the lookup's glyph table: another
// word, as a rule (做 for 作, 性 for 姓).
QString otherCharacter(const QString &q, Random &r, const QString &bankChars)
{
    QList<qsizetype> han;
    for (qsizetype i = 0; i < q.size(); ++i)
        if (isHan(q[i]))
            han << i;
    if (han.isEmpty())
        return {};
    const qsizetype at = han[qsizetype(r() % quint32(han.size()))];
    QString out = q;
    QChar other = q[at];
    const auto known = lookalikes().find(q[at]);
    while (other == q[at] || (known != lookalikes().end() && known->second.contains(other)) ||
           Lookalikes::areLookalike(q[at].unicode(), other.unicode()))
        other = bankChars[qsizetype(r() % quint32(bankChars.size()))];
    out[at] = other;
    return out;
}

QList<Kind> kinds()
{
    return {
        {"one look-alike misread",
         [](const QString &q, Random &r, const QString &) { return misread(q, r, 1); }},
        {"two look-alike misreads",
         [](const QString &q, Random &r, const QString &) { return misread(q, r, 2); }},
        {"full-width / ASCII punctuation",
         [](const QString &q, Random &, const QString &) { return swapWidth(q); }},
        {"blanks inside the answer blank",
         [](const QString &q, Random &r, const QString &) { return changeBlanks(q, r); }},
        {"underscores of another length",
         [](const QString &q, Random &r, const QString &) {
             const qsizetype at = q.indexOf(u'_');
             if (at < 0)
                 return QString();
             qsizetype end = at;
             while (end < q.size() && q[end] == u'_')
                 ++end;
             qsizetype now = end - at;
             while (now == end - at)
                 now = 1 + qsizetype(r() % 8);
             return q.left(at) + QString(now, u'_') + q.mid(end);
         }},
        {"trailing ？ / ?",
         [](const QString &q, Random &, const QString &) {
             if (q.endsWith(u'？'))
                 return q.chopped(1) + u'?';
             if (q.endsWith(u'?'))
                 return q.chopped(1) + u'？';
             return q + u'？';
         }},
        {"。 at the end",
         [](const QString &q, Random &, const QString &) {
             return q.endsWith(u'。') ? q.chopped(1) : q + u'。';
         }},
        {"no-break / ideographic space",
         [](const QString &q, Random &r, const QString &) {
             QString out = q;
             out.replace(u' ', QChar(0x00A0));
             const qsizetype at = 1 + qsizetype(r() % quint32(qMax<qsizetype>(1, q.size() - 1)));
             return out.insert(at, r() % 2 ? QChar(0x3000) : QChar(0x00A0));
         }},
        {"line break where the page wrapped",
         [](const QString &q, Random &r, const QString &) {
             if (q.size() < 4)
                 return QString();
             const qsizetype at = q.size() / 3 + qsizetype(r() % quint32(q.size() / 3 + 1));
             return QString(q).insert(at, r() % 2 ? QStringLiteral("\r\n") : QStringLiteral("\n"));
         }},
        {"question number before the text",
         [](const QString &q, Random &r, const QString &) {
             static const QStringList marks = {"%1、",  "%1.",    "%1. ",   "(%1)", "（%1）",
                                               "[%1].", "第%1题", "【%1】", "%1．"};
             const QString mark = marks[qsizetype(r() % quint32(marks.size()))];
             return mark.arg(1 + r() % 120) + q;
         }},
    };
}

struct Answer {
    qsizetype row = -1;
    LooseMatcher::Pass pass = LooseMatcher::Pass::None;
    bool literal = false; // found as typed, no block taken apart
};

// The lookup as ADOQuery1 runs it.
Answer answer(const QuestionTable &table, const QString &input)
{
    const LookupResult r = QuestionLookup::run(table, lookupFragment(input));
    if (!r.found())
        return {};
    using Kind = LookupResult::Kind;
    const LooseMatcher::Pass pass = r.kind == Kind::Similar ? LooseMatcher::Pass::Similar
                                    : r.kind == Kind::Loose ? LooseMatcher::Pass::Loose
                                                            : LooseMatcher::Pass::None;
    return {r.row, pass, r.kind == Kind::Exact && !r.fromBlock};
}

struct Tally {
    int copies = 0, found = 0, wrong = 0, literal = 0, loose = 0, similar = 0;
    void add(const Answer &a, qsizetype expected)
    {
        ++copies;
        if (a.row == expected)
            ++found;
        else if (a.row >= 0)
            ++wrong;
        if (a.row == expected) {
            literal += a.literal;
            // A block's stem found as typed counts with the loose pass's answers.
            loose += !a.literal && a.pass != LooseMatcher::Pass::Similar;
            similar += a.pass == LooseMatcher::Pass::Similar;
        }
    }
};

void printTally(const QString &name, const Tally &t)
{
    std::printf("| %s | %d | %.1f%% | %d | %d | %d | %d | %d |\n", qPrintable(name), t.copies,
                t.copies ? 100.0 * t.found / t.copies : 0.0, t.copies - t.found - t.wrong, t.wrong,
                t.literal, t.loose, t.similar);
}

// Answers to fragments of questions the bank lacks, by the fragment's length: as typed (after
// the input box's trimming) and in loose form, and by the pass that answered.
struct FalseTally {
    struct Count {
        int tried = 0, loose = 0, similar = 0;
    };
    Count shortText, longText, longLoose;
    QStringList answered;
    void add(const QString &fragment, const Answer &a)
    {
        const bool isLong = lookupFragment(fragment).size() >= 8;
        const bool isLongLoose = looseFragment(lookupFragment(fragment)).size() >= 8;
        for (Count *c : {isLong ? &longText : &shortText, isLongLoose ? &longLoose : nullptr}) {
            if (!c)
                continue;
            ++c->tried;
            // Answers from a taken-apart block count with the loose pass's.
            c->loose += a.row >= 0 && !a.literal && a.pass != LooseMatcher::Pass::Similar;
            c->similar += a.pass == LooseMatcher::Pass::Similar;
        }
        if (a.row >= 0 && !a.literal && isLong)
            answered << QStringLiteral("%1 (%2)").arg(
                fragment, a.pass == LooseMatcher::Pass::Similar ? "similar" : "loose");
    }
};

void printFalse(const char *name, const FalseTally &t)
{
    auto cell = [](const FalseTally::Count &c) {
        return QStringLiteral("%1 | %2 | %3").arg(c.tried).arg(c.loose).arg(c.similar);
    };
    std::printf("| %s | %s | %s | %s |\n", name, qPrintable(cell(t.longText)),
                qPrintable(cell(t.longLoose)), qPrintable(cell(t.shortText)));
}

// The options of a bank row as a page lists them: the row's 选项 split at its separators, letter
// marks taken off. True-or-false questions show 正确 and 错误.
QStringList optionsOf(const Question &q)
{
    static const QRegularExpression marks(QStringLiteral("(?:^|\\s|[，,;；])[A-Fa-f]\\s*[:：.、]"));
    static const QRegularExpression separators(QStringLiteral("[;；,，\"]|\\s{2,}"));
    QString o = q.options;
    o.replace(marks, QStringLiteral(";"));
    QStringList out;
    for (const QString &part : o.split(separators, Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty())
            out << part.trimmed();
    if (out.size() < 2)
        out = {QStringLiteral("正确"), QStringLiteral("错误")};
    return out;
}

// The whole block a user selects on an exam page, in one of the layouts pages use.
QString blockOf(const Question &q, int layout, Random &r)
{
    const int n = 1 + int(r() % 120);
    const QStringList options = optionsOf(q);
    const auto list = [&](const QString &mark, const QString &between) {
        QString out;
        for (qsizetype k = 0; k < options.size(); ++k)
            out += (k ? between : QString()) + mark.arg(QChar(char16_t(u'A' + k))) + options[k];
        return out;
    };
    const QString t = q.text;
    switch (layout) {
    case 0:
        return QStringLiteral("%1、【单选题】%2（2分）\n").arg(n).arg(t) + list("%1. ", "\n");
    case 1:
        return QStringLiteral("%1.%2\n").arg(n).arg(t) + list("%1、", "\n");
    case 2:
        return QStringLiteral("第%1题 %2 (2.0分)\n").arg(n).arg(t) + list("(%1)", "\n");
    case 3:
        return t + u' ' + list("%1.", " ");
    case 4:
        return QStringLiteral("【判断题】%1\n[3分]").arg(t);
    case 5:
        return QStringLiteral("单选题\n%1. %2\n").arg(n).arg(t) + list("%1：", "\n");
    case 6:
        return QStringLiteral("%1、%2[多选题]\n").arg(n).arg(t) + list("%1 ", "\n");
    case 7:
        return QStringLiteral("（%1）%2\n").arg(n).arg(t) + list("%1．", "  ") +
               QStringLiteral("\n正确答案：A");
    default:
        return QStringLiteral("一、单选题（共10题，每题2分）\n%1.%2(1分)\n").arg(n).arg(t) +
               list("%1)", "\r\n");
    }
}
constexpr int kBlockLayouts = 9;

// Copies whose meaning differs from the question's: another number, a negation added or
// dropped, an opposite word. Each kind gives at most one copy.
struct MeaningChange {
    const char *name;
    std::function<QString(const QString &)> apply;
};

QString replaceFirst(const QString &q, const QList<std::pair<QString, QString>> &swaps)
{
    qsizetype best = -1;
    std::pair<QString, QString> chosen;
    for (const auto &swap : swaps) {
        const qsizetype at = q.indexOf(swap.first);
        if (at >= 0 && (best < 0 || at < best)) {
            best = at;
            chosen = swap;
        }
    }
    if (best < 0)
        return {};
    return q.left(best) + chosen.second + q.mid(best + chosen.first.size());
}

QList<MeaningChange> meaningChanges()
{
    return {
        {"another figure",
         [](const QString &q) {
             for (qsizetype i = 0; i < q.size(); ++i)
                 if (q[i] >= u'0' && q[i] <= u'9')
                     return q.left(i) + QChar(u'0' + (q[i].unicode() - u'0' + 1) % 10) +
                            q.mid(i + 1);
             return QString();
         }},
        {"another number word",
         [](const QString &q) {
             return replaceFirst(q, {{"一", "二"},
                                     {"二", "三"},
                                     {"三", "四"},
                                     {"四", "五"},
                                     {"五", "六"},
                                     {"六", "七"},
                                     {"七", "八"},
                                     {"八", "九"},
                                     {"十", "百"},
                                     {"两", "三"},
                                     {"百", "千"},
                                     {"千", "万"}});
         }},
        {"negation dropped",
         [](const QString &q) {
             return replaceFirst(q, {{"不", ""}, {"未", ""}, {"无", "有"}, {"非", ""}});
         }},
        {"negation added",
         [](const QString &q) {
             return replaceFirst(q, {{"应当", "不应当"},
                                     {"可以", "不可以"},
                                     {"属于", "不属于"},
                                     {"必须", "不必"},
                                     {"需要", "不需要"},
                                     {"能", "不能"},
                                     {"是", "不是"}});
         }},
        {"opposite word",
         [](const QString &q) {
             return replaceFirst(
                 q, {{"越大", "越小"}, {"越小", "越大"}, {"最高", "最低"}, {"最低", "最高"},
                     {"高于", "低于"}, {"低于", "高于"}, {"以上", "以下"}, {"以下", "以上"},
                     {"正确", "错误"}, {"错误", "正确"}, {"增加", "减少"}, {"减少", "增加"},
                     {"第一", "第二"}, {"之前", "之后"}, {"之后", "之前"}, {"应当", "不得"},
                     {"不得", "应当"}, {"绝密", "机密"}, {"机密", "秘密"}, {"内部", "外部"},
                     {"提高", "降低"}, {"扩大", "缩小"}, {"有利", "不利"}, {"主要", "次要"},
                     {"直接", "间接"}, {"长期", "短期"}, {"公开", "保密"}, {"必要", "不必要"},
                     {"大", "小"},     {"多", "少"},     {"上", "下"},     {"前", "后"},
                     {"内", "外"},     {"早", "晚"},     {"长", "短"},     {"强", "弱"},
                     {"新", "旧"}});
         }},
    };
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString source = QStringLiteral(QINGLAN_SOURCE_DIR);
    const QStringList args = app.arguments();
    const QString csv = args.size() > 1 ? args[1] : source + "/resources/bank/questions.csv";
    const QString absent = args.size() > 2 ? args[2] : source + "/tests/search/not_in_bank.txt";

    const QList<Question> rows = readBankCsv(csv);
    const QuestionTable table = QuestionTable::fromRows(rows);
    const QStringList notInBank = readLines(absent);
    QString bankChars;
    for (const Question &q : rows)
        for (QChar c : q.text)
            if (isHan(c))
                bankChars += c;

    // The row an unchanged copy finds: its own, except for a question that stands inside a
    // later, longer one.
    QList<qsizetype> reference;
    int notOwn = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        reference << answer(table, rows[i].text).row;
        notOwn += reference.last() != i;
    }

    const QList<Kind> all = kinds();
    // Another seed draws other wrong characters and other places for them.
    const QByteArray seed = qgetenv("MATCH_EVAL_SEED");
    Random random(seed.isEmpty() ? 20261210u : seed.toUInt());
    std::printf("Bank: %s, %lld questions (%d of them inside a later, longer question: an exact "
                "copy finds that one, and so does a changed copy to count as found).\n\n",
                qPrintable(csv), qlonglong(rows.size()), notOwn);
    std::printf("| Difference | Copies | Recall | Not found | Wrong row | Literal | Loose | "
                "Similar |\n|---|---|---|---|---|---|---|---|\n");
    Tally total, singles, pairs;
    for (qsizetype k = 0; k < all.size(); ++k) {
        Tally t;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QString copy = all[k].apply(rows[i].text, random, bankChars);
            if (copy.isNull())
                continue;
            const Answer a = answer(table, copy);
            t.add(a, reference[i]);
            if (a.row != reference[i] && qEnvironmentVariableIsSet("MATCH_EVAL_MISSES"))
                std::printf("missed (%s): %s\n", all[k].name, qPrintable(copy));
        }
        printTally(all[k].name, t);
        for (Tally *sum : {&singles, &total}) {
            sum->copies += t.copies, sum->found += t.found, sum->wrong += t.wrong;
            sum->literal += t.literal, sum->loose += t.loose, sum->similar += t.similar;
        }
    }
    // Pairs: the second kind applied to the result of the first; the question number last, as
    // it stands in front of everything else.
    std::map<QString, Tally> byPair;
    for (qsizetype a = 0; a < all.size(); ++a) {
        for (qsizetype b = a + 1; b < all.size(); ++b) {
            if (a == 0 && b == 1)
                continue; // one and two wrong characters: three in all, not a pair of kinds
            Tally t;
            for (qsizetype i = 0; i < rows.size(); ++i) {
                const QString first = all[a].apply(rows[i].text, random, bankChars);
                if (first.isNull())
                    continue;
                const QString both = all[b].apply(first, random, bankChars);
                if (!both.isNull())
                    t.add(answer(table, both), reference[i]);
            }
            const bool withWrong = a <= 1;
            Tally &sum =
                byPair[withWrong ? "pairs with wrong characters" : "pairs of the other kinds"];
            for (Tally *s : {&sum, &pairs, &total}) {
                s->copies += t.copies, s->found += t.found, s->wrong += t.wrong;
                s->literal += t.literal, s->loose += t.loose, s->similar += t.similar;
            }
        }
    }
    for (const auto &[name, t] : byPair)
        printTally(name, t);
    // Apart from the rest: how the pass does on the confusions its glyph table knows.
    for (int count = 1; count <= 2; ++count) {
        Tally t;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QString copy = misread(rows[i].text, random, count, true);
            if (!copy.isNull())
                t.add(answer(table, copy), reference[i]);
        }
        printTally(count == 1 ? "(one look-alike misread, pair also in the glyph table)"
                              : "(two look-alike misreads, pairs also in the glyph table)",
                   t);
    }
    printTally("**all single kinds**", singles);
    printTally("**all pairs**", pairs);
    printTally("**all**", total);

    // Whole blocks as users select them: each question in every layout, and again with one
    // look-alike misread in its text. Found means its own row, or the row an exact copy finds.
    std::printf("\n| Whole block | Blocks | Found | Not found | Wrong row | As typed | Loose | "
                "Similar |\n|---|---|---|---|---|---|---|---|\n");
    Tally blocks;
    for (int misreads = 0; misreads <= 1; ++misreads) {
        Tally t;
        for (int layout = 0; layout < kBlockLayouts; ++layout) {
            for (qsizetype i = 0; i < rows.size(); ++i) {
                Question q = rows[i];
                if (misreads) {
                    q.text = misread(q.text, random, 1);
                    if (q.text.isNull())
                        continue;
                }
                const QString block = blockOf(q, layout, random);
                const Answer a = answer(table, block);
                t.add(a, a.row == i ? i : reference[i]);
                if (a.row != i && a.row != reference[i] &&
                    qEnvironmentVariableIsSet("MATCH_EVAL_MISSES"))
                    std::printf("block missed: %s\n",
                                qPrintable(QString(block).replace(u'\n', u'|')));
            }
        }
        printTally(misreads ? "every layout, one look-alike misread" : "every layout", t);
        blocks.copies += t.copies, blocks.found += t.found, blocks.wrong += t.wrong;
        blocks.literal += t.literal, blocks.loose += t.loose, blocks.similar += t.similar;
    }
    printTally("**all blocks**", blocks);

    // Copies whose meaning changed, each checked to be in no question of the bank: none may get
    // an answer.
    QStringList looseBank;
    for (const Question &q : rows)
        looseBank << looseText(q.text);
    const auto inBank = [&](const QString &text) {
        const QString loose = looseText(text);
        return std::any_of(looseBank.begin(), looseBank.end(),
                           [&](const QString &b) { return b.contains(loose); });
    };
    std::printf("\n| Meaning changed | Copies | Answered |\n|---|---|---|\n");
    QList<MeaningChange> changes = meaningChanges();
    changes.append({"any other character",
                    [&](const QString &q) { return otherCharacter(q, random, bankChars); }});
    QStringList wronglyAnswered;
    int changedCopies = 0, changedAnswered = 0;
    for (const MeaningChange &change : changes) {
        int copies = 0, answered = 0;
        for (const Question &q : rows) {
            const QString changed = change.apply(q.text);
            // A figure of the number a bank text starts with is the page's, not the question's.
            if (changed.isNull() || changed == q.text || inBank(changed) ||
                looseFragment(changed) == looseFragment(q.text))
                continue;
            // As copied alone, and inside a whole block with the question's options.
            const QString block = blockOf({q.subject, changed, q.options, q.answer}, 0, random);
            for (const QString &copy : {changed, block}) {
                ++copies;
                if (const Answer a = answer(table, copy); a.row >= 0) {
                    ++answered;
                    wronglyAnswered << copy + QStringLiteral(" -> ") + rows[a.row].text;
                }
            }
        }
        std::printf("| %s | %d | %d |\n", change.name, copies, answered);
        changedCopies += copies, changedAnswered += answered;
    }
    std::printf("| **all** | %d | %d |\n", changedCopies, changedAnswered);
    for (const QString &w : wronglyAnswered)
        std::printf("answered though the meaning changed: %s\n",
                    qPrintable(QString(w).replace(u'\n', u'|')));

    // Questions the bank lacks: whole lines, the same with each kind of difference, and every
    // piece of 6 to 24 characters, as a user might copy part of a question.
    FalseTally whole, changed, pieces;
    for (const QString &line : notInBank) {
        whole.add(line, answer(table, line));
        for (const Kind &k : all) {
            const QString copy = k.apply(line, random, bankChars);
            if (!copy.isNull())
                changed.add(copy, answer(table, copy));
        }
        for (qsizetype length = 6; length <= 24; length += 2) {
            for (qsizetype at = 0; at + length <= line.size(); ++at)
                pieces.add(line.mid(at, length), answer(table, line.mid(at, length)));
        }
    }
    // Each bank question against the bank without it: the closest a question the bank lacks
    // can come, as its near siblings ("正确" / "错误") stay in. Only where no other row holds
    // the text literally. Its pieces often stand in a sibling, so for pieces only the answers
    // of the similarity pass count: it runs only when the loose form is in no row.
    FalseTally heldOut, heldOutChanged, heldOutPieces;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QList<Question> others = rows;
        others.removeAt(i);
        const QuestionTable without = QuestionTable::fromRows(others);
        const QString text = rows[i].text;
        if (without.findLastRow(lookupFragment(text)) >= 0)
            continue;
        heldOut.add(text, answer(without, text));
        for (const Kind &k : all) {
            const QString copy = k.apply(text, random, bankChars);
            if (!copy.isNull())
                heldOutChanged.add(copy, answer(without, copy));
        }
        for (qsizetype length = 8; length <= 24; length += 2) {
            for (qsizetype at = 0; at + length <= text.size(); ++at) {
                const QString piece = text.mid(at, length);
                const Answer a = answer(without, piece);
                heldOutPieces.add(piece, a.pass == LooseMatcher::Pass::Similar ? a : Answer{});
            }
        }
    }
    std::printf(
        "\nFragments tried, and how many got an answer from the loose or the similarity "
        "pass; a piece the literal pass finds stands in the bank as typed and is not counted.\n\n"
        "| Not in the bank | ≥ 8 characters | loose | similar | ≥ 8 loose characters | "
        "loose | similar | < 8 characters | loose | similar |\n"
        "|---|---|---|---|---|---|---|---|---|---|\n");
    printFalse("not_in_bank.txt, whole lines", whole);
    printFalse("the same, each kind of difference", changed);
    printFalse("their pieces of 6 to 24 characters", pieces);
    printFalse("bank question, bank without it", heldOut);
    printFalse("the same, each kind of difference", heldOutChanged);
    printFalse("its pieces of 8 to 24 characters (similarity pass)", heldOutPieces);
    for (const FalseTally *t :
         {&whole, &changed, &pieces, &heldOut, &heldOutChanged, &heldOutPieces})
        for (const QString &f : t->answered)
            std::printf("answered (>= 8 characters): %s\n", qPrintable(f));
    return 0;
}
