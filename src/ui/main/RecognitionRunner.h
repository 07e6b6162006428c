#pragma once

#include <QImage>
#include <QObject>

#include <memory>

class QThread;
class TextRecognizer;

// Reads pictures off the user-interface thread, one at a time, so that the window keeps
// answering while the engine works (loading its model alone takes a second or two). Results
// come back on the thread that owns the runner.
class RecognitionRunner : public QObject {
    Q_OBJECT
public:
    explicit RecognitionRunner(QObject *parent = nullptr);
    // Waits for a read still running: the recogniser must not outlive its thread's use of it.
    ~RecognitionRunner() override;

    // Tests put a recogniser of their own in place of Tesseract.
    void setRecognizer(std::shared_ptr<TextRecognizer> recognizer);
    bool isBusy() const { return m_thread != nullptr; }
    // Starts reading the picture; returns false, doing nothing, while a read is running.
    bool start(const QImage &picture);

signals:
    void textRead(const QString &text);
    void failed(const QString &message);

private:
    void finish();

    std::shared_ptr<TextRecognizer> m_recognizer;
    QThread *m_thread = nullptr;
};
