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
};
