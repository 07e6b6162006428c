#include "platform/ReadingChoice.h"

#include "platform/TextRecognizer.h"

#include <QImage>

ReadingChoice::ReadingChoice(int otherWays) : m_otherWays(std::max(0, otherWays)) {}

void ReadingChoice::offer(const QString &text, Found found)
{
    if (done())
        return;
    const int way = m_next;
    if (way == 0) {
        m_text = text;
        m_found = found;
        // A picture without text is not read again: another way finds no text either, and
        // only costs time.
        m_next = found != Found::Nothing || text.trimmed().isEmpty() || m_otherWays == 0 ? -1 : 1;
        return;
    }
    if (found == Found::AsRead) {
        take(text, way, found);
        return;
    }
    if (found == Found::ForgivingMisreads && m_forgivingWay == 0) {
        m_forgivingText = text;
        m_forgivingWay = way;
    }
    if (way < m_otherWays) {
        m_next = way + 1;
        return;
    }
    if (m_forgivingWay > 0)
        take(m_forgivingText, m_forgivingWay, Found::ForgivingMisreads);
    else
        m_next = -1;
}

void ReadingChoice::take(const QString &text, int way, Found found)
{
    m_text = text;
    m_way = way;
    m_found = found;
    m_next = -1;
}

ReadingChoice ReadingChoice::read(TextRecognizer &recognizer, const QImage &picture,
                                  const LookUp &lookUp)
{
    ReadingChoice choice(recognizer.otherWays());
    while (!choice.done()) {
        const int way = choice.nextWay();
        const QString text =
            way == 0 ? recognizer.read(picture) : recognizer.readOtherWay(picture, way);
        choice.offer(text, lookUp(text));
    }
    return choice;
}
