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

    // Reads `path`; false when it cannot be read. Lines of `leftOutFace` or of
    // `leftOutPixelSize` are skipped.
    bool load(const QString &path, const QString &leftOutFace, int leftOutPixelSize);

    const std::map<Pair, int> &counts() const { return m_counts; }
    // How often every character was drawn in the conditions kept.
    long long timesDrawn() const { return m_timesDrawn; }

private:
    std::map<Pair, int> m_counts;
    long long m_timesDrawn = 0;
};
