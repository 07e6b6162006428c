#pragma once

#include "platform/ReadingChoice.h"

#include <QImage>
#include <QObject>

#include <memory>
#include <optional>

class QThread;
class TextRecognizer;

// Reads pictures off the user-interface thread, one at a time, so that the window keeps
// answering while the engine works (loading its model alone takes a second or two). A picture
// whose usual reading finds nothing is read the recogniser's other ways, one after the other,
// until ReadingChoice takes one; each reading is looked up here, on the thread that owns the
// runner, as the input box would look it up. Results come back on that thread.
class RecognitionRunner : public QObject {
    Q_OBJECT
public:
    explicit RecognitionRunner(QObject *parent = nullptr);
    // Waits for a read still running: the recogniser must not outlive its thread's use of it.
    ~RecognitionRunner() override;

    // Tests put a recogniser of their own in place of Tesseract.
    void setRecognizer(std::shared_ptr<TextRecognizer> recognizer);
    // What the input box's lookup finds in a text. Without one, the usual reading is taken.
    void setLookUp(ReadingChoice::LookUp lookUp);
    bool isBusy() const { return m_choice.has_value(); }
    // Starts reading the picture; returns false, doing nothing, while a read is running.
    bool start(const QImage &picture);

signals:
    void textRead(const QString &text);
    void failed(const QString &message);

private:
    void readNextWay();
    void finish();

    std::shared_ptr<TextRecognizer> m_recognizer;
    ReadingChoice::LookUp m_lookUp;
    QThread *m_thread = nullptr;
    QImage m_picture;
    std::optional<ReadingChoice> m_choice;
};
