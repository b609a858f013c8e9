#pragma once

#include "platform/data/MakeMsgID.h"

#include <QElapsedTimer>

// The wait dialog over the work of opening a file of an earlier build: a
// step of the bar for each step of the work, and the windows painted now and
// then inside a long one.
class CWaitOpenProgress : public IOpenProgress
{
  public:
    void Begin(int steps) override;
    void Step() override;
    void Working() override;
    void End() override;

  private:
    QElapsedTimer m_sincePaint;
};

// Every opening of a database in the program reports to the wait dialog.
void InstallOpenProgress();
