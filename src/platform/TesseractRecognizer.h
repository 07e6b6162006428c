#pragma once

#include "platform/TextRecognizer.h"

#include <memory>

namespace tesseract {
class TessBaseAPI;
}
namespace PicturePreparation {
struct Way;
}

// Tesseract through its C++ API, with the Simplified Chinese model (which reads the Latin letters
// and digits of exam pages as well). The engine and its model, some 40 MB, are loaded by the
// first read(), so a program that never recognises anything pays nothing for it.
class TesseractRecognizer : public TextRecognizer {
public:
    TesseractRecognizer();
    ~TesseractRecognizer() override;

    QString read(const QImage &picture) override;
    int otherWays() const override;
    QString readOtherWay(const QImage &picture, int way) override;

private:
    void load();
    QString readPrepared(const QImage &picture, const PicturePreparation::Way &way);

    std::unique_ptr<tesseract::TessBaseAPI> m_api;
};
