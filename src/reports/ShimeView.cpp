#include "reports/ShimeView.h"

#include "app/MainFrame.h"

#include <QTreeWidget>
#include <QVBoxLayout>

CShimeView::CShimeView(CMainFrame& frame) : CView(frame), m_pList(new QTreeWidget(this))
{
    m_pList->setRootIsDecorated(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pList);
}

void CShimeView::OnInitialUpdate()
{
    m_nMode = GetFrame().GetViewKind();
    GetFrame().ShowViewToolBar(true);
    GetFrame().SetListFont(m_pList, true);
    SetupListForMode(0);
}

long CShimeView::OnFindRequest(const CFindRequest&)
{
    return 0;
}

void CShimeView::SetupListForMode(int)
{
    m_pList->clear();
}
