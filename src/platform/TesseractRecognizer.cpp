#include "platform/TesseractRecognizer.h"

#include "base/AppError.h"
#include "platform/PicturePreparation.h"
#include "platform/RecognizedText.h"
#include "platform/TessdataFolder.h"

#include <QImage>

#include <tesseract/baseapi.h>

namespace {

// chi_sim+eng read worse and took twice as long on the pictures of bench/ocr.
const QString kLanguage = QStringLiteral("chi_sim");

using Way = PicturePreparation::Way;

// The other ways, in the order they are tried. On the pictures of bench/ocr whose usual reading
// found nothing, lines enlarged to 36 pixels instead of 30 were read right most often, and 34
// and 28 rescued others that 36 did not; without the smoothing at 36 pixels, and with it forced
// at 45, rescued one more each, found by forgiving a look-alike. Lines of 20, 24, 26, 32, 38, 40,
// 42 and 50 pixels, the smoothing forced on or off at 30, and page segmentation 3, 4 or 11
// rescued none that these do not.
const Way kOtherWays[] = {
    {36}, {34}, {28}, {36, Way::Smoothing::Never}, {45, Way::Smoothing::Always},
};

} // namespace

TesseractRecognizer::TesseractRecognizer() = default;

TesseractRecognizer::~TesseractRecognizer()
{
    if (m_api)
        m_api->End();
}

void TesseractRecognizer::load()
{
    const QString folder = TessdataFolder::find(kLanguage);
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    // The LSTM engine alone: the models Debian ships carry no data for the older engine.
    if (api->Init(folder.toLocal8Bit().constData(), kLanguage.toLatin1().constData(),
                  tesseract::OEM_LSTM_ONLY) != 0)
        throw AppError(
            QStringLiteral("文字识别模型 %1/%2.traineddata 无法载入").arg(folder, kLanguage));
    // A picked region is one block of text: whole lines, top to bottom, as on the page.
    api->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    api->SetVariable("debug_file", "/dev/null");
    m_api = std::move(api);
}

QString TesseractRecognizer::read(const QImage &picture)
{
    return readPrepared(picture, Way());
}

int TesseractRecognizer::otherWays() const
{
    return int(std::size(kOtherWays));
}

QString TesseractRecognizer::readOtherWay(const QImage &picture, int way)
{
    if (way < 1 || way > otherWays())
        return {};
    return readPrepared(picture, kOtherWays[way - 1]);
}

QString TesseractRecognizer::readPrepared(const QImage &picture, const Way &way)
{
    const QImage prepared = PicturePreparation::prepare(picture, way);
    if (prepared.isNull() || prepared.width() < 3 || prepared.height() < 3)
        return {};
    if (!m_api)
        load();
    m_api->SetImage(prepared.constBits(), prepared.width(), prepared.height(), 1,
                    int(prepared.bytesPerLine()));
    // Screen pictures carry no resolution; this keeps the engine from guessing and warning.
    m_api->SetSourceResolution(300);
    const std::unique_ptr<char[]> text(m_api->GetUTF8Text());
    m_api->Clear();
    return RecognizedText::tidy(text ? QString::fromUtf8(text.get()) : QString());
}
