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
    if (RunMasterEntryDialog(m_nMode, nullptr, nullptr))
        RefreshClassHeadings();
}

void CMasterView::OnModifyRow(int row)
{
    const COneRecord* record = m_pList->Model().RecordAt(row);
    if (record && RunMasterEntryDialog(m_nMode, record, nullptr))
        RefreshClassHeadings();
}

void CMasterView::OnCodeChange()
{
    static const char16_t* const kWords[] = {u"品番", u"得意先コード", u"仕入先コード"};
    if (m_nMode < 1 || m_nMode > 3)
        return;
    const QString word = QString::fromUtf16(kWords[m_nMode - 1]);
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
    CCodeChangeDlg dialog(m_nMode, code, this);
    if (dialog.DoModal() != IDOK || !dialog.IsChanged())
        return;
    UiServices::Prompt().MessageBox(
        word + QStringLiteral("の変更が行なわれましたので、リストを表示しなおします。"), MB_OK,
        MB_ICONINFORMATION);
    Reload(true);
}
