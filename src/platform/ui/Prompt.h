#pragma once

#include <QString>
#include <QStringList>

// Message-box styles and answers. The values are the classic ones because
// callers combine and compare them the way they always have.
enum PromptButtons : int { MB_OK = 0, MB_OKCANCEL = 1, MB_YESNOCANCEL = 3, MB_YESNO = 4 };
enum PromptIcon : int {
    MB_ICONNONE = 0,
    MB_ICONSTOP = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum PromptAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Message boxes and file and folder pickers. Every question the program asks
// goes through here so that tests can answer it from a script.
class IPrompt
{
  public:
    virtual ~IPrompt() = default;

    // Shows `text` with the given buttons and icon and returns the answer
    // (IDOK, IDCANCEL, IDYES, IDNO). `defaultButton` is the answer of the
    // button that has the focus, 0 for the first one. An empty caption means
    // the program title.
    virtual int MessageBox(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE,
                           int defaultButton = 0, const QString& caption = {}) = 0;
    // The same box with its buttons captioned `buttonTexts`, one a button of
    // the style in its order, where はい and いいえ would not say what each
    // does; the answers stay those of the style. Cancel is also Escape.
    virtual int MessageBoxNamed(const QString& text, int buttons, const QStringList& buttonTexts,
                                int icon = MB_ICONNONE, int defaultButton = 0, const QString& caption = {})
    {
        Q_UNUSED(buttonTexts);
        return MessageBox(text, buttons, icon, defaultButton, caption);
    }

    // `filter` is written "description|patterns|description|patterns||",
    // patterns separated by ';'. `dir` is the starting folder, optionally with
    // a file name. An empty result means the user cancelled.
    virtual QString GetOpenFileName(const QString& title, const QString& dir, const QString& filter) = 0;
    // The save picker asks before overwriting; `defaultSuffix` (without the
    // dot) is added to a name typed without an extension.
    virtual QString GetSaveFileName(const QString& title, const QString& dir, const QString& filter,
                                    const QString& defaultSuffix = {}) = 0;
    virtual QString GetFolder(const QString& title, const QString& startDir) = 0;
};

// The caption of every message box unless the caller names another.
QString ProgramTitle();

// The buttons a message-box style offers, as answers, first button first.
QList<int> PromptButtonAnswers(int buttons);

// The answer Enter gives: `defaultButton` when the box has that button,
// otherwise its first button.
int PromptDefaultAnswer(int buttons, int defaultButton);

// Widens a dialog (a message box too) so that its whole window title shows:
// the title text plus room for the window's icon and frame buttons.
class QDialog;
void FitWindowTitle(QDialog& dialog);

// "desc|*.a;*.b|..||" as a Qt name filter "desc (*.a *.b);;...".
QString QtFileFilter(const QString& filter);

// The QMessageBox / QFileDialog implementation, with Japanese button texts.
class CQtPrompt : public IPrompt
{
  public:
    int MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                   const QString& caption) override;
    int MessageBoxNamed(const QString& text, int buttons, const QStringList& buttonTexts, int icon,
                        int defaultButton, const QString& caption) override;
    QString GetOpenFileName(const QString& title, const QString& dir, const QString& filter) override;
    QString GetSaveFileName(const QString& title, const QString& dir, const QString& filter,
                            const QString& defaultSuffix) override;
    QString GetFolder(const QString& title, const QString& startDir) override;
};
