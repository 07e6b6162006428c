#pragma once

#include <QString>

#include <functional>

class QImage;
class TextRecognizer;

// Which reading of a picture goes into the input box. The usual reading is taken whenever the
// lookup finds anything in it. Only when it finds nothing is the picture read the recogniser's
// other ways, in turn: the first of those readings that the lookup finds as read (literally or
// loosely) is taken at once; failing that, the first found by forgiving a look-alike misread,
// which the answer box then marks as such. A reading found as read is the better evidence, so
// one found only by forgiving waits until every other way has had its turn. When no reading
// finds anything, the usual one stays, so the user sees what was read and the guidance.
// On the pictures of bench/ocr no extra reading of a question the bank lacks, or of a bank
// question with its meaning changed, found anything either way (docs/matching.md).
class ReadingChoice {
public:
    // What the lookup made of one reading.
    enum class Found { Nothing, AsRead, ForgivingMisreads };
    using LookUp = std::function<Found(const QString &text)>;

    explicit ReadingChoice(int otherWays);

    // The way to read next (0 the usual, 1 to otherWays the others); -1 once the choice is made.
    int nextWay() const { return m_next; }
    // The text read by nextWay() and what the lookup found in it.
    void offer(const QString &text, Found found);
    bool done() const { return m_next < 0; }
    // The reading taken: the one the rule above accepts, else the usual one.
    const QString &text() const { return m_text; }
    int way() const { return m_way; }
    bool found() const { return m_found != Found::Nothing; }

    // The whole choice at once: reads, looks up and reads again as the rule says.
    static ReadingChoice read(TextRecognizer &recognizer, const QImage &picture,
                              const LookUp &lookUp);

private:
    void take(const QString &text, int way, Found found);

    int m_otherWays;
    int m_next = 0;
    QString m_text;
    int m_way = 0;
    Found m_found = Found::Nothing;
    // The first other way's reading found only by forgiving a misread, kept until no way is
    // left that might be found as read.
    QString m_forgivingText;
    int m_forgivingWay = 0;
};
