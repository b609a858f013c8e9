#pragma once

#include "app/View.h"

#include <QList>
#include <QString>

#include <memory>

class CSlipList;
class QLabel;
class QTableView;

// What the menu screen's slip extraction hands over to the list it opens:
// the condition to list instead of the default period.
struct CSlipExtraction {
    QString condition;
};

// The slip list screen of view kinds 4 quotes, 5 sales, 6 orders, 7
// purchases: the period and count labels over the slip headers of the
// default period or an extraction. Slips are entered and changed by the
// slip-form program; this screen lists, sorts, finds and hands them over.
class CHeaderView : public CView
{
    Q_OBJECT

  public:
    explicit CHeaderView(CMainFrame& frame);
    ~CHeaderView() override;

    // An extraction (CSlipExtraction) to list once instead of the default
    // period.
    void TakeRequest(std::any request) override;
    void OnInitialUpdate() override;
    void OnEnvSettingsChanged() override;
    long OnFindRequest(const CFindRequest& request) override;
    bool OnUpdateCmdUI(int id, CCmdUI& ui) override;

    // Runs the slip query again and refills the list; the period label and
    // the selection are not touched.
    void RefreshList();
    void RefreshAfterDataChange() override { RefreshList(); }
    bool ReloadsOnDataChange() const override { return true; }

    int GetMode() const { return m_nMode; }
    QString GetHeaderTable() const;
    int GetSlipKind() const;
    // The selected rows, ascending.
    QList<int> GetSelectedRows() const;

    // The extraction dialog, then the list reloaded (command 抽出).
    void OnExtract();
    void OnSelectAll();
    // A header click: sorts by the column, alternating the direction.
    void OnColumnClick(int column);

    CSlipList* List() const { return m_pList.get(); }
    QTableView* ListControl() const { return m_pTable; }
    QLabel* PeriodLabel() const { return m_pPeriod; }
    QLabel* CountLabel() const { return m_pCount; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ApplyListLook();
    void DoLayout();
    void FillList(bool selectFirst);
    void UpdateLabels();
    void StoreColumnWidths();
    void ApplyColumnWidths();
    void SelectRowExclusive(int row);

    int m_nMode = 0;
    QString m_strHandedCondition; // empty when none was handed over
    std::unique_ptr<CSlipList> m_pList;
    QLabel* m_pPeriod;
    QLabel* m_pCount;
    QTableView* m_pTable;
};
