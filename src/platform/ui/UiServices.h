#pragma once

#include <QStringList>

class IPrompt;
class IWaitIndicator;
class IClock;
class IHelp;

// Where the program finds its user-interface services. The Qt implementations
// answer until something else is installed; tests install fakes
// (ScopedFakeUi). Installed services are not owned; installing nullptr goes
// back to the Qt implementation. Each setter returns what was installed
// before (nullptr for the Qt implementation). Work beside the window's
// thread (LongWork) is answered by the prompt and wait dialog that relay its
// calls to the window's thread (RelayedUi.h).
class UiServices
{
  public:
    static IPrompt& Prompt();
    static IWaitIndicator& Wait();
    static IClock& Clock();
    static IHelp& Help();

    static IPrompt* SetPrompt(IPrompt* prompt);
    static IWaitIndicator* SetWait(IWaitIndicator* wait);
    static IClock* SetClock(IClock* clock);
    static IHelp* SetHelp(IHelp* help);

    // The folders the Qt help looks in, first match wins (by default the
    // program folder's "help").
    static void SetHelpFolders(const QStringList& folders);
};
