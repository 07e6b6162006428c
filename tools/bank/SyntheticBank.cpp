#include "SyntheticBank.h"

namespace {

// Common characters of exam questions, "一" (U+4E00, stored uncompressed) among them.
const char16_t kCharacters[] =
    u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能"
    u"下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量"
    u"都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各"
    u"重新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代"
    u"想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接"
    u"知较将组见计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北"
    u"造百规热领七海口东导器压志世金增争济阶油思术极交受联什认六共权收证改清己美再采转更单风切打"
    u"白教速花带安场身车例真务具万每目至达走积示议声报斗完类八离华名确才科张信马节话米整空元况今"
    u"专技术员创新能力职素养标准化保密网络安全效应知识创造经营深改革文明生态心理健康调适";

const char *const kSubjects[] = {"专业技术人员综合能力建设读本",
                                 "专业技术人员的职业发展",
                                 "专业技术人员标准化的理论、方法与实践",
                                 "专业技术人员保密教育",
                                 "专业技术人员的创新能力与创新思维",
                                 "新时期法治思维与法治风尚",
                                 "网络安全",
                                 "网络效应",
                                 "专业技术人员知识创造与经营",
                                 "全面深化改革实现文明发展",
                                 "专业技术人员内生动力与职业水平",
                                 "专业技术人员突发事件应急处理",
                                 "当代科学技术新知识读本（一）",
                                 "创新力和团队建设",
                                 "传统文化与法治中国",
                                 "专业技术人员网络安全生态",
                                 "颈椎病的防治",
                                 "血脂异常与心血管疾病"};

} // namespace

SyntheticBank::SyntheticBank(quint64 seed, int longEvery)
    : m_state(seed * 0x9E3779B97F4A7C15ull + 1), m_longEvery(longEvery),
      m_characters(QString::fromUtf16(kCharacters))
{
    for (const char *s : kSubjects)
        m_subjects.append(QString::fromUtf8(s));
}

// A small generator of our own, so that every platform makes the same bank from a seed.
quint32 SyntheticBank::next()
{
    m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
    return quint32(m_state >> 33);
}

QString SyntheticBank::chinese(int length)
{
    QString s;
    s.reserve(length);
    for (int i = 0; i < length; ++i) {
        const int roll = below(40);
        if (roll == 0)
            s += QChar(u'0' + below(10));
        else if (roll == 1)
            s += u'，';
        else
            s += m_characters[below(int(m_characters.size()))];
    }
    return s;
}

QString SyntheticBank::optionsFor(int layout, int count, QString *answer)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(chinese(2 + below(14)));
    QString letters;
    for (int i = 0; i < count; ++i)
        if (below(3) == 0 || (i == count - 1 && letters.isEmpty()))
            letters += QChar(u'A' + i);
    switch (layout) {
    case 0: // texts separated by ";"
        *answer = letters;
        return texts.join(u';');
    case 1: { // quoted texts separated by ","
        *answer = letters.toLower();
        QStringList quoted;
        for (const QString &t : texts)
            quoted.append(u'"' + t + u'"');
        return quoted.join(u',');
    }
    case 2: { // lettered, mostly ASCII: compresses well
        *answer = letters;
        QStringList lettered;
        for (int i = 0; i < count; ++i)
            lettered.append(
                QStringLiteral("%1 :option %2 (%3)").arg(QChar(u'A' + i)).arg(i + 1).arg(texts[i]));
        return lettered.join(u' ');
    }
    default:
        *answer = below(2) ? QStringLiteral("正确") : QStringLiteral("错误");
        return QStringLiteral("正确，错误");
    }
}

BankRecord SyntheticBank::row(qint64 index)
{
    BankRecord r;
    r.number = qint32(index + 1);
    r.subject = m_subjects[below(int(m_subjects.size()))];
    // Mostly 6 to 40 characters, some up to 220: about half the questions stay inline.
    const int length = below(10) == 0 ? 60 + below(160) : 6 + below(34);
    r.text = chinese(length);
    // The running number keeps every question distinct, as the primary key demands.
    r.text.insert(below(int(r.text.size()) + 1), QStringLiteral("（%1）").arg(index + 1));

    const int kind = below(100);
    if (kind < 17) { // no options: true/false or fill-in
        r.options = std::nullopt;
        r.answer = below(9) == 0 ? chinese(2 + below(6))
                                 : (below(2) ? QStringLiteral("正确") : QStringLiteral("错误"));
    } else {
        QString answer;
        const int layout = kind < 65 ? 0 : kind < 83 ? 1 : kind < 91 ? 2 : 3;
        r.options = optionsFor(layout, 3 + below(3), &answer);
        r.answer = answer;
    }
    if (m_longEvery > 0 && index % m_longEvery == m_longEvery - 1)
        r.options = chinese(3000 + below(6000));
    return r;
}
