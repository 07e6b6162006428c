#include "ui/main/RecognitionRunner.h"

#include "base/AppError.h"
#include "platform/TesseractRecognizer.h"

#include <QThread>

RecognitionRunner::RecognitionRunner(QObject *parent)
    : QObject(parent), m_recognizer(std::make_shared<TesseractRecognizer>())
{
}

RecognitionRunner::~RecognitionRunner()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void RecognitionRunner::setRecognizer(std::shared_ptr<TextRecognizer> recognizer)
{
    m_recognizer = std::move(recognizer);
}

bool RecognitionRunner::start(const QImage &picture)
{
    if (m_thread)
        return false;
    // The thread holds its own references: neither the picture nor the recogniser can go away
    // under it.
    std::shared_ptr<TextRecognizer> recognizer = m_recognizer;
    m_thread = QThread::create([this, recognizer, picture] {
        QString text, error;
        try {
            text = recognizer->read(picture);
        } catch (const AppError &e) {
            error = e.message();
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
        // Queued to this object's thread; dropped if the runner is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, text, error] {
                finish();
                if (error.isNull())
                    emit textRead(text);
                else
                    emit failed(error);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
    return true;
}

void RecognitionRunner::finish()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}
