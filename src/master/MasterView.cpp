#include "master/MasterView.h"

#include "app/MainFrame.h"
#include "platform/data/Record.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QTreeWidget>
#include <QVBoxLayout>

CMasterView::CMasterView(CMainFrame& frame) : CView(frame), m_pList(new QTreeWidget(this))
{
    m_pList->setRootIsDecorated(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pList);
}

void CMasterView::OnInitialUpdate()
{
    m_nMode = GetFrame().GetViewKind();
    GetFrame().ShowViewToolBar(true);
    GetFrame().SetListFont(m_pList, true);
}

long CMasterView::OnFindRequest(const CFindRequest&)
{
    return 0;
}

int CMasterView::UpdateRecord(const COneRecord& record)
{
    if (!record.GetOneField(QString(), QStringLiteral("ID"))) {
        UiServices::Prompt().MessageBox(QStringLiteral("レコードIDが不明です"));
        return 0;
    }
    return 0;
}

COneRecord* CMasterView::SelectNextRecord(COneRecord*)
{
    return nullptr;
}

COneRecord* CMasterView::SelectPrevRecord(COneRecord*)
{
    return nullptr;
}

int CMasterView::GetPrevNextState(bool& hasPrev, bool& hasNext)
{
    hasPrev = hasNext = false;
    return -1;
}
