#include "app/menu/MenuPopups.h"

#include "app/MainFrame.h"
#include "app/menu/DisabledEntryPrompt.h"
#include "app/menu/MenuPopupTable.h"
#include "platform/ui/Fonts.h"
#include "resources/Menus.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace
{

const char* const kBottomLook = "corvantaBottomLook";

struct SLook {
    QColor border;
    QColor fill;
    int fontHeight;
};

const SLook kBlue{QColor(0, 150, 255), QColor(200, 225, 255), 12};
const SLook kOrange{QColor(255, 150, 0), QColor(255, 225, 150), 14};

// The entry of the option within its menu; texts are unique per popup.
bool IsBottomLook(const QWidget* widget, const QString& text)
{
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (!menu)
        return false;
    for (const QAction* action : menu->actions()) {
        if (action->text() == text)
            return action->property(kBottomLook).toBool();
    }
    return false;
}

} // namespace

int CMenuPopupStyle::MenuBarHeight()
{
    return QFontMetrics(QApplication::font("QMenuBar")).height() + 4;
}

QSize CMenuPopupStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                        const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item || item->menuItemType == QStyleOptionMenuItem::Separator)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    return MenuPopup::MeasureEntry(item->text, IsBottomLook(widget, item->text), MenuBarHeight()) +
           QSize(kCheckRoom, 0);
}

void CMenuPopupStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item || item->menuItemType == QStyleOptionMenuItem::Separator) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const SLook& look = IsBottomLook(widget, item->text) ? kBlue : kOrange;
    const bool selected = item->state & State_Selected;
    const bool enabled = item->state & State_Enabled;

    painter->save();
    const QRect outer = item->rect.adjusted(1, 1, -1, -1);
    painter->fillRect(outer, look.border);
    painter->fillRect(outer.adjusted(2, 2, -2, -2), selected ? look.border : look.fill);

    const QPalette& palette = item->palette;
    const QColor textColour = !enabled   ? palette.color(QPalette::Disabled, QPalette::Text)
                              : selected ? palette.color(QPalette::HighlightedText)
                                         : palette.color(QPalette::Active, QPalette::WindowText);
    painter->setPen(textColour);
    painter->setFont(MakeFont(QStringLiteral(u"ＭＳ ゴシック"), look.fontHeight));
    const QRect textRect = item->rect.adjusted(4, 0, -4, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item->text);

    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOption arrow(*item);
        const int side = item->rect.height() / 2;
        arrow.rect = QRect(textRect.right() - side, item->rect.center().y() - side / 2, side, side);
        arrow.palette.setColor(QPalette::ButtonText, textColour);
        arrow.palette.setColor(QPalette::WindowText, textColour);
        arrow.palette.setColor(QPalette::Text, textColour);
        proxy()->drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
    painter->restore();
}

int CMainFrame::BuildMenuScreenPopups()
{
    QMenu* popups[MenuPopup::kCount] = {};
    // Submenus come before the entries that hold them, so each holder finds
    // its submenus made.
    for (int number : MenuPopup::BuildOrder()) {
        auto* menu = new QMenu(this);
        for (const MenuPopup::SEntry& entry : MenuPopup::Entries(number)) {
            QAction* action;
            if (entry.subPopup >= 0) {
                action = popups[entry.subPopup]->menuAction();
                action->setText(entry.text.toString());
                menu->addAction(action);
            } else {
                // Owned by the frame: a popup is a window of its own, and the
                // status tip goes to the action's parent.
                action = new QAction(entry.text.toString(), this);
                menu->addAction(action);
                action->setData(entry.id);
                action->setStatusTip(GetCommandPrompt(entry.id));
                connect(action, &QAction::triggered, this, [this, id = entry.id] { ExecuteCommand(id); });
            }
            action->setProperty(kBottomLook, MenuPopup::IsBottomEntry(entry));
        }
        // The commands' update handlers decide which entries are available.
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            for (QAction* action : menu->actions()) {
                if (!action->menu())
                    action->setEnabled(QueryCommandState(action->data().toInt()).enabled);
            }
        });
        ShowDisabledEntryPrompts(menu, statusBar());
        popups[number] = menu;
    }
    // Made after the menus, so that it is destroyed after them.
    auto* style = new CMenuPopupStyle;
    style->setParent(this);
    for (QMenu* menu : popups)
        menu->setStyle(style);

    std::copy(popups, popups + 14, m_PopupMenu);
    std::copy(popups + 14, popups + 25, m_SubPopupMenu);
    std::copy(popups + 25, popups + 30, m_BottomPopupMenu);
    return 1;
}

QMenu* MenuScreenPopup(const CMainFrame& frame, int number)
{
    if (number >= 0 && number < 14)
        return frame.m_PopupMenu[number];
    if (number >= 14 && number < 25)
        return frame.m_SubPopupMenu[number - 14];
    if (number >= 25 && number < MenuPopup::kCount)
        return frame.m_BottomPopupMenu[number - 25];
    return nullptr;
}
