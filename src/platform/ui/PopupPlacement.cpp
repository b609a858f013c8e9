#include "platform/ui/PopupPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QScreen>

namespace
{

class CPopupKeeper : public QObject
{
  public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Shown before it is mapped: moved here, it never shows elsewhere.
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* popup = static_cast<QWidget*>(watched);
        if (!popup->isWindow() || popup->windowType() != Qt::Popup)
            return false;
        // The whole window, its frame (where it has one) included.
        const QRect frame = popup->frameGeometry();
        QScreen* screen = QGuiApplication::screenAt(frame.center());
        if (!screen)
            screen = popup->screen();
        if (!screen)
            return false;
        // A menu cut short would lose its last entries.
        const QRect placed =
            KeepPopupInside(frame, screen->availableGeometry(), !qobject_cast<QMenu*>(popup));
        if (placed != frame)
            popup->setGeometry(QRect(popup->geometry().topLeft() + (placed.topLeft() - frame.topLeft()),
                                     popup->geometry().size() + (placed.size() - frame.size())));
        return false;
    }
};

} // namespace

QRect KeepPopupInside(const QRect& popup, const QRect& available, bool mayShrink)
{
    QRect placed = popup;
    if (mayShrink) {
        placed.setWidth(qMin(placed.width(), available.width()));
        placed.setHeight(qMin(placed.height(), available.height()));
    }
    if (placed.right() > available.right())
        placed.moveRight(available.right());
    if (placed.bottom() > available.bottom())
        placed.moveBottom(available.bottom());
    if (placed.left() < available.left())
        placed.moveLeft(available.left());
    if (placed.top() < available.top())
        placed.moveTop(available.top());
    return placed;
}

QObject* KeepPopupsOnScreen(QApplication& app)
{
    auto* keeper = new CPopupKeeper(&app);
    app.installEventFilter(keeper);
    return keeper;
}
