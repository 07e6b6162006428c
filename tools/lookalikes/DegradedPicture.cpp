#include "DegradedPicture.h"

#include <QBuffer>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr double kShrunkScale = 0.8;
constexpr int kJpegQuality = 60;
constexpr double kBlurSigma = 0.8;
// A photographed monitor: white comes out light grey and black dark grey.
constexpr int kPhotoPaper = 0xDC;
constexpr int kPhotoInk = 0x30;

QImage shrunk(const QImage &picture)
{
    return picture.scaled(int(std::lround(picture.width() * kShrunkScale)),
                          int(std::lround(picture.height() * kShrunkScale)), Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
}

QImage recompressed(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "JPG", kJpegQuality))
        return QImage();
    QImage decoded;
    decoded.loadFromData(bytes, "JPG");
    return decoded.convertToFormat(QImage::Format_RGB32);
}

QImage photographed(const QImage &picture)
{
    QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    const int width = grey.width();
    const int height = grey.height();
    // A separable Gaussian of radius 2, enough for sigma 0.8.
    std::array<double, 5> kernel{};
    double sum = 0;
    for (int i = -2; i <= 2; ++i) {
        kernel[i + 2] = std::exp(-double(i * i) / (2 * kBlurSigma * kBlurSigma));
        sum += kernel[i + 2];
    }
    for (double &weight : kernel)
        weight /= sum;
    std::vector<double> levels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const uchar *line = grey.constScanLine(y);
        for (int x = 0; x < width; ++x)
            levels[std::size_t(y) * width + x] =
                kPhotoInk + (kPhotoPaper - kPhotoInk) * double(line[x]) / 255.0;
    }
    // The edges repeat their outermost pixel: the margin is paper anyway.
    auto blurred = [&](const std::vector<double> &in, bool alongRows) {
        std::vector<double> out(in.size());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                double value = 0;
                for (int i = -2; i <= 2; ++i) {
                    const int sx = alongRows ? std::clamp(x + i, 0, width - 1) : x;
                    const int sy = alongRows ? y : std::clamp(y + i, 0, height - 1);
                    value += kernel[i + 2] * in[std::size_t(sy) * width + sx];
                }
                out[std::size_t(y) * width + x] = value;
            }
        }
        return out;
    };
    levels = blurred(blurred(levels, true), false);
    QImage out(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar *line = out.scanLine(y);
        for (int x = 0; x < width; ++x)
            line[x] = uchar(std::clamp(std::lround(levels[std::size_t(y) * width + x]), 0L, 255L));
    }
    return out.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QImage DegradedPicture::apply(const QImage &picture, Kind kind)
{
    switch (kind) {
    case Kind::Shrunk:
        return shrunk(picture);
    case Kind::Jpeg:
        return recompressed(picture);
    case Kind::Blurred:
        return photographed(picture);
    }
    return QImage();
}

QString DegradedPicture::nameOf(Kind kind)
{
    switch (kind) {
    case Kind::Shrunk:
        return QStringLiteral("shrunk");
    case Kind::Jpeg:
        return QStringLiteral("jpeg");
    case Kind::Blurred:
        return QStringLiteral("blurred");
    }
    return QString();
}
