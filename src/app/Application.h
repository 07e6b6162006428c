#pragma once

#include <QString>

class TDataModule1;
class TForm1;
class TForm2;

// The program's life: creates the main window, the data module and the contact dialog in that
// order, runs the event loop, and destroys them in reverse order.
class Application {
public:
    explicit Application(const QString &programFolder);
    ~Application();

    // Start-up steps up to and including showing the main window.
    void start();
    // Shutdown: destroys the dialog, the data module, then the main window (FormDestroy).
    void shutdown();
    int run();

    TForm1 *Form1 = nullptr;
    TDataModule1 *DataModule1 = nullptr;
    TForm2 *Form2 = nullptr;

private:
    QString m_programFolder;
};
