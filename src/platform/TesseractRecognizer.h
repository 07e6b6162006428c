#pragma once

#include "platform/TextRecognizer.h"

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// Tesseract through its C++ API, with the Simplified Chinese model (which reads the Latin letters
// and digits of exam pages as well). The engine and its model, some 40 MB, are loaded by the
// first read(), so a program that never recognises anything pays nothing for it.
class TesseractRecognizer : public TextRecognizer {
public:
    TesseractRecognizer();
    ~TesseractRecognizer() override;

    QString read(const QImage &picture) override;

private:
    void load();

    std::unique_ptr<tesseract::TessBaseAPI> m_api;
};
