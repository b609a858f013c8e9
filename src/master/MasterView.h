#pragma once

#include "app/View.h"
#include "platform/data/MasterKinds.h"

#include <QList>

#include <memory>

class CMasterDb;
class CMasterList;
class COneRecord;
class QComboBox;
class QLabel;
class QTableView;

// The master list screen of view kinds 1 products, 2 customers, 3 suppliers
// (the view kind is read as its ledger once, when the screen opens): the
// count line, the classification filter ("指定なし" or a title and a
// value) and the rows in the columns of the kind's column set. It handles
// its own commands; the rules and the query live in CMasterList and
// CMasterEditRules.
class CMasterView : public CView, public IMasterList
{
    Q_OBJECT

  public:
    explicit CMasterView(CMainFrame& frame);
    ~CMasterView() override;

    void OnInitialUpdate() override;
    void OnEnvSettingsChanged() override;
    // The find dialog's search: the next row (or previous) showing the text.
    long OnFindRequest(const CFindRequest& request) override;
    bool OnCmdMsg(int id) override;
    bool HasCommandHandler(int id) const override;
    bool OnUpdateCmdUI(int id, CCmdUI& ui) override;
    IMasterList* GetMasterList() override { return this; }

    // The entry dialogs' relays: see IMasterList.
    COneRecord* UpdateRecord(const COneRecord& record) override;
    COneRecord* SelectNextRecord(COneRecord* record) override;
    COneRecord* SelectPrevRecord(COneRecord* record) override;
    int GetPrevNextState(bool& hasPrev, bool& hasNext) override;

    // The ledger shown; only while the list is (once the screen opened).
    const CMasterKind& GetKind() const;
    // Empty before the screen opened.
    QString GetTableName() const;
    QString GetCodeFieldName() const;

    // The query (1 / 0), the rows from the loaded set (their number), both
    // or only the rows; the filter boxes follow the extraction state.
    int LoadList();
    int FillList();
    void Reload(bool query);
    // The columns of the kind's column set, widths from the set.
    int BuildColumns();
    int LoadTotalCount();
    void UpdateCountLine();
    QString GetCellText(const COneRecord* record, int column) const;
    bool IsBlankCodeRecord(const COneRecord* record) const;
    // Takes changed classification titles into the title list and the
    // column headers; true when any changed.
    bool RefreshClassHeadings();

    // Hands a slip to the slip-form program through the frame; a layout the
    // catalogue no longer knows lets the user choose. 1 when handed over.
    int LaunchSlipForm(int kind, const QString& text, long layout);
    // A header click: sorts by the column, alternating the direction.
    void OnColumnClick(int column);
    // The selected rows, ascending.
    QList<int> GetSelectedRows() const;

    void OnDelete();
    void OnModify();
    // New, one row's change and the code change open the record's dialogs
    // (MasterEntryCommands.cpp).
    void OnNew();
    void OnModifyRow(int row);
    void OnCodeChange();
    void OnCreateSlip();
    void OnSelectAll();
    void OnShowAll();
    void OnExtract();
    void OnColumnSettings();
    void OnExport();
    void OnSiblingImport(int id);
    void OnSiblingExport();
    int ExportSelected(int target);

    // Printing (MasterViewPrint.cpp): the directory printed or previewed,
    // the labels through the slip-form program.
    void OnListPrint();
    void OnListPrintPreview();
    void OnAddressPrint();

    CMasterList* List() const { return m_pList.get(); }
    QTableView* ListControl() const { return m_pTable; }
    QComboBox* TitleBox() const { return m_pTitle; }
    QComboBox* ValueBox() const { return m_pValue; }
    QLabel* CountLine() const { return m_pCount; }

    // The choice of a title (user action on the title list).
    void OnTitleChanged(int index);
    // The choice of a value.
    void OnValueChanged(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void PatchFileMenu();
    void ApplyListLook();
    void DoLayout();
    void FillTitleList();
    void FillValueList(bool keepSelection);
    void RestoreFilter();
    void SaveFilter();
    void StoreColumnWidths();
    void ApplyColumnWidths();
    void TakeFilter();
    void EnableFilterBoxes();
    void SelectRowExclusive(int row);
    // The record `step` rows from `record` (or the first selected row),
    // selected; null past either end.
    COneRecord* SelectStep(COneRecord* record, int step);

    bool IsPartnerList() const { return m_pList && GetKind().side; }

    std::unique_ptr<CMasterDb> m_pDb;
    std::unique_ptr<CMasterList> m_pList;
    QLabel* m_pCount;
    QComboBox* m_pTitle;
    QLabel* m_pGa;
    QComboBox* m_pValue;
    QLabel* m_pNoMono;
    QTableView* m_pTable;
    bool m_bLaidOut = false;
};
