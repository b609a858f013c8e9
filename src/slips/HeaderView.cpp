#include "slips/HeaderView.h"

#include "app/MainFrame.h"

#include <QTreeWidget>
#include <QVBoxLayout>

CHeaderView::CHeaderView(CMainFrame& frame) : CView(frame), m_pList(new QTreeWidget(this))
{
    m_pList->setRootIsDecorated(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pList);
}

void CHeaderView::OnInitialUpdate()
{
    m_nMode = GetFrame().GetViewKind();
    GetFrame().ShowViewToolBar(true);
    GetFrame().SetListFont(m_pList, true);
    // The slip extraction is read once, by the list it was made for.
    GetFrame().m_strSlipCondition.clear();
    GetFrame().m_bSlipExtracted = 0;
}

long CHeaderView::OnFindRequest(const CFindRequest&)
{
    return 0;
}

void CHeaderView::RefreshList()
{
    m_pList->clear();
}
