#include "settings/db/OpenProgress.h"

#include "platform/data/MakeMsgID.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

namespace
{

// Painting costs; a twentieth of a second keeps a window alive.
constexpr qint64 kPaintEveryMs = 50;

} // namespace

void CWaitOpenProgress::UpgradeBegins(int steps, int parts)
{
    UiServices::Wait().Begin(kWaitUpdating, parts > 0 ? parts : steps);
}

void CWaitOpenProgress::UpgradePartsDone(int done, int)
{
    UiServices::Wait().SetPos(done);
}

void CWaitOpenProgress::UpgradeEnds()
{
    UiServices::Wait().End();
}

void CWaitOpenProgress::WaitingForWriter()
{
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < kPaintEveryMs)
        return;
    UiServices::Wait().KeepPainting();
    m_sincePaint.start();
}

bool OpensUnderWait(const QString& folder)
{
    CWaitOpenProgress progress;
    CMakeMsgID data;
    data.SetProgress(&progress);
    QString err;
    const bool opened = data.Open(folder, err) == CMakeMsgID::kOk;
    data.Close();
    return opened;
}
