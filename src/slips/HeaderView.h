#pragma once

#include "app/View.h"

class QTreeWidget;

// The slip list screen of view kinds 4 quotes, 5 sales, 6 orders, 7 purchases.
class CHeaderView : public CView {
    Q_OBJECT

public:
    explicit CHeaderView(CMainFrame& frame);

    void OnInitialUpdate() override;
    long OnFindRequest(const CFindRequest& request) override;

    // Runs the slip query again and refills the list.
    void RefreshList();
    void RefreshAfterDataChange() override { RefreshList(); }

    int GetMode() const { return m_nMode; }

private:
    QTreeWidget* m_pList;
    int m_nMode = 0;
};
