#include "settings/CounterInfo.h"

#include <algorithm>

namespace
{

const int kElemVersion = 1;

qint64 PowerOfTen(int exponent)
{
    qint64 power = 1;
    while (exponent-- > 0)
        power *= 10;
    return power;
}

CCounterInfoElem* FindKind(const SettingsElems<CCounterInfoElem>& elems, int kind)
{
    for (const auto& elem : elems)
        if (elem->m_nKind == kind)
            return elem.get();
    return nullptr;
}

} // namespace

void CCounterInfoElem::Serialize(CArchiveReader& ar)
{
    ar.ReadInt32(); // version
    m_nKind = ar.ReadInt32();
    m_nNumber = ar.ReadInt32();
    m_nDigits = ar.ReadInt32();
    m_nZeroFill = ar.ReadInt32();
    m_strPrefix = ar.ReadText();
    m_strSuffix = ar.ReadText();
    m_nAuto = ar.ReadInt32();
}

void CCounterInfoElem::Serialize(CArchiveWriter& ar) const
{
    ar.WriteInt32(kElemVersion);
    ar.WriteInt32(m_nKind);
    ar.WriteInt32(m_nNumber);
    ar.WriteInt32(m_nDigits);
    ar.WriteInt32(m_nZeroFill);
    ar.WriteText(m_strPrefix);
    ar.WriteText(m_strSuffix);
    ar.WriteInt32(m_nAuto);
}

int CCounterInfoElem::ClampDigits(int digits)
{
    return std::clamp(digits, 1, 9);
}

bool CCounterInfoElem::Fits(qint64 number, int digits)
{
    return number / PowerOfTen(ClampDigits(digits)) == 0;
}

qint64 CCounterInfoElem::LastNumber(int digits)
{
    return PowerOfTen(ClampDigits(digits)) - 1;
}

int CCounterInfoElem::NextNumber(int number, int digits, bool* wrapped)
{
    const qint64 next = qint64(number) + 1;
    const bool over = !Fits(next, digits);
    if (wrapped)
        *wrapped = over;
    return over ? 1 : int(next);
}

QString CCounterInfoElem::FormatNumber(int number, int digits, int zeroFill)
{
    if (zeroFill == 1 && Fits(number, digits))
        return QString::asprintf("%.*d", ClampDigits(digits), number);
    return QString::number(number);
}

QString CCounterInfoElem::Format() const
{
    return m_strPrefix + FormatNumber(m_nNumber, m_nDigits, m_nZeroFill) + m_strSuffix;
}

CCounterInfoElem* CCounterInfo::GetElem(int kind)
{
    if (m_pCurrent) {
        // Another user of the file may have taken numbers since.
        SettingsElems<CCounterInfoElem> fresh;
        if (ReloadSettingsElems(m_strPath, fresh))
            Adopt(fresh, true);
        return m_pCurrent;
    }
    if (!m_bLoaded)
        Load(kind);
    return m_pCurrent;
}

int CCounterInfo::Load(int kind)
{
    m_pCurrent = nullptr;
    m_bLoaded = false;
    if (!LoadSettingsElems(QString::fromLatin1(kFileName), m_strPath, m_elems))
        return 0;
    m_pCurrent = FindKind(m_elems, kind);
    m_bFresh = !m_pCurrent;
    if (!m_pCurrent) {
        auto elem = std::make_unique<CCounterInfoElem>();
        elem->m_nKind = kind;
        m_pCurrent = elem.get();
        m_elems.push_back(std::move(elem));
    }
    m_bLoaded = true;
    return 1;
}

int CCounterInfo::Increment()
{
    int first = 0;
    return Reserve(1, first);
}

int CCounterInfo::Reserve(int count, int& first)
{
    return count < 1 ? 0 : ReserveBlock(count, first, nullptr, 0);
}

int CCounterInfo::ReserveFrom(int seen, int from, int count, int& first)
{
    return count < 0 ? 0 : ReserveBlock(count, first, &seen, from);
}

int CCounterInfo::ReserveBlock(int count, int& first, const int* seen, int from)
{
    if (!m_bLoaded || m_strPath.isEmpty() || !m_pCurrent)
        return 0;
    m_nBlockFirst = m_nBlockNext = 0;
    int taken = 0;
    const int result = Commit(count, &taken, seen, from);
    if (result != 0 && result != kMoved && count > 0) {
        first = taken;
        m_nBlockFirst = taken;
        m_nBlockNext = m_pCurrent->m_nNumber;
    }
    return result;
}

int CCounterInfo::GiveBack()
{
    if (!m_bLoaded || m_strPath.isEmpty() || !m_pCurrent || m_nBlockFirst == 0)
        return 0;
    SettingsElems<CCounterInfoElem> fresh;
    if (!ReloadSettingsElems(m_strPath, fresh))
        return 0;
    Adopt(fresh, true);
    if (m_pCurrent->m_nNumber != m_nBlockNext)
        return 0;
    m_pCurrent->m_nNumber = m_nBlockFirst;
    if (!SaveSettingsElems(m_strPath, m_elems)) {
        m_pCurrent->m_nNumber = m_nBlockNext;
        return 0;
    }
    m_nBlockFirst = m_nBlockNext = 0;
    return 1;
}

int CCounterInfo::Save()
{
    if (!m_bLoaded || !m_pCurrent)
        return 0;
    return Commit(0);
}

void CCounterInfo::RemoveAll()
{
    m_pCurrent = nullptr;
    m_elems.clear();
    m_bLoaded = false;
    m_bFresh = false;
}

void CCounterInfo::Adopt(SettingsElems<CCounterInfoElem>& fresh, bool takeStored)
{
    CCounterInfoElem* stored = FindKind(fresh, m_pCurrent->m_nKind);
    if (stored)
        m_bFresh = false; // another user of the file has saved it meanwhile
    if (stored && takeStored)
        *m_pCurrent = *stored;
    // The served element stays the same object: callers hold it.
    auto mine = std::find_if(m_elems.begin(), m_elems.end(),
                             [this](const auto& elem) { return elem.get() == m_pCurrent; });
    std::unique_ptr<CCounterInfoElem> current = std::move(*mine);
    auto slot =
        std::find_if(fresh.begin(), fresh.end(), [stored](const auto& elem) { return elem.get() == stored; });
    if (stored)
        *slot = std::move(current);
    else
        fresh.push_back(std::move(current));
    m_elems = std::move(fresh);
}

int CCounterInfo::Commit(int advance, int* first, const int* seen, int from)
{
    SettingsElems<CCounterInfoElem> fresh;
    if (!ReloadSettingsElems(m_strPath, fresh))
        return 0;
    Adopt(fresh, advance > 0 || seen);
    if (seen) {
        if (m_pCurrent->m_nNumber != *seen)
            return kMoved;
        m_pCurrent->m_nNumber = from;
    }
    int result = 1;
    if (first)
        *first = m_pCurrent->m_nNumber;
    for (int i = 0; i < advance; ++i) {
        bool wrapped = false;
        m_pCurrent->m_nNumber =
            CCounterInfoElem::NextNumber(m_pCurrent->m_nNumber, m_pCurrent->m_nDigits, &wrapped);
        if (wrapped)
            result = -1;
    }
    if (!SaveSettingsElems(m_strPath, m_elems))
        return 0;
    m_bFresh = false;
    return result;
}
