#pragma once

#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WaitIndicator.h"

#include <QList>
#include <QStringList>

// Scripted stand-ins for the user-interface services, for tests.

struct CPromptCall {
    QString text;
    int buttons;
    int icon;
    int defaultButton;
    QString caption;         // the caption shown: the program title when none was given
    QStringList buttonTexts; // the buttons' own captions, when the box names them
};

struct CPickerCall {
    enum Kind { Open, Save, Folder } kind;
    QString title;
    QString dir;
    QString filter; // empty for the folder picker
};

// Answers message boxes from a queue and records every call. With the queue
// empty it answers as Enter would: the default button when the box has it,
// else the first button (IDOK, or IDYES for Yes/No boxes). A queued answer
// that the box does not offer is a fault in the test script: the fake
// answers the default instead and records the fault in ScriptErrors().
// The pickers answer from their own queues; an empty queue means cancelled.
// As the platform's pickers may, the folder picker can be made to change
// the process's working folder before it answers.
class CFakePrompt : public IPrompt
{
  public:
    void QueueAnswers(const QList<int>& answers) { m_answers += answers; }
    void QueueFiles(const QStringList& paths) { m_files += paths; }
    void QueueFolders(const QStringList& paths) { m_folders += paths; }
    void SetFolderPickerWorkingFolder(const QString& folder) { m_strPickerWorkingFolder = folder; }

    const QList<CPromptCall>& Calls() const { return m_calls; }
    QStringList Texts() const;
    const QList<CPickerCall>& PickerCalls() const { return m_pickerCalls; }
    int PendingAnswers() const { return int(m_answers.size()); }
    const QStringList& ScriptErrors() const { return m_scriptErrors; }
    void Clear();

    int MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                   const QString& caption) override;
    int MessageBoxNamed(const QString& text, int buttons, const QStringList& buttonTexts, int icon,
                        int defaultButton, const QString& caption) override;
    QString GetOpenFileName(const QString& title, const QString& dir, const QString& filter) override;
    QString GetSaveFileName(const QString& title, const QString& dir, const QString& filter,
                            const QString& defaultSuffix) override;
    QString GetFolder(const QString& title, const QString& startDir) override;

  private:
    QList<int> m_answers;
    QStringList m_files;
    QStringList m_folders;
    QString m_strPickerWorkingFolder;
    QList<CPromptCall> m_calls;
    QList<CPickerCall> m_pickerCalls;
    QStringList m_scriptErrors;
};

// Records the wait dialog as lines: "Begin <text> <total>", "Text <text>",
// "Pos <n>", "End".
class CFakeWait : public IWaitIndicator
{
  public:
    const QStringList& Log() const { return m_log; }
    int Depth() const { return m_depth; }
    int Pos() const { return m_pos; }
    void SetCancelled(bool cancelled) { m_cancelled = cancelled; }

    void Begin(const QString& text, int total, bool cancellable) override;
    void SetText(const QString& text) override { m_log << QStringLiteral("Text ") + text; }
    void SetPos(int pos) override;
    void Step(int n) override { SetPos(m_pos + n); }
    void End() override;
    bool IsCancelled() override { return m_cancelled; }

  private:
    QStringList m_log;
    int m_depth = 0;
    int m_pos = 0;
    bool m_cancelled = false;
};

// A clock that stands still until it is set.
class CFakeClock : public IClock
{
  public:
    explicit CFakeClock(const QDateTime& now = QDateTime(QDate(2024, 4, 1), QTime(9, 0))) : m_now(now) {}
    void Set(const QDateTime& now) { m_now = now; }
    void SetToday(const QDate& today) { m_now.setDate(today); }
    QDate Today() const override { return m_now.date(); }
    QDateTime Now() const override { return m_now; }

  private:
    QDateTime m_now;
};

// Records the help topics asked for.
class CFakeHelp : public IHelp
{
  public:
    const QList<int>& Topics() const { return m_topics; }
    bool ShowTopic(int context) override
    {
        m_topics << context;
        return true;
    }

  private:
    QList<int> m_topics;
};

// Installs all four fakes for its lifetime and puts back what was there.
class ScopedFakeUi
{
  public:
    ScopedFakeUi();
    ~ScopedFakeUi();
    ScopedFakeUi(const ScopedFakeUi&) = delete;
    ScopedFakeUi& operator=(const ScopedFakeUi&) = delete;

    CFakePrompt& Prompt() { return m_prompt; }
    CFakeWait& Wait() { return m_wait; }
    CFakeClock& Clock() { return m_clock; }
    CFakeHelp& Help() { return m_help; }

  private:
    CFakePrompt m_prompt;
    CFakeWait m_wait;
    CFakeClock m_clock;
    CFakeHelp m_help;
    IPrompt* m_oldPrompt;
    IWaitIndicator* m_oldWait;
    IClock* m_oldClock;
    IHelp* m_oldHelp;
};
