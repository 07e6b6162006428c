#include "app/Application.h"

#include "data/TDataModule1.h"
#include "platform/SessionEndWatcher.h"
#include "ui/about/TForm2.h"
#include "ui/common/ErrorGuard.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QSessionManager>

Application::Application(const QString &programFolder) : m_programFolder(programFolder) {}

Application::~Application()
{
    shutdown();
}

void Application::start()
{
    // Watched from the first step, so that a request during start-up is not lost either. Only
    // one watcher can hold the signals: the one of an earlier start goes first.
    m_sessionEnd.reset();
    m_sessionEnd = SessionEndWatcher::create();
    QObject::connect(m_sessionEnd.get(), &SessionEndWatcher::endRequested, m_sessionEnd.get(),
                     [this] { endSession(); });
    // The session manager wants the data saved now; the close runs once its request has
    // returned, as the handler should not end the program itself.
    QObject::connect(
        qApp, &QGuiApplication::commitDataRequest, m_sessionEnd.get(),
        [this](QSessionManager &) {
            QMetaObject::invokeMethod(
                m_sessionEnd.get(), [this] { endSession(); }, Qt::QueuedConnection);
        },
        Qt::DirectConnection);
    // The data module reads AppPath and opens the file that the main window's creation
    // handler has just written, so the main window always comes first.
    Form1 = new TForm1(m_programFolder);
    DataModule1 = new TDataModule1(Form1->AppPath);
    ErrorGuard::run([this] { DataModule1->DataModuleCreate(); });
    Form1->DataModule1 = DataModule1;
    Form2 = new TForm2(Form1, [form = Form1](QObject *sender) { form->onTopAgain(sender); });
    Form1->Form2 = Form2;
    Form1->showAtStart();
}

void Application::shutdown()
{
    if (Form1 == nullptr)
        return;
    // Reverse order of creation: the dialog, the data module (which closes the bank file so
    // that it can be deleted), then the main window, whose destroy handler deletes it.
    delete Form2;
    Form1->Form2 = nullptr;
    Form2 = nullptr;
    delete DataModule1;
    Form1->DataModule1 = nullptr;
    DataModule1 = nullptr;
    delete Form1;
    Form1 = nullptr;
}

void Application::endSession()
{
    m_endRequested = true;
    // Each modal box or dialog runs its own event loop; close them from the top down so that
    // every handler waiting on one goes on and returns.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            break;
        modal->close();
    }
    if (Form1 != nullptr)
        Form1->close();
    QCoreApplication::quit();
}

int Application::run()
{
    start();
    // A request that came in while start-up was still running has nothing left to wait for.
    const int status = m_endRequested ? 0 : QApplication::exec();
    shutdown();
    m_sessionEnd.reset();
    return status;
}
