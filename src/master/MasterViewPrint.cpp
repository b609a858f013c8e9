// The printing commands of the master list screen.

#include "app/MainFrame.h"
#include "master/AddressPrint.h"
#include "master/MasterList.h"
#include "master/MasterPrint.h"
#include "master/MasterView.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"

#include <QPointer>

namespace
{

// The job asks the screen for its selection each time it prepares (the
// preview's print button prepares again); a closed screen selects nothing.
CMasterPrintDoc::Selection SelectionOf(CMasterView* view)
{
    return [view = QPointer<CMasterView>(view)] {
        CMasterPrintDoc::Records records;
        if (!view || !view->List())
            return records;
        for (int row : view->GetSelectedRows()) {
            if (const COneRecord* record = view->List()->Model().RecordAt(row))
                records << std::make_shared<const COneRecord>(*record);
        }
        return records;
    };
}

void StartListPrint(CMasterView& view, bool preview)
{
    int variant = 0;
    if (!AskListPrint(view.GetKind(), int(view.GetSelectedRows().size()), variant))
        return;
    auto document = std::make_shared<CMasterPrintDoc>(view.GetKind(), variant, SelectionOf(&view));
    if (preview)
        PrintJob::PostPreview(document);
    else
        PrintJob::PostPrint(document);
}

} // namespace

void CMasterView::OnListPrint()
{
    StartListPrint(*this, false);
}

void CMasterView::OnListPrintPreview()
{
    StartListPrint(*this, true);
}

void CMasterView::OnAddressPrint()
{
    QList<const COneRecord*> records;
    for (int row : GetSelectedRows())
        records << m_pList->Model().RecordAt(row);
    CMakeMsgID& data = GetFrame().GetMakeMsgID();
    CAddressPrint command(
        GetKind(), [&data](CCDSData& set, QString& err) { return data.InsertData(set, err); },
        [this](int kind, const QString& text, long layout) { return LaunchSlipForm(kind, text, layout); });
    command.Run(records);
}
