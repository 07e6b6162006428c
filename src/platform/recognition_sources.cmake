# Text recognition of pictures (Tesseract). A library of its own: only the window, the bank tool
# and the evaluation link it, and the rest of the core stays free of Qt Gui.
set(QINGLAN_RECOGNITION_SOURCES
    platform/PicturePreparation.cpp
    platform/RecognizedText.cpp
    platform/TessdataFolder.cpp
    platform/TesseractRecognizer.cpp
)
