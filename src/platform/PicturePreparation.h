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

// The factor by which the picture is enlarged: from the median height of its lines of text.
double scaleFactor(const QImage &grey);
// The prepared picture, in QImage::Format_Grayscale8.
QImage prepare(const QImage &picture);
// Whether the text was drawn without anti-aliasing: next to no pixel lies between the ink's grey
// and the paper's.
bool drawnWithoutAntialiasing(const QImage &grey);
// The threshold that best separates the grey levels in two classes (Otsu's method).
int threshold(const QImage &grey);

} // namespace PicturePreparation
