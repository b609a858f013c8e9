#include "settings/dlg/ListEditRules.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

void CListEditRules::SelectItem(int row)
{
    m_nItemSel = row >= 0 && row < GetItems().size() ? row : -1;
}

bool CListEditRules::ConfirmCancel() const
{
    return !m_bModified ||
           UiServices::Prompt().MessageBox(QStringLiteral("変更を保存せずに画面を終了してよろしいですか？"),
                                           MB_OKCANCEL, MB_ICONQUESTION, IDCANCEL) == IDOK;
}

bool CListEditRules::IsListed(const QString& name) const
{
    if (!GetItems().contains(name))
        return false;
    UiServices::Prompt().MessageBox(QStringLiteral("その名前は既に登録されています。"), MB_OK,
                                    MB_ICONINFORMATION);
    return true;
}

bool CListEditRules::HasItemSel(const char* message) const
{
    if (m_nItemSel >= 0)
        return true;
    UiServices::Prompt().MessageBox(QString::fromUtf8(message), MB_OK, MB_ICONNONE);
    return false;
}
