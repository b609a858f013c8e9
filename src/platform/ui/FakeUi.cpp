#include "platform/ui/FakeUi.h"

#include "platform/ui/UiServices.h"

#include <QDir>

QStringList CFakePrompt::Texts() const
{
    QStringList texts;
    for (const CPromptCall& call : m_calls)
        texts << call.text;
    return texts;
}

void CFakePrompt::Clear()
{
    *this = CFakePrompt();
}

int CFakePrompt::MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                            const QString& caption)
{
    return MessageBoxNamed(text, buttons, {}, icon, defaultButton, caption);
}

int CFakePrompt::MessageBoxNamed(const QString& text, int buttons, const QStringList& buttonTexts, int icon,
                                 int defaultButton, const QString& caption)
{
    m_calls.append(
        {text, buttons, icon, defaultButton, caption.isEmpty() ? ProgramTitle() : caption, buttonTexts});
    const int enter = PromptDefaultAnswer(buttons, defaultButton);
    if (m_answers.isEmpty())
        return enter;
    const int answer = m_answers.takeFirst();
    if (!PromptButtonAnswers(buttons).contains(answer)) {
        m_scriptErrors << QStringLiteral("answer %1 to a box without that button: %2").arg(answer).arg(text);
        return enter;
    }
    return answer;
}

QString CFakePrompt::GetOpenFileName(const QString& title, const QString& dir, const QString& filter)
{
    m_pickerCalls.append({CPickerCall::Open, title, dir, filter});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QString CFakePrompt::GetSaveFileName(const QString& title, const QString& dir, const QString& filter,
                                     const QString& defaultSuffix)
{
    m_pickerCalls.append({CPickerCall::Save, title, dir, filter});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QString CFakePrompt::GetFolder(const QString& title, const QString& startDir)
{
    m_pickerCalls.append({CPickerCall::Folder, title, startDir, QString()});
    if (!m_strPickerWorkingFolder.isEmpty())
        QDir::setCurrent(m_strPickerWorkingFolder);
    return m_folders.isEmpty() ? QString() : m_folders.takeFirst();
}

void CFakeWait::Begin(const QString& text, int total, bool cancellable)
{
    ++m_depth;
    m_pos = 0;
    m_log << QStringLiteral("Begin %1 %2").arg(text).arg(total);
}

void CFakeWait::SetPos(int pos)
{
    m_pos = pos;
    m_log << QStringLiteral("Pos %1").arg(pos);
}

void CFakeWait::End()
{
    // An End without a Begin is logged as such so that tests see the imbalance.
    m_log << (m_depth > 0 ? QStringLiteral("End") : QStringLiteral("End without Begin"));
    m_depth = qMax(0, m_depth - 1);
}

ScopedFakeUi::ScopedFakeUi()
    : m_oldPrompt(UiServices::SetPrompt(&m_prompt)), m_oldWait(UiServices::SetWait(&m_wait)),
      m_oldClock(UiServices::SetClock(&m_clock)), m_oldHelp(UiServices::SetHelp(&m_help))
{
}

ScopedFakeUi::~ScopedFakeUi()
{
    UiServices::SetPrompt(m_oldPrompt);
    UiServices::SetWait(m_oldWait);
    UiServices::SetClock(m_oldClock);
    UiServices::SetHelp(m_oldHelp);
}
