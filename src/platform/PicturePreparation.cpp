#include "platform/PicturePreparation.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr double kLargestFactor = 4.0;
// The share of a picture's non-paper pixels that lie between ink and paper. Measured on the
// pictures of bench/ocr: 0.00 for the bitmap text, 0.35 to 0.76 for anti-aliased text.
constexpr double kMostMidTonesWithoutAntialiasing = 0.1;

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

// A blur by the binomial kernel 1 4 6 4 1 across and then down (a Gaussian of about one pixel).
// Of the blurs tried on enlarged bitmap text this one read best: the half as wide (1 2 1) and
// the half as wide again (1 2 1 three times) read worse, and so did any blur before enlarging.
QImage smoothed(const QImage &grey)
{
    constexpr int kWeights[5] = {1, 4, 6, 4, 1};
    const int w = grey.width(), h = grey.height();
    QImage across(grey.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y) {
        const uchar *in = grey.constScanLine(y);
        uchar *out = across.scanLine(y);
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int k = -2; k <= 2; ++k)
                sum += kWeights[k + 2] * in[std::clamp(x + k, 0, w - 1)];
            out[x] = uchar((sum + 8) / 16);
        }
    }
    QImage down(grey.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y) {
        const uchar *rows[5];
        for (int k = -2; k <= 2; ++k)
            rows[k + 2] = across.constScanLine(std::clamp(y + k, 0, h - 1));
        uchar *out = down.scanLine(y);
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int k = 0; k < 5; ++k)
                sum += kWeights[k] * rows[k][x];
            out[x] = uchar((sum + 8) / 16);
        }
    }
    return down;
}

std::array<qint64, 256> greyHistogram(const QImage &grey)
{
    std::array<qint64, 256> histogram{};
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            ++histogram[row[x]];
    }
    return histogram;
}

} // namespace

bool PicturePreparation::drawnWithoutAntialiasing(const QImage &grey)
{
    const std::array<qint64, 256> histogram = greyHistogram(grey);
    // The commonest grey on either side of the threshold is the paper's and the ink's; a sixth
    // of the way between them still counts as either (a page's slightly uneven colours).
    const int cut = std::clamp(threshold(grey), 1, 255);
    const int ink =
        int(std::max_element(histogram.begin(), histogram.begin() + cut) - histogram.begin());
    const int paper =
        int(std::max_element(histogram.begin() + cut, histogram.end()) - histogram.begin());
    const int margin = (paper - ink) / 6;
    qint64 dark = 0, between = 0;
    for (int v = 0; v < paper - margin; ++v)
        (v <= ink + margin ? dark : between) += histogram[v];
    if (dark + between == 0)
        return false;
    return double(between) / double(dark + between) < kMostMidTonesWithoutAntialiasing;
}

int PicturePreparation::threshold(const QImage &grey)
{
    const std::array<qint64, 256> histogram = greyHistogram(grey);
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

double PicturePreparation::scaleFactor(const QImage &grey, int lineHeight)
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
    return std::clamp(double(lineHeight) / median, 1.0, kLargestFactor);
}

QImage PicturePreparation::prepare(const QImage &picture, const Way &way)
{
    if (picture.isNull())
        return {};
    QImage grey = toGrey(picture);
    makeTextDark(grey, threshold(grey));
    const double factor = scaleFactor(grey, way.lineHeight);
    if (factor <= 1.0)
        return grey;
    const bool smooth = way.smoothing == Way::Smoothing::Always ||
                        (way.smoothing == Way::Smoothing::WhenWithoutAntialiasing &&
                         drawnWithoutAntialiasing(grey));
    grey = grey.scaled(qRound(grey.width() * factor), qRound(grey.height() * factor),
                       Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return smooth ? smoothed(grey) : grey;
}
