#pragma once

#include "app/View.h"

class QTreeWidget;

// The report list screen: one view for the list modes 8-48, the mode being
// the frame's view kind.
class CShimeView : public CView {
    Q_OBJECT

public:
    explicit CShimeView(CMainFrame& frame);

    void OnInitialUpdate() override;
    long OnFindRequest(const CFindRequest& request) override;

    // Sets up and refills the list of the current mode; `keep` keeps the
    // selection and scroll position where it can.
    void SetupListForMode(int keep);
    void RefreshAfterDataChange() override { SetupListForMode(1); }

    int GetMode() const { return m_nMode; }

private:
    QTreeWidget* m_pList;
    int m_nMode = 0;
};
