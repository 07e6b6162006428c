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
        m_text = text;
        m_way = way;
        m_found = found;
        m_next = -1;
        return;
    }
    m_next = way < m_otherWays ? way + 1 : -1;
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
