// The list's commands that open a record's dialogs: new, a single row's
// change and the code change.
#include "master/MasterView.h"

#include "master/CodeChangeDlg.h"
#include "master/EntryDialogs.h"
#include "master/MasterList.h"
#include "master/MasterListModel.h"
#include "platform/data/Record.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

void CMasterView::OnNew()
{
    RunMasterEntryDialog(GetKind(), nullptr, nullptr);
    RefreshClassHeadings();
}

void CMasterView::OnModifyRow(int row)
{
    const COneRecord* record = m_pList->Model().RecordAt(row);
    if (!record)
        return;
    RunMasterEntryDialog(GetKind(), record, nullptr);
    RefreshClassHeadings();
}

void CMasterView::OnCodeChange()
{
    const QString word = GetKind().CodeLabel();
    const QList<int> rows = GetSelectedRows();
    if (rows.isEmpty()) {
        UiServices::Prompt().MessageBox(word + QStringLiteral("を変更するデータを選択してください。"));
        return;
    }
    if (rows.size() > 1) {
        UiServices::Prompt().MessageBox(QStringLiteral("複数のデータが選択されています。\n") + word +
                                        QStringLiteral("を変更するデータを、一件だけ選択してください。"));
        return;
    }
    const COneRecord* record = m_pList->Model().RecordAt(rows.first());
    const CTb* field = record ? record->GetOneField(GetTableName(), GetCodeFieldName()) : nullptr;
    const QString code = field ? field->GetText() : QString();
    if (code.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("変更するデータの") + word +
                                        QStringLiteral("が取得できません。"));
        return;
    }
    CCodeChangeDlg dialog(GetKind(), code, this);
    if (dialog.DoModal() != IDOK || !dialog.IsChanged())
        return;
    UiServices::Prompt().MessageBox(
        word + QStringLiteral("の変更が行なわれましたので、リストを表示しなおします。"), MB_OK,
        MB_ICONINFORMATION);
    Reload(true);
}
