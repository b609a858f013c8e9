#pragma once

#include "platform/data/MakeMsgID.h"

#include <QElapsedTimer>

// The wait dialog over the work of opening a file of an earlier build: the
// bar counts the parts of the work (a step when only steps are told), and
// the windows are painted now and then inside a long one.
class CWaitOpenProgress : public IDataProgress
{
  public:
    void Begin(int steps) override;
    void Step() override;
    void Working() override;
    void End() override;
    void PartsDone(int done, int total) override;

  private:
    QElapsedTimer m_sincePaint;
    int m_nParts = 0; // 0: the bar counts steps
    int m_nShown = 0;
    bool m_bBegun = false;
};

// Every opening of a database in the program reports to the wait dialog.
void InstallOpenProgress();
