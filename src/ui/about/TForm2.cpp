#include "ui/about/TForm2.h"

#include "ui/main/TForm1.h"

TForm2::TForm2(TForm1 *mainForm) : QDialog(mainForm), m_mainForm(mainForm)
{
    setWindowTitle(QStringLiteral("联系作者"));
}
