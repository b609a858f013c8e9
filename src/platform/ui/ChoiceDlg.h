#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QRadioButton;

// The caption, prompt and the two choices of a mode of the two-choice dialog.
struct CChoiceTexts {
    QString caption;
    QString prompt;
    QString first;
    QString second;
};

// The texts of `mode` (2-8); false, `texts` untouched, for any other mode.
bool GetChoiceModeTexts(int mode, CChoiceTexts& texts);

// The general two-choice dialog: a prompt and two radio buttons whose texts
// come from the mode. The first radio is preset; after OK m_nChoice is 0 for
// the first and 1 for the second.
class CChoiceDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CChoiceDlg(int mode, QWidget* parent = nullptr);

    // IDOK or IDCANCEL (no choice).
    int DoModal();

    // Sets caption, prompt and the radio texts of the mode; an unknown mode
    // shows "ダイアログの起動形式が不明です。" and keeps the dialog's own texts.
    bool SetModeTexts(int mode);

    QRadioButton* FirstRadio() const { return m_pFirst; }
    QRadioButton* SecondRadio() const { return m_pSecond; }
    QLabel* PromptLabel() const { return m_pPrompt; }

    void accept() override;

    QString m_strPrompt;
    int m_nChoice = 0;
    int m_nMode;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnInitDialog();

    QLabel* m_pPrompt;
    QRadioButton* m_pFirst;
    QRadioButton* m_pSecond;
    bool m_bInitDone = false;
};

// Runs the two-choice dialog of `mode`: IDOK with `choice` set, or IDCANCEL.
// Screens call this instead of the dialog so that tests can answer it.
int RunChoiceDialog(int mode, int& choice, QWidget* parent = nullptr);

// Tests install a scripted answer; an empty function restores the dialog.
// Answers what was installed before.
using ChoiceDialogRunner = std::function<int(int mode, int& choice)>;
ChoiceDialogRunner SetChoiceDialogRunner(ChoiceDialogRunner runner);
