#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "settings/DefaultSort.h"
#include "settings/QXColSet.h"

// The rules of the column settings dialog of a master list, without its
// widgets. In display mode it edits the columns the list shows and the
// list's start-up sort order; in export mode it picks the columns to write.
// The left list holds the chosen columns in their order, the right list the
// others in factory order; both name columns of the factory set, whose
// shown flag marks the chosen ones.
class CColumnSetRules
{
  public:
    enum Mode : int { kDisplay = 0, kExport = 1 };

    explicit CColumnSetRules(int mode);

    int GetMode() const { return m_nMode; }
    int GetListKind() const { return m_nListKind; }
    void SetListKind(int listKind) { m_nListKind = listKind; }

    // The texts and parts that differ by mode.
    QString GetModeWord() const;
    QString GetCaption() const;
    QString GetHeader() const;
    QString GetToLeftText() const;
    QString GetToRightText() const;
    QString GetLeftLabel() const;
    QString GetRightLabel() const;
    bool HasAllButtons() const { return m_nMode == kExport; }
    bool HasSortGroup() const { return m_nMode == kDisplay; }
    int GetHelpTopic() const { return m_nMode == kDisplay ? 1650 : 1642; }

    // Reads the factory columns (and in display mode the shown columns and
    // the sort order) and fills both lists. False, after telling the user,
    // when the factory columns cannot be read; the lists stay empty.
    bool Open();

    QStringList GetLeftCaptions() const { return Captions(m_left); }
    QStringList GetRightCaptions() const { return Captions(m_right); }
    const CQXCol& GetLeftColumn(int row) const { return m_factory.m_cols[m_left[row]]; }
    const CQXCol& GetRightColumn(int row) const { return m_factory.m_cols[m_right[row]]; }

    // Selected rows, -1 for none.
    int GetLeftSel() const { return m_nLeftSel; }
    int GetRightSel() const { return m_nRightSel; }
    void SelectLeft(int row);
    void SelectRight(int row);

    bool CanMoveToLeft() const { return m_nRightSel >= 0; }
    bool CanMoveToRight() const { return m_nLeftSel >= 0; }
    bool CanMoveUp() const { return m_nLeftSel > 0; }
    bool CanMoveDown() const { return m_nLeftSel >= 0 && m_nLeftSel < m_left.size() - 1; }
    bool CanMoveAllToLeft() const { return HasAllButtons() && !m_right.isEmpty(); }
    bool CanMoveAllToRight() const { return HasAllButtons() && !m_left.isEmpty(); }

    // Each tells the user why when it cannot act.
    void MoveToLeft();
    void MoveToRight();
    void MoveAllToLeft();
    void MoveAllToRight();
    void MoveUp();
    void MoveDown();
    // Display mode: the factory's shown columns and the code field ascending.
    void RestoreDefaults();

    // The sort field choices (captions; fields alongside), the chosen one
    // and the order (0 ascending, 1 descending).
    QStringList GetSortCaptions() const { return Captions(m_sortCols); }
    QString GetSortField(int index) const { return m_factory.m_cols[m_sortCols[index]].m_strField; }
    int GetSortIndex() const { return m_nSortIndex; }
    void SetSortIndex(int index) { m_nSortIndex = index; }
    int GetSortOrder() const { return m_nSortOrder; }
    void SetSortOrder(int order) { m_nSortOrder = order; }

    // Saves what the dialog shows: false, after telling the user, when no
    // column is chosen (the dialog stays open). Display mode writes the
    // column set and the sort order; export mode fills the result set.
    bool OnOK();
    const CQXColSet& GetResultSet() const { return m_result; }

  private:
    int SetID() const { return m_nListKind - 1; }
    QStringList Captions(const QList<int>& rows) const;
    void Tell(const QString& text) const;
    void FillLists();
    void FillRight();
    void FillSort(bool readSortFile);

    int m_nMode;
    int m_nListKind = -1;
    CQXColSet m_factory;
    CQXColSet m_display;
    CQXColSet m_result;
    QList<int> m_left; // indexes into the factory set
    QList<int> m_right;
    QList<int> m_sortCols;
    int m_nLeftSel = -1;
    int m_nRightSel = -1;
    int m_nSortIndex = -1;
    int m_nSortOrder = 0;
    CDefaultSortList m_sortList;
};
