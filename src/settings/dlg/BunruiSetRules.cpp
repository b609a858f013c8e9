#include "settings/dlg/BunruiSetRules.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <algorithm>

QStringList CBunruiSetRules::GetLedgerNames()
{
    return {QStringLiteral("商品台帳"), QStringLiteral("得意先台帳")};
}

void CBunruiSetRules::Open()
{
    m_nLedgerSel = BUNRUI_PRODUCT;
    m_data.Load();
    FillClasses();
}

void CBunruiSetRules::SelectLedger(int ledger)
{
    m_nLedgerSel = ledger >= 0 && ledger < GetLedgerNames().size() ? ledger : -1;
    FillClasses();
}

// Each element of the ledger takes the place of its classification; an
// element with a class index outside 0-4, or a second one for the same
// classification (a damaged file), is not shown: the lists and entry
// dialogs use the first.
void CBunruiSetRules::FillClasses()
{
    for (int i = 0; i < kClassCount; ++i)
        m_entries[i] = {GetDefaultBunruiTitle(i), nullptr};
    if (m_nLedgerSel >= 0) {
        for (const auto& elem : m_data.GetElems()) {
            if (elem->m_nLedger != m_nLedgerSel || elem->m_nIndex < 0 || elem->m_nIndex >= kClassCount ||
                m_entries[elem->m_nIndex].elem)
                continue;
            // An element without a title of its own shows the default one.
            const QString title =
                elem->m_strTitle.isEmpty() ? GetDefaultBunruiTitle(elem->m_nIndex) : elem->m_strTitle;
            m_entries[elem->m_nIndex] = {title, elem.get()};
        }
    }
    SelectClass(0);
}

QStringList CBunruiSetRules::GetClassTitles() const
{
    QStringList titles;
    for (const Entry& entry : m_entries)
        titles << entry.title;
    return titles;
}

void CBunruiSetRules::SelectClass(int index)
{
    m_nClassSel = index >= 0 && index < kClassCount ? index : -1;
    m_nItemSel = GetItems().isEmpty() ? -1 : 0;
}

QString CBunruiSetRules::ClassTitle() const
{
    return m_nClassSel >= 0 ? m_entries[m_nClassSel].title : QStringLiteral("分類内容");
}

CBunruiDataElem* CBunruiSetRules::CurrentElem() const
{
    return m_nClassSel >= 0 ? m_entries[m_nClassSel].elem : nullptr;
}

QStringList CBunruiSetRules::GetItems() const
{
    const CBunruiDataElem* elem = CurrentElem();
    return elem ? elem->m_contents : QStringList();
}

CBunruiDataElem* CBunruiSetRules::TakeElem(const QString& title)
{
    Entry& entry = m_entries[m_nClassSel];
    if (!entry.elem) {
        auto elem = std::make_unique<CBunruiDataElem>();
        elem->m_nLedger = m_nLedgerSel;
        elem->m_nIndex = m_nClassSel;
        elem->m_strTitle = title;
        entry.elem = elem.get();
        m_data.GetElems().push_back(std::move(elem));
    }
    return entry.elem;
}

// Contents are limited like the boxes that learn them.
CNameRequest CBunruiSetRules::GetAddRequest() const
{
    return {QStringLiteral("分類内容の追加"),
            QStringLiteral("新しい分類内容を入力して【OK】をクリックしてください"), QString(),
            kMaxContentBytes, ClassTitle()};
}

bool CBunruiSetRules::Add(const QString& text)
{
    if (m_nLedgerSel < 0 || m_nClassSel < 0 || text.isEmpty() || IsListed(text))
        return false;
    TakeElem(m_entries[m_nClassSel].title)->m_contents.append(text);
    m_bModified = true;
    return true;
}

bool CBunruiSetRules::BeginChange(CNameRequest& request) const
{
    if (!HasItemSel("変更する項目を選択してください。"))
        return false;
    request = {QStringLiteral("分類内容の変更"),
               QStringLiteral("分類内容名を変更して【OK】をクリックしてください。"),
               GetItems().at(m_nItemSel), kMaxContentBytes, ClassTitle()};
    return true;
}

bool CBunruiSetRules::Change(const QString& text)
{
    if (m_nItemSel < 0 || text.isEmpty() || text == GetItems().at(m_nItemSel) || IsListed(text))
        return false;
    CurrentElem()->m_contents[m_nItemSel] = text;
    m_bModified = true;
    return true;
}

bool CBunruiSetRules::Delete()
{
    if (!HasItemSel("データを選択してください"))
        return false;
    if (UiServices::Prompt().MessageBox(QStringLiteral("削除してもよろしいですか？"), MB_YESNO,
                                        MB_ICONQUESTION, IDNO) != IDYES)
        return false;
    QStringList& contents = CurrentElem()->m_contents;
    contents.removeAt(m_nItemSel);
    m_nItemSel = std::min(m_nItemSel, int(contents.size()) - 1);
    m_bModified = true;
    return true;
}

bool CBunruiSetRules::MoveUp()
{
    if (!HasItemSel("データを選択してください") || m_nItemSel == 0)
        return false;
    CurrentElem()->m_contents.move(m_nItemSel, m_nItemSel - 1);
    --m_nItemSel;
    m_bModified = true;
    return true;
}

bool CBunruiSetRules::MoveDown()
{
    if (!HasItemSel("データを選択してください") || m_nItemSel >= GetItems().size() - 1)
        return false;
    CurrentElem()->m_contents.move(m_nItemSel, m_nItemSel + 1);
    ++m_nItemSel;
    m_bModified = true;
    return true;
}

bool CBunruiSetRules::BeginRename(QString& title) const
{
    if (m_nLedgerSel < 0 || m_nClassSel < 0)
        return false;
    title = m_entries[m_nClassSel].title;
    return true;
}

bool CBunruiSetRules::Rename(const QString& title)
{
    if (m_nLedgerSel < 0 || m_nClassSel < 0 || title.isEmpty() || title == m_entries[m_nClassSel].title)
        return false;
    TakeElem(title)->m_strTitle = title;
    m_entries[m_nClassSel].title = title;
    m_bModified = true;
    return true;
}
