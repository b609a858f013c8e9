#include "app/OpenProgress.h"

#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

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
    UiServices::Wait().Begin(
        QStringLiteral("データベースを新しい形式に更新しています。\nしばらくお待ちください。"),
        m_nParts > 0 ? m_nParts : steps);
}

void CWaitOpenProgress::Step()
{
    if (m_nParts == 0)
        UiServices::Wait().Step(1);
    m_sincePaint.restart();
}

void CWaitOpenProgress::PartsDone(int done, int total)
{
    // Heard first before Begin, with the total the bar is made for; a wait
    // for another program's write may have painted before.
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
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < kPaintEveryMs)
        return;
    UiServices::Wait().KeepPainting();
    m_sincePaint.restart();
}

void CWaitOpenProgress::End()
{
    UiServices::Wait().End();
    m_sincePaint.invalidate();
    m_bBegun = false;
    m_nParts = 0;
}

void InstallOpenProgress()
{
    static CWaitOpenProgress progress;
    CMakeMsgID::SetOpenProgress(&progress);
}
