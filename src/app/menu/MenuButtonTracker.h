#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>

// The menu screen's buttons are pictures, not windows. The tracker follows
// the mouse over the four groups of buttons and tells the view which
// rectangles to repaint and which button's action to run: a button acts
// only when the left button is released over the button it was pressed on.
// Button states: 0 normal, 1 under the mouse, 2 pressed. The page tabs are
// a fifth group that follows the same rules.
class CMenuButtonTracker
{
  public:
    // In the order in which a mouse move examines them.
    enum Group { File, Cell, CalButton, Bottom, Tab, GroupCount };

    struct SAction {
        Group group;
        int index;
    };

    // Sets a group's rectangles (its size) and clears its states.
    void SetRects(Group group, const QList<QRect>& rects);
    // A button of the group takes part only while this answers true for it
    // (calendar cells with a mark, the tab of the other page).
    void SetFilter(Group group, std::function<bool(int index)> takes)
    {
        m_groups[group].takes = std::move(takes);
    }
    // Clears a group's hover, press and states.
    void Reset(Group group);

    // Answers the rectangles to repaint.
    QList<QRect> MouseMove(const QPoint& point);
    QList<QRect> Press();
    // Ends the press; answers the action to run, if the mouse is still on
    // the button that was pressed. `repaint` receives that button's rectangle.
    std::optional<SAction> Release(QList<QRect>& repaint);

    int State(Group group, int index) const { return m_groups[group].states[index]; }
    int Hover(Group group) const { return m_groups[group].hover; }
    int Pressed(Group group) const { return m_groups[group].pressed; }
    int Count(Group group) const { return int(m_groups[group].rects.size()); }
    // True while the mouse is over a button that would act.
    bool HandCursor() const { return m_bHand; }
    void ClearHandCursor() { m_bHand = false; }

  private:
    struct SGroup {
        QList<QRect> rects;
        QList<int> states;
        int hover = -1;
        int pressed = -1;
        std::function<bool(int)> takes;
    };

    bool Takes(Group group, int index) const;

    SGroup m_groups[GroupCount];
    bool m_bHand = false;
};
