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

void RecognitionRunner::setLookUp(ReadingChoice::LookUp lookUp)
{
    m_lookUp = std::move(lookUp);
}

bool RecognitionRunner::start(const QImage &picture)
{
    if (m_choice)
        return false;
    m_picture = picture;
    m_choice.emplace(m_lookUp ? m_recognizer->otherWays() : 0);
    readNextWay();
    return true;
}

void RecognitionRunner::readNextWay()
{
    // The thread holds its own references: neither the picture nor the recogniser can go away
    // under it, even when setRecognizer() replaces it meanwhile.
    std::shared_ptr<TextRecognizer> recognizer = m_recognizer;
    const QImage picture = m_picture;
    const int way = m_choice->nextWay();
    m_thread = QThread::create([this, recognizer, picture, way] {
        QString text, error;
        try {
            text = way == 0 ? recognizer->read(picture) : recognizer->readOtherWay(picture, way);
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
                if (!error.isNull()) {
                    m_choice.reset();
                    emit failed(error);
                    return;
                }
                m_choice->offer(text, m_lookUp ? m_lookUp(text) : ReadingChoice::Found::AsRead);
                if (!m_choice->done()) {
                    readNextWay();
                    return;
                }
                const QString chosen = m_choice->text();
                m_choice.reset();
                m_picture = QImage();
                emit textRead(chosen);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
}

void RecognitionRunner::finish()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}
