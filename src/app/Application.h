#pragma once

#include <QString>

#include <memory>

class SessionEndWatcher;
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
    // The end of the session (log-off, shutdown, a termination signal): closes open dialogs and
    // boxes and then the main window, so that the exit steps run as after a normal close.
    void endSession();

    TForm1 *Form1 = nullptr;
    TDataModule1 *DataModule1 = nullptr;
    TForm2 *Form2 = nullptr;

private:
    QString m_programFolder;
    std::unique_ptr<SessionEndWatcher> m_sessionEnd;
    bool m_endRequested = false;
};
