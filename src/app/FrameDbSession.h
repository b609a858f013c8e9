#pragma once

#include "settings/db/DbSession.h"

class CMainFrame;

// The main frame's side of the database operations.
class CFrameDbSession : public IDbSession
{
  public:
    explicit CFrameDbSession(CMainFrame& frame) : m_frame(frame) {}

    int Release() override;
    int Connect() override;
    void ReloadDatabaseState() override;
    void ActivateOtherWindows() override;
    CMakeMsgID& GetMakeMsgID() override;

  private:
    CMainFrame& m_frame;
};
