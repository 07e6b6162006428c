#pragma once

#include <QDialog>

class TForm1;

// The contact-author dialog "联系作者", created hidden and shown modally by the main window.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(TForm1 *mainForm);

private:
    TForm1 *m_mainForm;
};
