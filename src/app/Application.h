#pragma once

#include "app/CommandTarget.h"

#include <QString>

#include <memory>

class CMainFrame;
class IStartupServices;

// The application object: start-up checks, the frame, the application's own
// commands (About, password, help topics) and the exit.
class CTollavineApp : public CCommandTarget
{
  public:
    // Real services unless a test passes its own.
    explicit CTollavineApp(std::unique_ptr<IStartupServices> services = {});
    ~CTollavineApp() override;

    // The start-up checks, then the frame; false ends the program.
    bool InitInstance();
    // Destroys the frame, then releases the locks; answers the exit code:
    // 1 when the frame ended because its connection failed, else 0.
    int ExitInstance();

    CMainFrame* GetMainFrame() const { return m_pFrame.get(); }

    // The About box's version text: 120 shows as "1.20".
    static QString FormatVersion(int version);

  private:
    void OnAppAbout();
    void OnPassword();

    std::unique_ptr<IStartupServices> m_pServices;
    std::unique_ptr<CMainFrame> m_pFrame;
};

// Starts the program and runs its event loop; answers the process exit code.
int RunApplication(int argc, char* argv[]);
