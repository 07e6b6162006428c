#pragma once

#include <QFont>
#include <QImage>
#include <QStringList>

// Lines of text drawn as a screen shows them: dark grey-level text on white, anti-aliased, at
// the line spacing of a web page (1.6 times the font's pixel size), with a margin around.
class PrintedPage {
public:
    PrintedPage(const QFont &font, const QStringList &lines);

    const QImage &picture() const { return m_picture; }

private:
    QImage m_picture;
};
