#include "settings/dlg/NameListRules.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <algorithm>

namespace
{

struct ModeTexts {
    const char* caption;
    const char* header;
    const char* note;
    const char* label;
    const char* addCaption;
    const char* addPrompt;
    const char* changeCaption;
    const char* changePrompt;
    const char* field; // named in a refusal of a name's characters
};

const ModeTexts kModeTexts[] = {
    {"自社担当者の設定",
     "自社担当者を登録・変更・削除します。\n設定が完了したら【OK】ボタンをクリックしてください。",
     "※なお、各画面の自社担当者を設定するコンボボックスで入力すると自動的に登録されます。",
     "現在登録されている自社担当者：", "自社担当者の追加",
     "追加する自社担当者を入力して【OK】をクリックしてください。", "自社担当者の変更",
     "自社担当者名を変更して【OK】をクリックしてください。", "自社担当者"},
    {"入金摘要内容の設定",
     "入金摘要内容を登録・変更・削除します。\n設定が完了したら【OK】ボタンをクリックしてください。",
     "※なお、入金画面の摘要を設定するコンボボックスで入力すると自動的に登録されます。",
     "現在登録されている入金摘要内容：", "入金摘要内容の追加",
     "追加する入金摘要内容を入力して【OK】をクリックしてください。", "入金摘要内容の変更",
     "入金摘要内容名を変更して【OK】をクリックしてください。", "入金摘要内容"},
    {"単位の設定",
     "商品の単位を登録・変更・削除します。\n設定が完了したら【OK】ボタンをクリックしてください。",
     "※なお、商品登録画面の単位を設定するコンボボックスで入力すると自動的に登録されます。",
     "現在登録されている単位：", "単位の追加", "追加する単位を入力して【OK】をクリックしてください。",
     "単位の変更", "単位名を変更して【OK】をクリックしてください。", "単位"},
};

const ModeTexts* TextsOf(int mode)
{
    return mode >= 0 && mode < int(std::size(kModeTexts)) ? &kModeTexts[mode] : nullptr;
}

QString Text(int mode, const char* ModeTexts::*field)
{
    const ModeTexts* texts = TextsOf(mode);
    return texts ? QString::fromUtf8(texts->*field) : QString();
}

} // namespace

QString CNameListRules::GetCaption() const
{
    return Text(m_nMode, &ModeTexts::caption);
}

QString CNameListRules::GetHeader() const
{
    return Text(m_nMode, &ModeTexts::header);
}

QString CNameListRules::GetNote() const
{
    return Text(m_nMode, &ModeTexts::note);
}

QString CNameListRules::GetListLabel() const
{
    return Text(m_nMode, &ModeTexts::label);
}

void CNameListRules::Open()
{
    m_data.Load(m_nMode);
    m_nItemSel = Count() > 0 ? 0 : -1;
}

QStringList CNameListRules::GetItems() const
{
    QStringList names;
    for (const auto& elem : m_data.GetElems())
        names << elem->m_strText;
    return names;
}

CNameRequest CNameListRules::Request(bool add) const
{
    return {Text(m_nMode, add ? &ModeTexts::addCaption : &ModeTexts::changeCaption),
            Text(m_nMode, add ? &ModeTexts::addPrompt : &ModeTexts::changePrompt), QString(),
            CComboData::GetTextLimit(m_nMode), Text(m_nMode, &ModeTexts::field)};
}

CNameRequest CNameListRules::GetAddRequest() const
{
    return Request(true);
}

bool CNameListRules::Add(const QString& name)
{
    if (!TextsOf(m_nMode) || name.isEmpty() || IsListed(name))
        return false;
    auto elem = std::make_unique<CComboDataElem>();
    elem->m_strText = name;
    m_data.GetElems().push_back(std::move(elem));
    m_nItemSel = Count() - 1;
    m_bModified = true;
    return true;
}

bool CNameListRules::BeginChange(CNameRequest& request) const
{
    if (!HasItemSel("変更する項目を選択してください。"))
        return false;
    request = Request(false);
    request.name = m_data.GetElems()[m_nItemSel]->m_strText;
    return true;
}

bool CNameListRules::Change(const QString& name)
{
    if (m_nItemSel < 0 || name.isEmpty() || name == m_data.GetElems()[m_nItemSel]->m_strText ||
        IsListed(name))
        return false;
    m_data.GetElems()[m_nItemSel]->m_strText = name;
    m_bModified = true;
    return true;
}

bool CNameListRules::Delete()
{
    if (!HasItemSel("削除する項目を選択してください。"))
        return false;
    auto& elems = m_data.GetElems();
    if (elems[m_nItemSel]->m_nDeletable == 0) {
        UiServices::Prompt().MessageBox(QStringLiteral("この項目は削除できません"), MB_OK, MB_ICONNONE);
        return false;
    }
    if (UiServices::Prompt().MessageBox(QStringLiteral("選択している項目を削除してよろしいですか？"),
                                        MB_YESNO, MB_ICONQUESTION, IDNO) != IDYES)
        return false;
    elems.erase(elems.begin() + m_nItemSel);
    m_nItemSel = std::min(m_nItemSel, Count() - 1);
    m_bModified = true;
    return true;
}

bool CNameListRules::MoveUp()
{
    if (!HasItemSel("移動する項目を選択してください。") || m_nItemSel == 0)
        return false;
    auto& elems = m_data.GetElems();
    std::swap(elems[m_nItemSel], elems[m_nItemSel - 1]);
    --m_nItemSel;
    m_bModified = true;
    return true;
}

bool CNameListRules::MoveDown()
{
    if (!HasItemSel("移動する項目を選択してください。") || m_nItemSel >= Count() - 1)
        return false;
    auto& elems = m_data.GetElems();
    std::swap(elems[m_nItemSel], elems[m_nItemSel + 1]);
    ++m_nItemSel;
    m_bModified = true;
    return true;
}
