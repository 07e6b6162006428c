#pragma once

#include <QString>

#include <map>
#include <utility>

// How often a recogniser read one ideograph as another. The read text is aligned with the drawn
// text by edit distance, and only a substitution between two matched characters counts: where
// characters were dropped, added or split (叶 read as 口十) the alignment cannot say which
// character became which, and a lookup that accepts only equally long stretches never sees
// such a reading anyway.
class ConfusionCount {
public:
    using Pair = std::pair<char16_t, char16_t>; // drawn, read

    // Aligns one drawn line with what was read of it.
    void add(const QString &drawn, const QString &read);

    const std::map<Pair, int> &substitutions() const { return m_substitutions; }
    // Characters drawn, and of them read as the drawn character.
    long long drawn() const { return m_drawn; }
    long long readRight() const { return m_readRight; }

private:
    std::map<Pair, int> m_substitutions;
    long long m_drawn = 0;
    long long m_readRight = 0;
};
