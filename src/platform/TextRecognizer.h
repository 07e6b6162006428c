#pragma once

#include <QString>

class QImage;

// Reads the text of a picture of a page. The window runs it on a worker thread, one picture at
// a time; implementations need not be thread-safe beyond that.
class TextRecognizer {
public:
    virtual ~TextRecognizer() = default;
    // The text line by line, lines separated by LF. Throws AppError when recognition cannot run
    // at all (no model); a picture without text gives an empty string.
    virtual QString read(const QImage &picture) = 0;
    // How many other ways of reading a picture there are. A misread depends on how the
    // characters were drawn, and the same picture enlarged or smoothed otherwise is often read
    // right where the usual way failed; the caller tries them only when the usual reading
    // found nothing, since each is another chance of a misread that finds a wrong question.
    virtual int otherWays() const { return 0; }
    // The picture read the other way `way`, 1 to otherWays().
    virtual QString readOtherWay(const QImage &, int) { return {}; }
};
