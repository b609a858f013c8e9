#pragma once

#include "platform/data/DataProgress.h"

#include <QElapsedTimer>
#include <QString>

// The text of the wait dialog while a file of an earlier build takes its steps.
inline const QString kWaitUpdating =
    QStringLiteral("データベースを新しい形式に更新しています。\nしばらくお待ちください。");

// The wait dialog over the steps that bring a file of an earlier build up to
// date, for the data-access object that holds it as its listener: the bar
// counts the parts of the work. The steps run beside the window's thread,
// whose windows paint meanwhile; a wait for another program's write paints
// them now and then. It ignores the object's other calls and statements:
// another dialog up meanwhile keeps its own pace, and a paint in the middle
// of a statement would run the events of another window.
class CWaitOpenProgress : public IDataProgress
{
  public:
    void UpgradeBegins(int steps, int parts) override;
    void UpgradePartsDone(int done, int parts) override;
    void UpgradeEnds() override;
    void WaitingForWriter() override;

  private:
    QElapsedTimer m_sincePaint;
};

// Opens the folder's database and closes it again, a file of an earlier build
// taking its steps under the wait dialog: true when it opened.
bool OpensUnderWait(const QString& folder);
