#pragma once

#include "platform/data/DataProgress.h"

#include <QElapsedTimer>
#include <QString>

// The text of the wait dialog while a file of an earlier build takes its steps.
inline const QString kWaitUpdating =
    QStringLiteral("データベースを新しい形式に更新しています。\nしばらくお待ちください。");

// The wait dialog over the steps that bring a file of an earlier build up to
// date, for the data-access object that holds it as its listener: the bar
// counts the parts of the work (a step when only steps are told), and the
// windows are painted now and then inside a long one. Between the steps it
// shows nothing and paints nothing, though it hears every statement of the
// object: another dialog up meanwhile keeps its own pace.
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

// Opens the folder's database and closes it again, a file of an earlier build
// taking its steps under the wait dialog: true when it opened.
bool OpensUnderWait(const QString& folder);
