#include "master/EntryDialogs.h"

#include "app/ViewRegistry.h"
#include "master/ItemInfoDlg.h"
#include "master/PartnerInfoDlg.h"
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
    case 3: return RunPartnerDialog(kind, record, parent);
    default: return false;
    }
}

void RegisterMasterEntryDialogs(CViewRegistry& registry)
{
    for (const auto& [id, kind] : {std::pair{ID_ITEM_NEW, 1}, std::pair{ID_CUSTOMER_NEW, 2}, std::pair{ID_SUPPLIER_NEW, 3}})
        registry.RegisterCommand(id, [kind](CMainFrame&) { RunMasterEntryDialog(kind, nullptr, nullptr); });
}
