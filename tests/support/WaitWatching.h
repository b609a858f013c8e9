#pragma once

#include "platform/ui/FakeUi.h"
#include "platform/ui/UiServices.h"

#include <QList>
#include <QStringList>

// A prompt that notes for every message how deep the wait dialog was under
// it (0: none open), installed for its lifetime.
class CWaitWatchingPrompt : public CFakePrompt
{
  public:
    explicit CWaitWatchingPrompt(const CFakeWait& wait) : m_wait(wait), m_pOld(UiServices::SetPrompt(this)) {}
    ~CWaitWatchingPrompt() override { UiServices::SetPrompt(m_pOld); }
    int MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                   const QString& caption) override
    {
        m_depths << m_wait.Depth();
        return CFakePrompt::MessageBox(text, buttons, icon, defaultButton, caption);
    }
    QList<int> m_depths;

  private:
    const CFakeWait& m_wait;
    IPrompt* m_pOld;
};

// The wait log with each run of positions as one "Pos <last>".
inline QStringList WaitSteps(const QStringList& log)
{
    QStringList steps;
    for (const QString& line : log) {
        if (line.startsWith(QLatin1String("Pos ")) && !steps.isEmpty() &&
            steps.last().startsWith(QLatin1String("Pos ")))
            steps.last() = line;
        else
            steps << line;
    }
    return steps;
}
