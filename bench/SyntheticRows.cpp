#include "SyntheticRows.h"

#include <QStringList>

#include <random>
#include <vector>

namespace {

class Generator {
public:
    explicit Generator(quint32 seed) : m_random(seed)
    {
        // 3,000 characters from the CJK block, each word 2 to 4 of them; both drawn with
        // Zipf-like weights so that some pairs are very common and most are rare.
        std::vector<double> charWeights;
        for (int rank = 0; rank < 3000; ++rank) {
            m_chars.push_back(char16_t(0x4E00 + (rank * 6151) % 20902));
            charWeights.push_back(1.0 / (rank + 8));
        }
        m_charPick = std::discrete_distribution<int>(charWeights.begin(), charWeights.end());
        std::vector<double> wordWeights;
        for (int rank = 0; rank < 8000; ++rank) {
            QString word;
            const int length = 2 + int(m_random() % 3);
            for (int i = 0; i < length; ++i)
                word.append(QChar(m_chars[m_charPick(m_random)]));
            m_words.append(word);
            wordWeights.push_back(1.0 / (rank + 4));
        }
        m_wordPick = std::discrete_distribution<int>(wordWeights.begin(), wordWeights.end());
    }

    QString sentence(int minLength, int maxLength)
    {
        // Most questions are short; a few run to the maximum.
        std::geometric_distribution<int> extra(1.0 / 45);
        const int target = qMin(maxLength, minLength + extra(m_random));
        QString text;
        while (text.size() < target) {
            const unsigned roll = m_random() % 100;
            if (roll < 4)
                text += QStringLiteral("（  ）");
            else if (roll < 6)
                text += QString::number(m_random() % 3000);
            else if (roll < 7)
                text += QStringLiteral("Internet");
            else
                text += m_words[m_wordPick(m_random)];
        }
        text.truncate(target);
        return text;
    }

    Question row()
    {
        static const QStringList subjects = {
            QStringLiteral("专业技术人员的职业发展"), QStringLiteral("网络安全"),
            QStringLiteral("专业技术人员保密教育"), QStringLiteral("创新力和团队建设")};
        Question q;
        q.subject = subjects[int(m_random() % subjects.size())];
        q.text = sentence(6, 220);
        const unsigned kind = m_random() % 10;
        if (kind < 2) {
            q.options = QStringLiteral("正确，错误");
            q.answer = kind == 0 ? QStringLiteral("正确") : QStringLiteral("错误");
        } else if (kind < 4) {
            q.answer = QStringLiteral("正确"); // no options: NULL in the bank
        } else {
            QStringList options;
            for (int i = 0; i < 4; ++i)
                options << sentence(2, 15);
            q.options = options.join(u';');
            q.answer = QString(QChar(u'A' + int(m_random() % 4)));
        }
        return q;
    }

private:
    std::mt19937 m_random;
    std::vector<char16_t> m_chars;
    QStringList m_words;
    std::discrete_distribution<int> m_charPick;
    std::discrete_distribution<int> m_wordPick;
};

} // namespace

void generateSyntheticRows(qsizetype count, quint32 seed,
                           const std::function<void(const Question &)> &take)
{
    Generator generator(seed);
    for (qsizetype i = 0; i < count; ++i)
        take(generator.row());
}
