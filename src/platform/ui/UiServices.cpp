#include "platform/ui/UiServices.h"

#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/RelayedUi.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"

#include <QCoreApplication>
#include <utility>

namespace
{

IPrompt* g_prompt = nullptr;
IWaitIndicator* g_wait = nullptr;
IClock* g_clock = nullptr;
IHelp* g_help = nullptr;

CHtmlHelp& QtHelp()
{
    static CHtmlHelp help({QCoreApplication::applicationDirPath() + QStringLiteral("/help")});
    return help;
}

} // namespace

IPrompt& UiServices::Prompt()
{
    if (LongWork::OnWorker())
        return RelayedPrompt();
    static CQtPrompt prompt;
    return g_prompt ? *g_prompt : prompt;
}

IWaitIndicator& UiServices::Wait()
{
    if (LongWork::OnWorker())
        return RelayedWait();
    static CQtWaitIndicator wait;
    return g_wait ? *g_wait : wait;
}

IClock& UiServices::Clock()
{
    static CSystemClock clock;
    return g_clock ? *g_clock : clock;
}

IHelp& UiServices::Help()
{
    return g_help ? *g_help : QtHelp();
}

IPrompt* UiServices::SetPrompt(IPrompt* prompt)
{
    return std::exchange(g_prompt, prompt);
}

IWaitIndicator* UiServices::SetWait(IWaitIndicator* wait)
{
    return std::exchange(g_wait, wait);
}

IClock* UiServices::SetClock(IClock* clock)
{
    return std::exchange(g_clock, clock);
}

IHelp* UiServices::SetHelp(IHelp* help)
{
    return std::exchange(g_help, help);
}

void UiServices::SetHelpFolders(const QStringList& folders)
{
    QtHelp().SetFolders(folders);
}
