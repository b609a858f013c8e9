#include "master/EntryDialogs.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "master/ExtractDlg.h"
#include "master/ItemInfoDlg.h"
#include "master/PartnerInfoDlg.h"
#include "platform/ui/Prompt.h"
#include "resources/CommandIds.h"

bool HasMasterEntryDialog(int kind)
{
    return kind >= 1 && kind <= 3;
}

bool RunMasterEntryDialog(int kind, const COneRecord* record, QWidget* parent)
{
    switch (kind) {
    case 1: {
        CItemInfoDlg dialog(parent);
        if (record) {
            dialog.SetMode(1);
            dialog.SetRecord(record);
        }
        dialog.DoModal();
        return true;
    }
    case 2:
    case 3:
        return RunPartnerDialog(kind, record, parent);
    default:
        return false;
    }
}

void RegisterMasterEntryDialogs(CViewRegistry& registry)
{
    registry.RegisterOpener(CViewRegistry::EOpener::MasterEntry, [](CMainFrame&, int kind) {
        return RunMasterEntryDialog(kind, nullptr, nullptr);
    });
    // The dialog leaves the confirmed extraction in the frame for the list.
    registry.RegisterOpener(CViewRegistry::EOpener::MasterExtract, [](CMainFrame& frame, int target) {
        const CMasterKind* kind = CMasterKind::OfColumnSet(target);
        return kind && RunExtractDialog(kind->kind, frame, &frame) == IDOK;
    });
}
