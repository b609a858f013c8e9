#include "settings/CompanyInfo.h"

#include "platform/text/Cp932.h"
#include "platform/ui/TextLimit.h"
#include "settings/ComboData.h"
#include "settings/CompanyText.h"
#include "settings/SettingsArchive.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QFile>

#include "platform/archive/SafeFile.h"

namespace
{

enum Item { I_COM, I_BUSYO, I_NAME, I_ZIP, I_ADD, I_TEL, I_FAX, I_KOUZA, I_CATCH };

} // namespace

QString ReadCompanyInfoItem(int index)
{
    if (index < 0 || index >= CCompanyInfoRules::kItemCount)
        return {};
    const QString folder = GetCurrentDBFolder();
    if (folder.isEmpty())
        return {};
    return ReadDefaultValue(OtherFolder(folder), CCompanyInfoRules::ItemFileNames()[index]);
}

const QStringList& CCompanyInfoRules::ItemFileNames()
{
    static const QStringList names{
        QStringLiteral("COM.AUT"),     QStringLiteral("BUSYO.AUT"), QStringLiteral("NAME.AUT"),
        QStringLiteral("ZIPHIFN.AUT"), QStringLiteral("ADD.AUT"),   QStringLiteral("TEL.AUT"),
        QStringLiteral("FAX.AUT"),     QStringLiteral("KOUZA.AUT"), QStringLiteral("CATCH.AUT")};
    return names;
}

const QStringList& CCompanyInfoRules::SaveFileNames()
{
    static const QStringList names{
        QStringLiteral("COM.AUT"),     QStringLiteral("BUSYO.AUT"),   QStringLiteral("NAME.AUT"),
        QStringLiteral("ZIPHIFN.AUT"), QStringLiteral("TATEZIP.AUT"), QStringLiteral("ZIP.AUT"),
        QStringLiteral("ZENZIP.AUT"),  QStringLiteral("ADD.AUT"),     QStringLiteral("TATEADD.AUT"),
        QStringLiteral("TEL.AUT"),     QStringLiteral("TATETEL.AUT"), QStringLiteral("TELNOHIFN.AUT"),
        QStringLiteral("FAX.AUT"),     QStringLiteral("TATEFAX.AUT"), QStringLiteral("KOUZA.AUT"),
        QStringLiteral("CATCH.AUT")};
    return names;
}

QStringList CCompanyInfoRules::Captions()
{
    return {QStringLiteral("会社名"), QStringLiteral("部署名"),      QStringLiteral("担当者"),
            QStringLiteral("〒"),     QStringLiteral("住所/所在地"), QStringLiteral("TEL"),
            QStringLiteral("FAX"),    QStringLiteral("取引銀行"),    QStringLiteral("会社ｷｬｯﾁﾌﾚｰｽﾞ")};
}

QString CCompanyInfoRules::Note()
{
    return QStringLiteral("登録した自社情報は、伝票フォーム画面の自社情報欄に自動で入力されます。\r\n"
                          "この情報はメニュー画面【設定】-[自社情報の設定]から設定できます。");
}

void CCompanyInfoRules::SplitPostcode(const QString& text, QString& part1, QString& part2)
{
    part1.clear();
    part2.clear();
    if (Cp932::ByteLength(text) <= 1) {
        if (text != u"-")
            part1 = text;
        return;
    }
    QString gathered;
    bool hyphen = false;
    for (const QChar c : text) {
        if (c == u'-') {
            part1 = gathered;
            gathered.clear();
            hyphen = true;
        } else {
            gathered += c;
        }
    }
    part2 = gathered;
    if (!hyphen)
        part1.clear();
}

void CCompanyInfoRules::SplitTelephone(const QString& text, QString& part1, QString& part2, QString& part3)
{
    part1.clear();
    part2.clear();
    part3.clear();
    if (Cp932::ByteLength(text) <= 2) {
        part1 = text;
        return;
    }
    QString gathered;
    int hyphens = 0;
    for (const QChar c : text) {
        if (c != u'-') {
            gathered += c;
            continue;
        }
        if (hyphens == 0)
            part1 = gathered;
        else if (hyphens == 1)
            part2 = gathered;
        ++hyphens;
        gathered.clear();
    }
    part3 = gathered;
}

QString CCompanyInfoRules::JoinParts(const QStringList& parts)
{
    for (const QString& part : parts)
        if (!part.isEmpty())
            return parts.join(u'-');
    return {};
}

QString CCompanyInfoRules::FilterDigits(const QString& text)
{
    qsizetype n = 0;
    while (n < text.size() && text[n] >= u'0' && text[n] <= u'9')
        ++n;
    return text.left(n);
}

bool CCompanyInfoRules::IsDigitField(Field field)
{
    return field == ZIP1 || field == ZIP2 || (field >= TEL1 && field <= FAX3);
}

int CCompanyInfoRules::MaxLength(Field field)
{
    return field == ZIP1 ? 3 : field == ZIP2 ? 4 : 0;
}

int CCompanyInfoRules::MaxBytes(Field field)
{
    return field == PERSON ? CComboData::GetTextLimit(COMBO_TANTO) : 0;
}

QString CCompanyInfoRules::LengthProblem(Field field, const QString& text)
{
    const int most = MaxBytes(field);
    if (most <= 0 || Cp932::ByteLength(text) <= most)
        return {};
    return TextLimitCharsMessage(Captions()[field], most);
}

CCompanyInfoRules::Field CCompanyInfoRules::NextFocus(Field field, const QString& text)
{
    switch (field) {
    case ZIP1:
        return text.size() == 3 ? ZIP2 : NO_FIELD;
    case ZIP2:
        return text.size() == 4 ? ADDRESS : NO_FIELD;
    case TEL3:
        return text.size() == 4 ? FAX1 : NO_FIELD;
    case FAX3:
        return text.size() == 4 ? ACCOUNT : NO_FIELD;
    default:
        return NO_FIELD;
    }
}

void CCompanyInfoRules::Open(const QString& dbFolder)
{
    m_bFirstRun = false;
    if (!dbFolder.isEmpty()) {
        const QString marker = FindFileNoCase(dbFolder, FirstRunMarker());
        if (!marker.isEmpty()) {
            // A marker that will not go still counts: the setup is shown
            // now, and again on the next start.
            QFile::remove(marker);
            m_bFirstRun = true;
        }
    }
    Load(dbFolder);
}

void CCompanyInfoRules::Load(const QString& dbFolder)
{
    for (QString& field : m_strField)
        field.clear();
    if (dbFolder.isEmpty())
        return;
    const QString other = OtherFolder(dbFolder);
    QStringList items;
    for (const QString& name : ItemFileNames())
        items << ReadDefaultValue(other, name);
    m_strField[COMPANY] = items[I_COM];
    m_strField[DEPARTMENT] = items[I_BUSYO];
    m_strField[PERSON] = items[I_NAME];
    SplitPostcode(items[I_ZIP], m_strField[ZIP1], m_strField[ZIP2]);
    m_strField[ADDRESS] = items[I_ADD];
    SplitTelephone(items[I_TEL], m_strField[TEL1], m_strField[TEL2], m_strField[TEL3]);
    SplitTelephone(items[I_FAX], m_strField[FAX1], m_strField[FAX2], m_strField[FAX3]);
    m_strField[ACCOUNT] = items[I_KOUZA];
    m_strField[CATCH] = items[I_CATCH];
}

QStringList CCompanyInfoRules::ItemTexts() const
{
    const QString* f = m_strField;
    return {f[COMPANY],
            f[DEPARTMENT],
            f[PERSON],
            JoinParts({f[ZIP1], f[ZIP2]}),
            f[ADDRESS],
            JoinParts({f[TEL1], f[TEL2], f[TEL3]}),
            JoinParts({f[FAX1], f[FAX2], f[FAX3]}),
            f[ACCOUNT],
            f[CATCH]};
}

QStringList CCompanyInfoRules::SaveTexts() const
{
    const QStringList items = ItemTexts();
    // The parts of the plain forms come from the stored text, as a reader
    // of the files would split it.
    QString zip1, zip2, tel1, tel2, tel3;
    SplitPostcode(items[I_ZIP], zip1, zip2);
    SplitTelephone(items[I_TEL], tel1, tel2, tel3);
    const QString zip = zip1 + zip2;
    return {items[I_COM],
            items[I_BUSYO],
            items[I_NAME],
            items[I_ZIP],
            ToVerticalDigits(items[I_ZIP]),
            zip,
            ToFullWidthDigits(zip),
            items[I_ADD],
            ToVerticalText(items[I_ADD]),
            items[I_TEL],
            ToVerticalDigits(items[I_TEL]),
            tel1 + tel2 + tel3,
            items[I_FAX],
            ToVerticalDigits(items[I_FAX]),
            items[I_KOUZA],
            items[I_CATCH]};
}

bool CCompanyInfoRules::Save(const QString& dbFolder) const
{
    // A refusal names the item: each derived form is named as its source.
    const QStringList items = Captions();
    const QStringList captions{items[I_COM], items[I_BUSYO], items[I_NAME],  items[I_ZIP],
                               items[I_ZIP], items[I_ZIP],   items[I_ZIP],   items[I_ADD],
                               items[I_ADD], items[I_TEL],   items[I_TEL],   items[I_TEL],
                               items[I_FAX], items[I_FAX],   items[I_KOUZA], items[I_CATCH]};
    return WriteDefaultValues(dbFolder, SaveFileNames(), SaveTexts(), captions);
}
