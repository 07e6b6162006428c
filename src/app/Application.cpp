#include "app/Application.h"

#include "app/ErrorGuard.h"
#include "data/TDataModule1.h"
#include "ui/about/TForm2.h"
#include "ui/main/TForm1.h"

#include <QApplication>

Application::Application(const QString &programFolder) : m_programFolder(programFolder) {}

Application::~Application()
{
    shutdown();
}

void Application::start()
{
    // The data module reads AppPath and opens the file that the main window's creation
    // handler has just written, so the main window always comes first.
    Form1 = new TForm1(m_programFolder);
    DataModule1 = new TDataModule1(Form1->AppPath);
    ErrorGuard::run([this] { DataModule1->DataModuleCreate(); });
    Form1->DataModule1 = DataModule1;
    Form2 = new TForm2(Form1);
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

int Application::run()
{
    start();
    const int status = QApplication::exec();
    shutdown();
    return status;
}
