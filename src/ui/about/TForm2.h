#pragma once

#include <QDialog>

#include <functional>

class ClickLabel;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

// The contact-author dialog "联系作者": created hidden at start-up, shown modally by the main
// window's contact button, hidden (never destroyed) when closed. Component and handler names
// follow the dialog's layout.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    // `mainOnTopAgain` puts the main window back on top when the user keeps it there; the
    // dialog calls it before the browser comes up and as it closes.
    using OnTopAgain = std::function<void(QObject *Sender)>;
    TForm2(QWidget *mainForm, OnTopAgain mainOnTopAgain);

    void Image1Click(QObject *Sender);
    // The click handler of Label6, the website address.
    void Label5Click(QObject *Sender);
    void Button1Click(QObject *Sender);
    void FormClose(QObject *Sender);

    // In the order of creation.
    QGroupBox *GroupBox1;
    ClickLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QFrame *Bevel1;
    QLabel *Label4;
    ClickLabel *Label6;
    QLabel *Label7;
    QLabel *Image2;
    QLabel *Label5;
    QPushButton *Button1;
    QLabel *Image3;
    QLabel *Label8;

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void connectHandlers();
    void centreOnMainWindow();
    void openPage(const QString &address);

    QWidget *m_mainForm;
    OnTopAgain m_mainOnTopAgain;
    bool m_placed = false;
};
