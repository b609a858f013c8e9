#include "master/EntryDialogs.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "master/ExtractDlg.h"
#include "master/ItemInfoDlg.h"
#include "master/PartnerInfoDlg.h"
#include "platform/data/MasterKinds.h"
#include "platform/ui/Prompt.h"
#include "resources/CommandIds.h"

void RunMasterEntryDialog(const CMasterKind& kind, const COneRecord* record, QWidget* parent)
{
    if (kind.side) {
        RunPartnerDialog(*kind.side, record, parent);
        return;
    }
    CItemInfoDlg dialog(parent);
    if (record) {
        dialog.SetMode(1);
        dialog.SetRecord(record);
    }
    dialog.DoModal();
}

void RegisterMasterEntryDialogs(CViewRegistry& registry)
{
    // The menu screen names the ledger by its list number.
    registry.RegisterOpener(CViewRegistry::EOpener::MasterEntry, [](CMainFrame&, int number) {
        const CMasterKind* kind = CMasterKind::OfNumber(number);
        if (kind)
            RunMasterEntryDialog(*kind, nullptr, nullptr);
        return kind != nullptr;
    });
    // The dialog leaves the confirmed extraction in the frame for the list.
    registry.RegisterOpener(CViewRegistry::EOpener::MasterExtract, [](CMainFrame& frame, int target) {
        const CMasterKind* kind = CMasterKind::OfColumnSet(target);
        return kind && RunExtractDialog(kind->kind, frame, &frame) == IDOK;
    });
}
