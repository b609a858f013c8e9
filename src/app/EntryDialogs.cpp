#include "app/EntryDialogs.h"

#include <QHash>

namespace
{

QHash<int, EntryDialogOpener>& Openers()
{
    static QHash<int, EntryDialogOpener> openers;
    return openers;
}

} // namespace

void SetEntryDialogOpener(int masterKind, EntryDialogOpener opener)
{
    if (opener)
        Openers().insert(masterKind, std::move(opener));
    else
        Openers().remove(masterKind);
}

bool HasEntryDialogOpener(int masterKind)
{
    return Openers().contains(masterKind);
}

bool OpenEntryDialog(int masterKind, CMainFrame& frame)
{
    const auto it = Openers().constFind(masterKind);
    if (it == Openers().constEnd())
        return false;
    // A copy: the dialog may register openers while it runs.
    const EntryDialogOpener opener = it.value();
    opener(frame);
    return true;
}
