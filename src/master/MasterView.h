#pragma once

#include "app/View.h"

class COneRecord;
class QTreeWidget;

// The master list screen of view kinds 1 products, 2 customers, 3 suppliers.
class CMasterView : public CView, public IMasterList {
    Q_OBJECT

public:
    explicit CMasterView(CMainFrame& frame);

    void OnInitialUpdate() override;
    long OnFindRequest(const CFindRequest& request) override;

    // Replaces the row of the record's "ID" or appends it; nonzero when
    // placed. A record without "ID" is refused with a message.
    int UpdateRecord(const COneRecord& record) override;
    // Selects the row after (before) the record, or after the focused row for
    // null; answers that row's record, null at the end or when not listed.
    COneRecord* SelectNextRecord(COneRecord* record) override;
    COneRecord* SelectPrevRecord(COneRecord* record) override;
    // The focused row index (-1 none); whether rows before and after exist.
    int GetPrevNextState(bool& hasPrev, bool& hasNext) override;
    IMasterList* GetMasterList() override { return this; }

    int GetMode() const { return m_nMode; }

private:
    QTreeWidget* m_pList;
    int m_nMode = 0;
};
