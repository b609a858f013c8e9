#include "settings/BunruiData.h"

namespace
{

const int kElemVersion = 1;

} // namespace

QString GetDefaultBunruiTitle(int index)
{
    static const char* const kTitles[] = {"分類１", "分類２", "分類３", "分類４", "分類５"};
    return index >= 0 && index < 5 ? QString::fromUtf8(kTitles[index]) : QString();
}

void CBunruiDataElem::Serialize(CArchiveReader& ar)
{
    ar.ReadInt32(); // version
    m_nLedger = ar.ReadInt32();
    m_nIndex = ar.ReadInt32();
    m_strTitle = ar.ReadText();
    m_contents = ar.ReadTextList();
}

void CBunruiDataElem::Serialize(CArchiveWriter& ar) const
{
    ar.WriteInt32(kElemVersion);
    ar.WriteInt32(m_nLedger);
    ar.WriteInt32(m_nIndex);
    ar.WriteText(m_strTitle);
    ar.WriteTextList(m_contents);
}

int CBunruiData::Load()
{
    if (m_bLoaded)
        return 1;
    const int result = LoadSettingsElems(QString::fromLatin1(kFileName), m_strPath, m_elems);
    m_bLoaded = result == 1;
    return result;
}

int CBunruiData::Reload()
{
    if (!m_bLoaded)
        return Load();
    m_bLoaded = ReloadSettingsElems(m_strPath, m_elems) == 1;
    return m_bLoaded ? 1 : 0;
}

int CBunruiData::Save()
{
    // After a refused reset the path names the damaged file the user kept.
    if (!m_bLoaded)
        return 0;
    return SaveSettingsElems(m_strPath, m_elems);
}

int CBunruiData::SaveEdits()
{
    if (!m_bLoaded && !m_strPath.isEmpty()) {
        if (!AskResetBeforeSave(m_strPath))
            return -1;
        m_bLoaded = true;
    }
    return Save();
}

CBunruiDataElem* CBunruiData::Find(int ledger, int index)
{
    if (!Load())
        return nullptr;
    for (const auto& elem : m_elems)
        if (elem->m_nLedger == ledger && elem->m_nIndex == index)
            return elem.get();
    return nullptr;
}

QString CBunruiData::GetTitle(int ledger, int index)
{
    const CBunruiDataElem* elem = Find(ledger, index);
    return elem && !elem->m_strTitle.isEmpty() ? elem->m_strTitle : GetDefaultBunruiTitle(index);
}

int CBunruiData::SetTitle(int ledger, int index, const QString& title)
{
    if (!Reload())
        return 0;
    if (CBunruiDataElem* elem = Find(ledger, index)) {
        elem->m_strTitle = title;
    } else {
        Append(ledger, index, title);
    }
    return Save();
}

int CBunruiData::AddContent(int ledger, int index, const QString& text)
{
    if (!Load())
        return 0;
    if (CBunruiDataElem* elem = Find(ledger, index)) {
        if (!elem->m_contents.contains(text))
            elem->m_contents.append(text);
    } else {
        Append(ledger, index, GetDefaultBunruiTitle(index))->m_contents.append(text);
    }
    return 1;
}

int CBunruiData::AddContentAndSave(int ledger, int index, const QString& text)
{
    if (!Reload() || !AddContent(ledger, index, text))
        return 0;
    return Save();
}

void CBunruiData::RemoveAll()
{
    m_elems.clear();
}

CBunruiDataElem* CBunruiData::Append(int ledger, int index, const QString& title)
{
    auto elem = std::make_unique<CBunruiDataElem>();
    elem->m_nLedger = ledger;
    elem->m_nIndex = index;
    elem->m_strTitle = title;
    m_elems.push_back(std::move(elem));
    return m_elems.back().get();
}
