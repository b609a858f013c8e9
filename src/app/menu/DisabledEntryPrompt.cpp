#include "app/menu/DisabledEntryPrompt.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>

namespace
{

class CDisabledEntryPrompt : public QObject
{
  public:
    CDisabledEntryPrompt(QMenu* menu, QStatusBar* status) : QObject(menu), m_pStatus(status)
    {
        menu->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (menu && m_pStatus && event->type() == QEvent::MouseMove) {
            QAction* action = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (action && !action->isEnabled() && !action->isSeparator())
                m_pStatus->showMessage(action->statusTip());
        }
        return false;
    }

  private:
    QPointer<QStatusBar> m_pStatus;
};

} // namespace

void ShowDisabledEntryPrompts(QMenu* menu, QStatusBar* status)
{
    new CDisabledEntryPrompt(menu, status);
}
