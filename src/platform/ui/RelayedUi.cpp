#include "platform/ui/RelayedUi.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"

namespace
{

class CRelayedWait : public IWaitIndicator
{
  public:
    void Begin(const QString& text, int total, bool) override
    {
        // Up before the work goes on, so that what it does next is under it.
        LongWork::Ask([&] {
            UiServices::Wait().Begin(text, total, true);
            LongWork::WatchForStop([] { return UiServices::Wait().IsCancelled(); });
        });
    }
    void SetText(const QString& text) override
    {
        LongWork::Post([text] { UiServices::Wait().SetText(text); });
    }
    void SetPos(int pos) override
    {
        LongWork::Post([pos] { UiServices::Wait().SetPos(pos); });
    }
    void Step(int n) override
    {
        LongWork::Post([n] { UiServices::Wait().Step(n); });
    }
    void End() override
    {
        LongWork::Post([] {
            LongWork::StopWatching();
            UiServices::Wait().End();
        });
    }
    bool IsCancelled() override { return LongWork::Stopped(); }
};

class CRelayedPrompt : public IPrompt
{
  public:
    int MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                   const QString& caption) override
    {
        return MessageBoxNamed(text, buttons, {}, icon, defaultButton, caption);
    }
    int MessageBoxNamed(const QString& text, int buttons, const QStringList& buttonTexts, int icon,
                        int defaultButton, const QString& caption) override
    {
        int answer = PromptDefaultAnswer(buttons, defaultButton);
        LongWork::Ask([&] {
            if (!LongWork::Stopped())
                // A plain box stays plain for a prompt that knows only those.
                answer = buttonTexts.isEmpty()
                             ? UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton, caption)
                             : UiServices::Prompt().MessageBoxNamed(text, buttons, buttonTexts, icon,
                                                                    defaultButton, caption);
        });
        return answer;
    }
    QString GetOpenFileName(const QString& title, const QString& dir, const QString& filter) override
    {
        return Pick([&] { return UiServices::Prompt().GetOpenFileName(title, dir, filter); });
    }
    QString GetSaveFileName(const QString& title, const QString& dir, const QString& filter,
                            const QString& defaultSuffix) override
    {
        return Pick([&] { return UiServices::Prompt().GetSaveFileName(title, dir, filter, defaultSuffix); });
    }
    QString GetFolder(const QString& title, const QString& startDir) override
    {
        return Pick([&] { return UiServices::Prompt().GetFolder(title, startDir); });
    }

  private:
    static QString Pick(const std::function<QString()>& pick)
    {
        QString chosen;
        LongWork::Ask([&] {
            if (!LongWork::Stopped())
                chosen = pick();
        });
        return chosen;
    }
};

} // namespace

IPrompt& RelayedPrompt()
{
    static CRelayedPrompt prompt;
    return prompt;
}

IWaitIndicator& RelayedWait()
{
    static CRelayedWait wait;
    return wait;
}
