#include "app/menu/MenuButtonTracker.h"

void CMenuButtonTracker::SetRects(Group group, const QList<QRect>& rects)
{
    SGroup& g = m_groups[group];
    g.rects = rects;
    g.states = QList<int>(rects.size(), 0);
    g.hover = g.pressed = -1;
}

void CMenuButtonTracker::Reset(Group group)
{
    SGroup& g = m_groups[group];
    g.states.fill(0);
    g.hover = g.pressed = -1;
}

bool CMenuButtonTracker::Takes(Group group, int index) const
{
    const SGroup& g = m_groups[group];
    return !g.takes || g.takes(index);
}

QList<QRect> CMenuButtonTracker::MouseMove(const QPoint& point)
{
    QList<QRect> repaint;
    m_bHand = false;
    for (int gi = 0; gi < GroupCount; ++gi) {
        SGroup& g = m_groups[gi];
        const int old = g.hover;
        g.hover = -1;
        for (int i = 0; i < g.rects.size(); ++i) {
            if (g.rects[i].contains(point) && Takes(Group(gi), i)) {
                g.hover = i;
                m_bHand = true;
                g.states[i] = i == g.pressed ? 2 : 1;
                break;
            }
        }
        if (old >= 0) {
            // Still on the same button: nothing changes anywhere.
            if (old == g.hover)
                return repaint;
            g.states[old] = 0;
            repaint.append(g.rects[old]);
        }
        // While a button of the group is held, others light up only in state.
        if (g.hover >= 0 && (g.pressed < 0 || g.pressed == g.hover))
            repaint.append(g.rects[g.hover]);
    }
    return repaint;
}

QList<QRect> CMenuButtonTracker::Press()
{
    QList<QRect> repaint;
    for (SGroup& g : m_groups) {
        if (g.hover < 0)
            continue;
        g.pressed = g.hover;
        g.states[g.hover] = 2;
        repaint.append(g.rects[g.hover]);
    }
    return repaint;
}

std::optional<CMenuButtonTracker::SAction> CMenuButtonTracker::Release(QList<QRect>& repaint)
{
    static constexpr Group kOrder[GroupCount] = {Bottom, File, CalButton, Cell, Tab};
    std::optional<SAction> action;
    for (Group group : kOrder) {
        SGroup& g = m_groups[group];
        if (g.pressed >= 0 && g.hover == g.pressed) {
            g.states[g.pressed] = 0;
            repaint.append(g.rects[g.pressed]);
            action = SAction{group, g.pressed};
            break;
        }
    }
    for (SGroup& g : m_groups)
        g.pressed = -1;
    return action;
}
