#include "settings/db/OpenProgress.h"

#include "platform/data/MakeMsgID.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

#include <utility>

namespace
{

// Painting costs; a twentieth of a second keeps a window alive.
constexpr qint64 kPaintEveryMs = 50;

} // namespace

void CWaitOpenProgress::Begin(int steps)
{
    // The dialog handles events as it opens, which may bring parts done.
    m_nShown = 0;
    m_bBegun = true;
    m_sincePaint.start();
    UiServices::Wait().Begin(kWaitUpdating, m_nParts > 0 ? m_nParts : steps);
}

void CWaitOpenProgress::Step()
{
    if (m_nParts == 0)
        UiServices::Wait().Step(1);
    m_sincePaint.restart();
}

void CWaitOpenProgress::PartsDone(int done, int total)
{
    // Heard first before Begin, with the total the bar is made for; any
    // other long call of the object is not this dialog's.
    if (!m_bBegun) {
        m_nParts = qMax(0, total);
        return;
    }
    if (m_nParts > 0 && done != m_nShown) {
        m_nShown = done;
        UiServices::Wait().SetPos(done);
    }
}

void CWaitOpenProgress::Working()
{
    // Outside the steps a paint would run the events of another window in
    // the middle of a statement.
    if (!m_bBegun || m_sincePaint.elapsed() < kPaintEveryMs)
        return;
    UiServices::Wait().KeepPainting();
    m_sincePaint.restart();
}

void CWaitOpenProgress::End()
{
    m_nParts = 0;
    // Only its own dialog: another may be up.
    if (!std::exchange(m_bBegun, false))
        return;
    UiServices::Wait().End();
    m_sincePaint.invalidate();
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
