#include "platform/ui/UiServices.h"

#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WaitIndicator.h"

#include <QCoreApplication>
#include <utility>

namespace
{

IPrompt* g_prompt = nullptr;
IWaitIndicator* g_wait = nullptr;
IClock* g_clock = nullptr;
IHelp* g_help = nullptr;
thread_local IPrompt* t_prompt = nullptr;
thread_local IWaitIndicator* t_wait = nullptr;

CHtmlHelp& QtHelp()
{
    static CHtmlHelp help({QCoreApplication::applicationDirPath() + QStringLiteral("/help")});
    return help;
}

} // namespace

IPrompt& UiServices::Prompt()
{
    if (t_prompt)
        return *t_prompt;
    static CQtPrompt prompt;
    return g_prompt ? *g_prompt : prompt;
}

IWaitIndicator& UiServices::Wait()
{
    if (t_wait)
        return *t_wait;
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

void UiServices::SetThreadServices(IPrompt* prompt, IWaitIndicator* wait)
{
    t_prompt = prompt;
    t_wait = wait;
}

void UiServices::SetHelpFolders(const QStringList& folders)
{
    QtHelp().SetFolders(folders);
}
