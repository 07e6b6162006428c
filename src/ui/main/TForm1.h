#pragma once

#include "platform/ReadingChoice.h"
#include "search/QuestionLookup.h"

#include <QWidget>
#include <memory>

class BannerStrip;
class IniFile;
class ClipboardWatcher;
class MatchStepper;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class MemoBox;
class QPushButton;
class QStackedWidget;
class QTextEdit;
class QTimer;
class RecognitionRunner;
class TextRecognizer;
class TDataModule1;
class TForm2;
class StartPageStore;

// The main window. Component and handler names follow the window's layout, so that the
// behaviour of each control can be traced by name.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // programFolder: the folder of the running executable (tests pass a temporary folder).
    // Builds the controls, then runs FormCreate inside the error guard.
    explicit TForm1(const QString &programFolder, QWidget *parent = nullptr);
    // Hides the window, then runs FormDestroy inside the error guard.
    ~TForm1() override;

    // Start-up step 7: FormShow, then centre on the desktop and show.
    void showAtStart();
    // Hooks for tests: the pause at the end of FormDestroy, the start-page store.
    void setExitWait(int milliseconds) { m_exitWaitMs = milliseconds; }
    void setStartPageStore(StartPageStore *store) { m_startPageStore = store; }
    // Hook for tests: a recogniser in place of Tesseract.
    void setTextRecognizer(std::shared_ptr<TextRecognizer> recognizer);
    bool isTopmost() const;

    void FormCreate(QObject *Sender);
    void FormDestroy(QObject *Sender);
    void FormShow(QObject *Sender);
    void Button5Click(QObject *Sender);
    void CheckBox1Click(QObject *Sender);
    // Applies keep-on-top once more while the option is on (after another window came up).
    void onTopAgain(QObject *Sender);
    void Memo1Change(QObject *Sender);
    void Memo1Click(QObject *Sender);
    void CheckBox4Click(QObject *Sender);
    void Button6Click(QObject *Sender);
    void Timer1Timer(QObject *Sender);
    void WebBrowser1DocumentComplete(QObject *Sender);
    void Image4Click(QObject *Sender);

    QGroupBox *GroupBox1;
    QGroupBox *GroupBox2;
    MemoBox *Memo1;
    QTextEdit *RichEdit1;
    BannerStrip *Banner;
    QStackedWidget *PageControl2;
    QTimer *Timer1;
    QFrame *Panel1;
    QCheckBox *CheckBox3;
    QCheckBox *CheckBox1;
    QCheckBox *CheckBox2;
    QCheckBox *CheckBox4; // 复制即查: look up whatever is copied elsewhere
    QLabel *Label1;
    QPushButton *Button5;
    QPushButton *Button6; // 截图识题: read the question from a rectangle of the screen

    QString AppPath;
    QString ConfigPath;
    std::unique_ptr<IniFile> ConfigIni;

    // Created after this window by the application; the lookup and the contact button use them.
    TDataModule1 *DataModule1 = nullptr;
    TForm2 *Form2 = nullptr;

private:
    void buildControls();
    void connectHandlers();
    void setTopmost(bool topmost);
    void centreOnDesktop();
    void FindAnswer();
    // The question the answer box shows among those holding the same text: the last one first,
    // older ones with Ctrl+Down, back with Ctrl+Up.
    void showShownRow();
    void stepMatches(bool older);
    // Reading pictures: the screen rectangle of Button6 and pictures that click-to-paste finds
    // on the clipboard. The text read goes into Memo1, unless the user changed Memo1 meanwhile.
    void pickScreenRegion();
    void showAgainAfterPicking();
    void startReading(const QImage &picture);
    void textRead(const QString &text);
    // What FindAnswer would show for a text read from a picture, to choose among readings.
    ReadingChoice::Found findsInReading(const QString &text) const;
    void readingFailed(const QString &message);
    void showReadingBusy(bool busy);

    QString m_programFolder;
    int m_exitWaitMs = 500;
    StartPageStore *m_startPageStore = nullptr;
    ClipboardWatcher *m_clipboardWatcher = nullptr;
    MatchStepper *m_matchStepper = nullptr;
    RecognitionRunner *m_recognition = nullptr;
    // Changes of Memo1's text so far, and their count when the running read began.
    quint64 m_memoChanges = 0;
    quint64 m_memoChangesAtRead = 0;
    LookupResult m_result;
    qsizetype m_shownRow = -1;
    QList<qsizetype> m_newerRows; // rows shown before, to go back to with Ctrl+Up
};
