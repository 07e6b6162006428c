#include "RecogniserConfusions.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

bool RecogniserConfusions::load(const QString &path, const QString &leftOutFace,
                                int leftOutPixelSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_counts.clear();
    m_drawnOf.clear();
    m_timesDrawn = 0;
    // "# ... each character drawn DRAWN / N times": N characters make one drawing of each.
    long long perDrawing = 0;
    static const QRegularExpression perDrawingLine(QStringLiteral("DRAWN / (\\d+) times"));
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(u'#')) {
            const QRegularExpressionMatch m = perDrawingLine.match(line);
            if (m.hasMatch())
                perDrawing = m.captured(1).toLongLong();
            continue;
        }
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 5)
            continue;
        if (fields[1] == leftOutFace || fields[2].toInt() == leftOutPixelSize)
            continue;
        if (fields[0] == u"condition" && perDrawing > 0)
            m_timesDrawn += fields[3].toLongLong() / perDrawing;
        else if (fields[0] == u"drawn" && fields[3].size() == 1)
            m_drawnOf[fields[3][0].unicode()] += fields[4].toLongLong();
        else if (fields[0] == u"pair" && fields.size() == 6 && fields[3].size() == 1 &&
                 fields[4].size() == 1)
            m_counts[{fields[3][0].unicode(), fields[4][0].unicode()}] += fields[5].toInt();
    }
    return perDrawing > 0 || !m_drawnOf.empty();
}

long long RecogniserConfusions::timesDrawn(char16_t c) const
{
    if (m_drawnOf.empty())
        return m_timesDrawn;
    const auto it = m_drawnOf.find(c);
    return it == m_drawnOf.end() ? 0 : it->second;
}
