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
    UiServices::Wait().Begin(
        QStringLiteral("データベースを新しい形式に更新しています。\nしばらくお待ちください。"), steps);
    m_sincePaint.start();
}

void CWaitOpenProgress::Step()
{
    UiServices::Wait().Step(1);
    m_sincePaint.restart();
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
}

void InstallOpenProgress()
{
    static CWaitOpenProgress progress;
    CMakeMsgID::SetOpenProgress(&progress);
}
