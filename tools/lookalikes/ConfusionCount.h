#pragma once

#include <QString>

#include <map>
#include <utility>

// How often a recogniser read one ideograph as another. The read text is aligned with the drawn
// text by edit distance, and only a substitution between two matched characters counts: where
// characters were dropped, added or split (叶 read as 口十) the alignment cannot say which
// character became which, and a lookup that accepts only equally long stretches never sees
// such a reading anyway.
//
// In shuffled characters a substitution counts only between neighbours read right. In ordinary
// text the model reads a word at a time and misreads it as another word of the same length
// (存储 as 存情), so there every substitution of an equally long misread stretch between
// characters read right counts, one for one: nothing was dropped or added there, so the
// stretch's characters stand for each other in order.
class ConfusionCount {
public:
    using Pair = std::pair<char16_t, char16_t>; // drawn, read
    enum class Stretches { IsolatedOnly, EqualLength };

    explicit ConfusionCount(Stretches stretches = Stretches::IsolatedOnly) : m_stretches(stretches)
    {
    }

    // Aligns one drawn line with what was read of it.
    void add(const QString &drawn, const QString &read);

    const std::map<Pair, int> &substitutions() const { return m_substitutions; }
    // Characters drawn, and of them read as the drawn character.
    long long drawn() const { return m_drawn; }
    long long readRight() const { return m_readRight; }
    // How often each character was drawn: in ordinary text some are drawn far more than others.
    const std::map<char16_t, long long> &drawnOf() const { return m_drawnOf; }

private:
    Stretches m_stretches;
    std::map<Pair, int> m_substitutions;
    std::map<char16_t, long long> m_drawnOf;
    long long m_drawn = 0;
    long long m_readRight = 0;
};
