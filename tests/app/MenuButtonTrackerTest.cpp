#include "app/menu/MenuButtonTracker.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

using Group = CMenuButtonTracker::Group;

// Three bottom buttons side by side, two file buttons above them, four
// calendar cells of which only 1 and 2 carry a mark.
class MenuButtonTrackerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_tracker.SetRects(CMenuButtonTracker::Bottom, {kB0, kB1, kB2});
        m_tracker.SetRects(CMenuButtonTracker::File, {kF0, kF1});
        m_tracker.SetRects(CMenuButtonTracker::CalButton, {QRect(300, 0, 20, 20)});
        m_tracker.SetRects(CMenuButtonTracker::Cell, {kC0, kC1, kC2, kC3});
        m_tracker.SetFilter(CMenuButtonTracker::Cell, [this](int cell) { return m_marked.count(cell) > 0; });
    }

    QList<int> States(Group group) const
    {
        QList<int> states;
        for (int i = 0; i < m_tracker.Count(group); ++i)
            states << m_tracker.State(group, i);
        return states;
    }

    static inline const QRect kB0{0, 100, 50, 20}, kB1{60, 100, 50, 20}, kB2{120, 100, 50, 20};
    static inline const QRect kF0{0, 0, 50, 50}, kF1{60, 0, 50, 50};
    static inline const QRect kC0{200, 0, 40, 20}, kC1{200, 30, 40, 20}, kC2{200, 60, 40, 20},
        kC3{200, 90, 40, 20};
    const QPoint kNowhere{180, 200};

    CMenuButtonTracker m_tracker;
    std::set<int> m_marked{1, 2};
};

TEST_F(MenuButtonTrackerTest, HoverLightsAndRepaintsOnlyChanges)
{
    EXPECT_EQ(m_tracker.MouseMove(kF0.center()), QList<QRect>{kF0});
    EXPECT_EQ(States(CMenuButtonTracker::File), QList<int>({1, 0}));
    EXPECT_TRUE(m_tracker.HandCursor());
    // Moving on the same button repaints nothing.
    EXPECT_TRUE(m_tracker.MouseMove(kF0.center() + QPoint(3, 3)).isEmpty());
    // Straight to the neighbour: the old one goes out, the new one lights.
    EXPECT_EQ(m_tracker.MouseMove(kF1.center()), QList<QRect>({kF0, kF1}));
    EXPECT_EQ(States(CMenuButtonTracker::File), QList<int>({0, 1}));
    // From a file button to a bottom button: two groups change.
    EXPECT_EQ(m_tracker.MouseMove(kB2.center()), QList<QRect>({kF1, kB2}));
    EXPECT_EQ(m_tracker.Hover(CMenuButtonTracker::File), -1);
    EXPECT_EQ(m_tracker.Hover(CMenuButtonTracker::Bottom), 2);
    EXPECT_EQ(m_tracker.MouseMove(kNowhere), QList<QRect>{kB2});
    EXPECT_FALSE(m_tracker.HandCursor());
    EXPECT_EQ(States(CMenuButtonTracker::Bottom), QList<int>({0, 0, 0}));
}

TEST_F(MenuButtonTrackerTest, PressLeaveReturnRelease)
{
    m_tracker.MouseMove(kB1.center());
    EXPECT_EQ(m_tracker.Press(), QList<QRect>{kB1});
    EXPECT_EQ(States(CMenuButtonTracker::Bottom), QList<int>({0, 2, 0}));
    EXPECT_EQ(m_tracker.Pressed(CMenuButtonTracker::Bottom), 1);

    // Off the pressed button: it goes back to normal.
    EXPECT_EQ(m_tracker.MouseMove(kNowhere), QList<QRect>{kB1});
    EXPECT_EQ(States(CMenuButtonTracker::Bottom), QList<int>({0, 0, 0}));
    // Over another button of the group while held: its state changes but it
    // is not repainted.
    EXPECT_TRUE(m_tracker.MouseMove(kB2.center()).isEmpty());
    EXPECT_EQ(States(CMenuButtonTracker::Bottom), QList<int>({0, 0, 1}));
    // Back on the pressed one: pressed again.
    EXPECT_EQ(m_tracker.MouseMove(kB1.center()), QList<QRect>({kB2, kB1}));
    EXPECT_EQ(States(CMenuButtonTracker::Bottom), QList<int>({0, 2, 0}));

    QList<QRect> repaint;
    const auto action = m_tracker.Release(repaint);
    ASSERT_TRUE(action.has_value());
    EXPECT_EQ(action->group, CMenuButtonTracker::Bottom);
    EXPECT_EQ(action->index, 1);
    EXPECT_EQ(repaint, QList<QRect>{kB1});
    EXPECT_EQ(States(CMenuButtonTracker::Bottom), QList<int>({0, 0, 0}));
    EXPECT_EQ(m_tracker.Pressed(CMenuButtonTracker::Bottom), -1);
}

TEST_F(MenuButtonTrackerTest, ReleaseElsewhereRunsNothing)
{
    // Pressed on one button, released on another.
    m_tracker.MouseMove(kB0.center());
    m_tracker.Press();
    m_tracker.MouseMove(kB2.center());
    QList<QRect> repaint;
    EXPECT_FALSE(m_tracker.Release(repaint).has_value());
    EXPECT_TRUE(repaint.isEmpty());
    EXPECT_EQ(m_tracker.Pressed(CMenuButtonTracker::Bottom), -1);

    // Pressed on a file button, released on a bottom button.
    m_tracker.MouseMove(kF0.center());
    m_tracker.Press();
    m_tracker.MouseMove(kB1.center());
    EXPECT_FALSE(m_tracker.Release(repaint).has_value());
    EXPECT_EQ(m_tracker.Pressed(CMenuButtonTracker::File), -1);

    // Pressed on empty space, released on a button.
    m_tracker.MouseMove(kNowhere);
    EXPECT_TRUE(m_tracker.Press().isEmpty());
    EXPECT_EQ(m_tracker.MouseMove(kB2.center()), QList<QRect>{kB2});
    EXPECT_EQ(m_tracker.State(CMenuButtonTracker::Bottom, 2), 1);
    EXPECT_FALSE(m_tracker.Release(repaint).has_value());

    // Released with nothing pressed and nothing under the mouse.
    m_tracker.MouseMove(kNowhere);
    EXPECT_FALSE(m_tracker.Release(repaint).has_value());
}

TEST_F(MenuButtonTrackerTest, CellsWithoutMarkDoNotReact)
{
    EXPECT_TRUE(m_tracker.MouseMove(kC0.center()).isEmpty());
    EXPECT_EQ(m_tracker.Hover(CMenuButtonTracker::Cell), -1);
    EXPECT_FALSE(m_tracker.HandCursor());
    EXPECT_TRUE(m_tracker.Press().isEmpty());
    QList<QRect> repaint;
    EXPECT_FALSE(m_tracker.Release(repaint).has_value());

    EXPECT_EQ(m_tracker.MouseMove(kC2.center()), QList<QRect>{kC2});
    EXPECT_TRUE(m_tracker.HandCursor());
    m_tracker.Press();
    EXPECT_EQ(m_tracker.State(CMenuButtonTracker::Cell, 2), 2);
    const auto action = m_tracker.Release(repaint);
    ASSERT_TRUE(action.has_value());
    EXPECT_EQ(action->group, CMenuButtonTracker::Cell);
    EXPECT_EQ(action->index, 2);

    // When the marks move away (a scroll, a reload), a reset forgets the cell.
    m_marked = {3};
    m_tracker.Reset(CMenuButtonTracker::Cell);
    EXPECT_EQ(States(CMenuButtonTracker::Cell), QList<int>({0, 0, 0, 0}));
    EXPECT_TRUE(m_tracker.MouseMove(kC2.center()).isEmpty());
    EXPECT_EQ(m_tracker.MouseMove(kC3.center()), QList<QRect>{kC3});
}

} // namespace
