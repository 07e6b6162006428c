#include "platform/PicturePreparation.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Measured on pictures of pages drawn by chromium (bench/ocr): lines enlarged to about 30
// pixels of ink were read best; 20, 40 and 60 did worse.
constexpr int kWantedLineHeight = 30;
constexpr double kLargestFactor = 4.0;

QImage toGrey(const QImage &picture)
{
    // Transparent parts (a picture copied from a browser) are taken as white paper.
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QImage argb = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < argb.height(); ++y) {
            const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
            QRgb *out = reinterpret_cast<QRgb *>(flat.scanLine(y));
            for (int x = 0; x < argb.width(); ++x) {
                const int a = qAlpha(in[x]);
                out[x] =
                    qRgb(qRed(in[x]) + 255 - a, qGreen(in[x]) + 255 - a, qBlue(in[x]) + 255 - a);
            }
        }
    }
    return flat.convertToFormat(QImage::Format_Grayscale8);
}

// Light text on a dark page (a dark theme) becomes dark text on light.
void makeTextDark(QImage &grey, int cut)
{
    qint64 dark = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            dark += row[x] < cut;
    }
    if (dark * 2 > qint64(grey.width()) * grey.height())
        grey.invertPixels();
}

} // namespace

int PicturePreparation::threshold(const QImage &grey)
{
    std::array<qint64, 256> histogram{};
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            ++histogram[row[x]];
    }
    const qint64 total = qint64(grey.width()) * grey.height();
    double sumAll = 0;
    for (int i = 0; i < 256; ++i)
        sumAll += double(i) * histogram[i];
    double sumBelow = 0, best = -1;
    qint64 below = 0;
    int cut = 128;
    for (int t = 0; t < 256; ++t) {
        below += histogram[t];
        sumBelow += double(t) * histogram[t];
        const qint64 above = total - below;
        if (below == 0 || above == 0)
            continue;
        const double meanBelow = sumBelow / below;
        const double meanAbove = (sumAll - sumBelow) / above;
        const double between =
            double(below) * above * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) {
            best = between;
            cut = t + 1;
        }
    }
    return cut;
}

double PicturePreparation::scaleFactor(const QImage &grey)
{
    // Rows holding ink form runs, one per line of text; their median height is the line height.
    const int cut = threshold(grey);
    // A frame or a scroll bar beside the text puts a little ink in every row: a row counts
    // only when a fair number of its pixels are ink.
    const int least = std::max(3, grey.width() / 100);
    std::vector<int> runs;
    int run = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        const bool ink =
            std::count_if(row, row + grey.width(), [cut](uchar v) { return v < cut; }) >= least;
        if (ink) {
            ++run;
        } else if (run) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run)
        runs.push_back(run);
    // Runs of a pixel or two are rules and underlines, not text.
    std::erase_if(runs, [](int h) { return h < 4; });
    if (runs.empty())
        return 1.0;
    std::nth_element(runs.begin(), runs.begin() + runs.size() / 2, runs.end());
    const int median = runs[runs.size() / 2];
    return std::clamp(double(kWantedLineHeight) / median, 1.0, kLargestFactor);
}

QImage PicturePreparation::prepare(const QImage &picture)
{
    if (picture.isNull())
        return {};
    QImage grey = toGrey(picture);
    makeTextDark(grey, threshold(grey));
    const double factor = scaleFactor(grey);
    if (factor > 1.0)
        grey = grey.scaled(qRound(grey.width() * factor), qRound(grey.height() * factor),
                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return grey;
}
