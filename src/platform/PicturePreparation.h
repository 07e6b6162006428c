#pragma once

#include <QImage>

// Turns a screen picture into what the recogniser reads best: grey, dark text on white, lines of
// text some 40 pixels high (screen text of 14 to 18 pixels is too small for it), and a clean
// black-and-white threshold so that anti-aliasing and coloured backgrounds do not blur strokes.
namespace PicturePreparation {

// The factor by which the picture is enlarged: from the median height of its lines of text.
double scaleFactor(const QImage &grey);
// The prepared picture, in QImage::Format_Grayscale8 holding only 0 and 255.
QImage prepare(const QImage &picture);
// The threshold that best separates the grey levels in two classes (Otsu's method).
int threshold(const QImage &grey);

} // namespace PicturePreparation
