#pragma once

#include <QImage>

// Turns a screen picture into what the recogniser reads best: grey, dark text on light paper
// (a dark theme is inverted), lines of text some 30 pixels high (screen text of 14 to 18 pixels
// is too small for it). The threshold only measures the picture: the grey levels themselves go
// to the recogniser, whose own binarisation keeps thin strokes of small anti-aliased text that
// a hard black-and-white cut breaks (on the pictures of bench/ocr a cut here lost 6 to 7 points
// of recall). Text drawn without anti-aliasing (a Ming face's embedded bitmaps at 14 to 16 px)
// has steps of whole pixels that enlarging turns into blocks the recogniser misreads; such a
// picture is smoothed after the enlargement, as anti-aliasing would have drawn it.
namespace PicturePreparation {

// How a picture is prepared. The usual way suits most pictures best; the others draw the same
// characters otherwise, for a second reading of a picture whose first found nothing.
struct Way {
    enum class Smoothing { WhenWithoutAntialiasing, Always, Never };

    // Measured on pictures of pages drawn by chromium (bench/ocr): lines enlarged to about 30
    // pixels of ink were read best; 20, 40 and 60 did worse.
    int lineHeight = 30;
    Smoothing smoothing = Smoothing::WhenWithoutAntialiasing;
};

// The factor by which the picture is enlarged: from the median height of its lines of text.
double scaleFactor(const QImage &grey, int lineHeight = Way().lineHeight);
// The prepared picture, in QImage::Format_Grayscale8.
QImage prepare(const QImage &picture, const Way &way = Way());
// Whether the text was drawn without anti-aliasing: next to no pixel lies between the ink's grey
// and the paper's.
bool drawnWithoutAntialiasing(const QImage &grey);
// The threshold that best separates the grey levels in two classes (Otsu's method).
int threshold(const QImage &grey);

} // namespace PicturePreparation
