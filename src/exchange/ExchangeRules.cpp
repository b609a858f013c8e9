#include "exchange/ExchangeRules.h"

#include "exchange/CsvReader.h"
#include "exchange/ExchangeText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"

#include <QFile>

QString CImportFormatRules::GetCaption() const
{
    switch (m_nMode) {
    case 0:
    case 2:
        return QStringLiteral("読み込み形式の選択");
    case 1:
    case 3:
        return QStringLiteral("書き出し形式の選択");
    default:
        return {};
    }
}

QString CImportFormatRules::GetPrompt() const
{
    switch (m_nMode) {
    case 0:
    case 2:
        return QStringLiteral(
            "データを読み込みます。\n読み込みデータの形式を選択して【次へ】をクリックしてください。");
    case 1:
    case 3:
        return QStringLiteral(
            "データを書き出します。\n書き出しデータの形式を選択して【次へ】をクリックしてください。");
    default:
        return {};
    }
}

QString CImportFormatRules::ChoiceText(int choice)
{
    switch (choice) {
    case kAccess:
        return QStringLiteral("ACCESS（2003/2002/2000/97）データ");
    case kExcel:
        return QStringLiteral("EXCEL（2003/2002/2000/97）データ");
    case kText:
        return QStringLiteral("テキスト（*.csv/*.txt）データ");
    case kContactXml:
        return QStringLiteral("ContactXML");
    default:
        return {};
    }
}

bool CImportFormatRules::IsChoiceShown(int choice) const
{
    if (choice == kAccess)
        return m_nMode != 1 && m_nMode != 3;
    if (choice == kContactXml)
        return m_nMode != 2 && m_nMode != 3;
    return choice == kExcel || choice == kText;
}

bool CImportFormatRules::OnOK()
{
    if (m_nChoice < 0 || !IsChoiceShown(m_nChoice)) {
        ShowExchangeMessage(QStringLiteral("形式を選択してください"));
        return false;
    }
    return true;
}

bool CTextFormatRules::OnInitDialog()
{
    CWaitCursor wait;
    m_bOtherEnabled = m_nChoice == kOther;
    return LoadPreview();
}

bool CTextFormatRules::LoadPreview()
{
    // The file's encoding is decided (refused, read, or asked) over all of
    // it before its beginning is shown, and shown in the reading chosen.
    CCsvReader reader(m_strPath, QChar(), 0);
    const auto decided = LongWork::Run([&] { return reader.DecideFileEncoding(true); });
    if (decided.stopped || !decided.value)
        return false;
    m_nEncoding = reader.m_nEncoding;
    QFile file(m_strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        return false;
    }
    const QByteArray head = file.read(kPreviewBytes);
    if (file.error() != QFileDevice::NoError) {
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        return false;
    }
    m_strPreview = CCsvReader::DecodePreview(head, m_nEncoding == CCsvReader::kUtf8);
    return true;
}

void CTextFormatRules::OnFixedDelimiter(int choice)
{
    m_nChoice = choice;
    m_bOtherEnabled = false;
    m_strOther.clear();
}

void CTextFormatRules::OnOtherDelimiter()
{
    m_nChoice = kOther;
    m_bOtherEnabled = true;
}

void CTextFormatRules::OnChangeOther(const QString& text)
{
    m_strOther.clear();
    if (text.isEmpty())
        return;
    const QString first = text.left(text.at(0).isHighSurrogate() ? 2 : 1);
    QString unmappable;
    if (Cp932::Encode(first, &unmappable).size() != 1 || !unmappable.isEmpty())
        return; // a double-byte character can never be a delimiter
    if (first == QLatin1String("\"")) {
        ShowExchangeMessage(QStringLiteral("区切り文字には \" (ダブルクォーテーション)は使用できません。"));
        return;
    }
    m_strOther = first;
}

QChar CTextFormatRules::GetDelimiter() const
{
    switch (m_nChoice) {
    case kComma:
        return u',';
    case kTab:
        return u'\t';
    case kSpace:
        return u' ';
    default:
        break;
    }
    if (m_strOther.isEmpty())
        return {};
    // As the file's byte decodes: "¥" is the byte 0x5C, which reads "\".
    const QString decoded = Cp932::Decode(Cp932::Encode(m_strOther.left(1)));
    return decoded.isEmpty() ? QChar() : decoded.at(0);
}

bool CSheetSelectRules::OnOK()
{
    if (m_nSelected < 0 || m_nSelected >= m_names.size()) {
        ShowExchangeMessage(QStringLiteral("シート名を選択してください."));
        return false;
    }
    m_strChosen = m_names.at(m_nSelected);
    return true;
}

bool CTableSelectRules::OnInitDialog()
{
    m_nSelected = -1;
    if (!m_pNames) {
        ShowExchangeMessage(QStringLiteral("引数が不正です"));
        return false;
    }
    return true;
}

bool CTableSelectRules::OnOK()
{
    if (!m_pNames || m_nSelected < 0 || m_nSelected >= m_pNames->size()) {
        ShowExchangeMessage(QStringLiteral("テーブルを選択してください"));
        return false;
    }
    m_strChosen = m_pNames->at(m_nSelected);
    return true;
}
