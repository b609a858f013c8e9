#include "master/EntryDialogs.h"

#include "app/EntryDialogs.h"
#include "master/ItemInfoDlg.h"

bool HasMasterEntryDialog(int kind)
{
    return kind == 1;
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
    default:
        return false;
    }
}

void RegisterMasterEntryDialogs()
{
    for (int kind = 1; kind <= 3; ++kind) {
        if (HasMasterEntryDialog(kind))
            SetEntryDialogOpener(kind, [kind](CMainFrame&) { RunMasterEntryDialog(kind, nullptr, nullptr); });
    }
}
