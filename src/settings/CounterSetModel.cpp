#include "settings/CounterSetModel.h"

#include "settings/DocumentNumbers.h"

#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <tuple>

void CCounterSetModel::Open()
{
    // A damaged file kept: the values of a fresh counter, as a reset gives.
    const CCounterInfoElem fresh;
    const CCounterInfoElem* elem = m_info.GetElem(m_nKind);
    if (elem)
        m_nCurrentNo = elem->m_nNumber;
    if (!elem)
        elem = &fresh;
    m_nDigits = CCounterInfoElem::ClampDigits(elem->m_nDigits);
    m_nZeroFill = elem->m_nZeroFill ? 1 : 0;
    m_strPrefix = m_strOpenedPrefix = elem->m_strPrefix;
    m_strSuffix = m_strOpenedSuffix = elem->m_strSuffix;
    m_nSetNo = CCounterInfoElem::Fits(elem->m_nNumber, m_nDigits) ? elem->m_nNumber : 1;
    ProposeForForm();
    m_nNumberLimit = m_nDigits;
    m_nOpenedSetNo = m_nSetNo;
}

void CCounterSetModel::ProposeForForm()
{
    if (!m_pData)
        return;
    const bool ownForm = m_info.IsLoaded() && !m_info.IsFresh() && m_strPrefix == m_strOpenedPrefix &&
                         m_strSuffix == m_strOpenedSuffix;
    QString highest;
    m_nSetNo = CDocumentNumbers::Propose(*m_pData, m_nKind, m_strPrefix, m_strSuffix, m_nDigits, m_nSetNo,
                                         !ownForm, &highest);
    // No free number left within the digits: the number shown is one the
    // books may hold, and the user must hear why before taking it.
    if (!highest.isEmpty())
        UiServices::Prompt().MessageBox(CDocumentNumbers::FullText(m_nKind, m_nDigits, highest), MB_OK,
                                        MB_ICONEXCLAMATION);
}

QString CCounterSetModel::GetCaption() const
{
    const bool partnerCode = m_nKind == COUNTER_CUSTOMER_CODE || m_nKind == COUNTER_SUPPLIER_CODE;
    return QString::fromUtf8(partnerCode ? "取引先コード番号の設定" : "伝票番号の設定");
}

QString CCounterSetModel::GetPreview() const
{
    return m_strPrefix + CCounterInfoElem::FormatNumber(m_nSetNo, m_nDigits, m_nZeroFill) + m_strSuffix;
}

bool CCounterSetModel::StepDigits(int digits)
{
    if (digits < 1 || digits > 9)
        return false;
    if (m_nConfirmDigits) {
        const int answer = UiServices::Prompt().MessageBox(
            QString::fromUtf8(
                "有効桁数を変更すると、「設定する連番」がリセットされます。\n有効桁数を変更しますか？"),
            MB_YESNO, MB_ICONQUESTION, IDNO, QString::fromUtf8("桁数変更"));
        if (answer != IDYES)
            return false;
        m_nConfirmDigits = 0;
    }
    m_nDigits = digits;
    m_nNumberLimit = digits;
    m_nSetNo = 1;
    ProposeForForm();
    return true;
}

CCounterSetModel::Check CCounterSetModel::OnOK()
{
    // The file keeps code page 932: what it cannot hold would come back as "?".
    for (const auto& [text, caption, check] : {std::tuple{&m_strPrefix, "接頭文字", CHECK_PREFIX_CHARS},
                                               std::tuple{&m_strSuffix, "接尾文字", CHECK_SUFFIX_CHARS}}) {
        if (const QString problem = UnusableCharsProblem(QString::fromUtf8(caption), *text);
            !problem.isEmpty()) {
            UiServices::Prompt().MessageBox(problem, MB_OK, MB_ICONEXCLAMATION);
            return check;
        }
    }
    const int prefixBytes = Cp932::ByteLength(m_strPrefix);
    const int suffixBytes = Cp932::ByteLength(m_strSuffix);
    if (prefixBytes > kMaxAffixBytes)
        return CHECK_PREFIX;
    if (suffixBytes > kMaxAffixBytes)
        return CHECK_SUFFIX;
    if (m_nDigits < 1 || m_nDigits > 9)
        return CHECK_DIGITS;
    if (m_nSetNo < 1 || m_nSetNo > kMaxNumber)
        return CHECK_NUMBER;
    if (prefixBytes + m_nDigits + suffixBytes > kMaxTotalBytes) {
        UiServices::Prompt().MessageBox(
            QString::fromUtf8("接頭文字数＋桁数＋接尾文字数は20文字以内にしてください。"), MB_OK,
            MB_ICONNONE);
        return CHECK_TOTAL;
    }
    // Not loaded at opening: the file is a damaged one the user kept, and
    // these values would be lost without a word.
    if (!m_info.IsLoaded()) {
        const QString path = GetSettingsFilePath(QString::fromLatin1(CCounterInfo::kFileName));
        if (path.isEmpty())
            return CHECK_OK; // no database: nothing to keep or lose
        if (!AskResetBeforeSave(path))
            return CHECK_NOT_SAVED;
    }
    CCounterInfoElem* elem = m_info.GetElem(m_nKind);
    if (!elem)
        return CHECK_OK;
    // Numbers taken elsewhere while the dialog was open stay taken
    // unless the user chose the number himself.
    const bool untouched = m_nSetNo == m_nOpenedSetNo && elem->m_nNumber != m_nCurrentNo;
    if (!untouched)
        elem->m_nNumber = m_nSetNo;
    elem->m_nDigits = m_nDigits;
    elem->m_nZeroFill = m_nZeroFill;
    elem->m_strPrefix = m_strPrefix;
    elem->m_strSuffix = m_strSuffix;
    m_info.Save();
    return CHECK_OK;
}
