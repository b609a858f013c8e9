#include "platform/ui/UiServices.h"

#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/RelayedUi.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace
{

IPrompt* g_prompt = nullptr;
IWaitIndicator* g_wait = nullptr;
IClock* g_clock = nullptr;
IHelp* g_help = nullptr;

// The window a running work lets input reach: the popup or modal dialog on
// top, as Qt itself directs input to it.
QObject* TopWindow()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    return QApplication::activeModalWidget();
}

bool InWindow(const QObject* window, const QObject* receiver)
{
    const auto* top = static_cast<const QWidget*>(window);
    for (const QObject* object = receiver; object; object = object->parent()) {
        if (object == top)
            return true;
        if (object->isWindowType())
            return object == top->windowHandle();
    }
    return false;
}

[[maybe_unused]] const bool kInputWindowsSet = [] {
    LongWork::SetInputWindows({&TopWindow, &InWindow});
    return true;
}();

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
