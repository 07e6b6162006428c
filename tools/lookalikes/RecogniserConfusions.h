#pragma once

#include <QString>

#include <map>
#include <utility>

// The confusion counts that qinglan-confusions wrote: how often Tesseract read each drawn
// ideograph as another, summed over the faces and sizes drawn, and how often each character
// was drawn. A face or a size can be left out, to measure the table on pictures of a face or
// size that its confusions did not come from.
class RecogniserConfusions {
public:
    using Pair = std::pair<char16_t, char16_t>; // drawn, read

    // Reads `path`; false when it cannot be read or says nothing of how often characters were
    // drawn. Lines of `leftOutFace` or of
    // `leftOutPixelSize` are skipped.
    bool load(const QString &path, const QString &leftOutFace, int leftOutPixelSize);

    const std::map<Pair, int> &counts() const { return m_counts; }
    // How often every character was drawn in the conditions kept, when each was drawn equally
    // often (shuffled lines of GB 2312).
    long long timesDrawn() const { return m_timesDrawn; }
    // How often `c` was drawn: counted per character for ordinary text, where some are drawn
    // far more often than others.
    long long timesDrawn(char16_t c) const;

private:
    std::map<Pair, int> m_counts;
    std::map<char16_t, long long> m_drawnOf;
    long long m_timesDrawn = 0;
};
