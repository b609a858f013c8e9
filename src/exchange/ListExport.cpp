#include "exchange/ListExport.h"
#include "platform/data/MasterKinds.h"

#include "app/FieldCodes.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ExchangeText.h"
#include "platform/data/Record.h"
#include "platform/office/ContactXml.h"
#include "platform/office/QRTData.h"
#include "platform/office/XlsxWriter.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

#include <QSaveFile>

namespace
{

const char kNoData[] = "書き出すデータがありません";
const char kFileError[] = "ファイル操作中にエラーが発生しました。";

void Tell(const char* text, int icon = MB_ICONEXCLAMATION)
{
    ShowExchangeMessage(QString::fromUtf8(text), icon);
}

bool IsCollectDay(const QString& table, const QString& field)
{
    return (table == QLatin1String("Customer") || table == QLatin1String("Supplier")) &&
           field == QLatin1String("CollectDay");
}

// The collection day as the list writes it: with `withCode` "25:25日" or
// "99:月末", else "25日" or "月末". A cycle of 0 (counted after the invoice)
// always writes the day as a number.
QString CollectDayText(const COneRecord& record, const QString& table, const CTb& field, bool withCode)
{
    int day = 0;
    field.GetData(day);
    int cycle = -1;
    const CTb* cycleField = record.GetOneField(table, QStringLiteral("CollectCycle"));
    const bool afterInvoice = cycleField && cycleField->GetData(cycle) && cycle == 0;
    const QString word =
        (!afterInvoice && day == 99) ? QStringLiteral("月末") : QStringLiteral("%1日").arg(day);
    return withCode ? QStringLiteral("%1:%2").arg(day).arg(word) : word;
}

} // namespace

CListExport::CListExport(const CMasterKind& kind) : CListExport(&kind, kind.number) {}

CListExport::CListExport(const CMasterKind* master, int listKind) : m_pMaster(master), m_nListKind(listKind)
{
}

CListExport CListExport::ForReportList(int mode)
{
    return CListExport(nullptr, mode);
}

QString CListExport::GetTableName() const
{
    return m_pMaster ? m_pMaster->Table() : QString();
}

void CListExport::ClearRows()
{
    m_rows.clear();
    m_codes.clear();
}

QString CListExport::CsvQuote(const QString& text)
{
    if (!text.contains(u'"'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return quoted;
}

int CListExport::Export(const CCDSData* records, int askFormat, int askFile, int askColumns)
{
    if (!records) {
        Tell("引数が不正です");
        return 2;
    }
    if (records->GetCount() == 0) {
        Tell(kNoData);
        return 2;
    }
    int format = CImportFormatRules::kExcel;
    if (askFormat) {
        CImportFormatRules rules(m_pMaster && m_pMaster->side ? 1 : 3);
        if (ExchangeDialogs().RunImportFormat(rules) != IDOK)
            return IDCANCEL;
        format = rules.m_nChoice;
    }
    if (format == CImportFormatRules::kExcel && CExcelApp::GetExcelVersion() < 8) {
        Tell("Microsoft(R) Excel97以上 がインストールされている必要があります。\n");
        return 2;
    }
    if (format != CImportFormatRules::kExcel || askFile) {
        QString filter, suffix;
        switch (format) {
        case CImportFormatRules::kExcel:
            // The workbook written is an .xlsx, so the picker offers that.
            filter = QStringLiteral("Microsoft Excelｼｰﾄ(*.xlsx)|*.xlsx||");
            suffix = QStringLiteral("xlsx");
            break;
        case CImportFormatRules::kText:
            filter = QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ(*.csv;*.txt)|*.csv; *.txt||");
            suffix = QStringLiteral("csv");
            break;
        case CImportFormatRules::kContactXml:
            filter = QStringLiteral("XML ﾌｧｲﾙ(*.xml)|*.xml||");
            suffix = QStringLiteral("xml");
            break;
        default:
            Tell("選択した形式が不正です");
            return 2;
        }
        const QString path = UiServices::Prompt().GetSaveFileName(QString(), QString(), filter, suffix);
        if (path.isEmpty())
            return IDCANCEL;
        m_strPath = path;
    }
    if (format == CImportFormatRules::kContactXml)
        return ExportXML(records);
    if (askColumns) {
        CQXColSet chosen;
        if (ExchangeDialogs().RunColumnSet(m_nListKind, chosen) != IDOK)
            return IDCANCEL;
        m_colSet.Copy(chosen);
    }
    const CWaitCursor wait;
    ClearRows();
    QList<int> types;
    const int built = BuildRows(records, &types, &m_colSet);
    if (built != 1)
        return built;
    return format == CImportFormatRules::kExcel ? ExportExcel(types) : ExportCSV();
}

int CListExport::BuildRows(const CCDSData* records, QList<int>* types, const CQXColSet* columns)
{
    if (!records) {
        Tell(kNoData);
        return 2;
    }
    if (!columns || !types) {
        Tell("書き出す列が不明です。");
        return 2;
    }
    const CWaitCursor cursor;
    ClearRows();
    const qsizetype count = columns->m_cols.size();
    types->fill(CXlsxWriter::kNoField, count);
    QStringList captions, fields;
    captions.reserve(count);
    fields.reserve(count);
    for (const CQXCol& column : columns->m_cols) {
        captions << column.m_strCaption;
        fields << column.m_strField;
    }
    m_rows.reserve(records->GetCount() + 1);
    m_rows << captions;
    const QString table = GetTableName();
    const QString codeField = m_pMaster ? m_pMaster->CodeField() : QString();
    CWaitProgress wait(records->GetCount(), kWaitExporting);
    for (int r = 0; r < records->GetCount(); ++r) {
        wait.SetPos(r);
        const COneRecord* record = records->GetAt(r);
        if (!record)
            continue;
        QStringList row;
        row.reserve(count);
        for (qsizetype c = 0; c < count; ++c) {
            const CTb* field = record->GetOneField(table, fields[c]);
            if (!field) {
                row << QString();
                continue;
            }
            if (IsCollectDay(table, fields[c]))
                row << CollectDayText(*record, table, *field, true);
            else
                row << GetFieldDisplayText(field, 1);
            if ((*types)[c] == CXlsxWriter::kNoField)
                (*types)[c] = field->GetType();
        }
        m_rows << row;
        const CTb* code = codeField.isEmpty() ? nullptr : record->GetOneField(table, codeField);
        m_codes << (code ? code->GetText() : QString());
    }
    return 1;
}

bool CListExport::EncodeCsv(QByteArray& bytes, QString& problem, int& badRow) const
{
    bytes.clear();
    problem.clear();
    CWaitProgress wait(m_rows.size(), kWaitExporting);
    for (int r = 0; r < m_rows.size(); ++r) {
        wait.SetPos(r);
        QString line;
        const QStringList& row = m_rows[r];
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                line += u',';
            line += u'"' + CsvQuote(row[c]) + u'"';
        }
        line += QStringLiteral("\r\n");
        QString unmappable;
        bytes += Cp932::Encode(line, &unmappable);
        if (!unmappable.isEmpty()) {
            for (qsizetype c = 0; c < row.size() && problem.isEmpty(); ++c) {
                const QString heading = r > 0 ? m_rows[0].value(c) : QString();
                problem =
                    UnusableCharsProblem(heading.isEmpty() ? QStringLiteral("見出し") : heading, row[c]);
            }
            badRow = r;
            return false;
        }
    }
    return true;
}

int CListExport::ExportCSV()
{
    QByteArray bytes;
    QString text;
    int badRow = -1;
    // Nothing is written when a text cannot be: a '?' in its place would
    // reach the other program unnoticed.
    if (!EncodeCsv(bytes, text, badRow)) {
        const QString code = badRow > 0 && badRow <= m_codes.size() ? m_codes[badRow - 1] : QString();
        if (!code.isEmpty())
            text += QStringLiteral("\nコード：%1").arg(code);
        else if (badRow > 0)
            text += QStringLiteral("\n%1行目").arg(badRow);
        ShowExchangeMessage(text, MB_ICONEXCLAMATION);
        return 2;
    }
    // Written beside the target and renamed over it once complete: a failed
    // write leaves the old file as it was.
    // Unbuffered: a buffered write that the final flush cuts short would
    // still be committed.
    QSaveFile file(m_strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Tell("ファイルを作成できませんでした。");
        return 2;
    }
    CWaitProgress wait(0, kWaitExporting);
    const bool written = file.write(bytes) == bytes.size() && file.commit();
    wait.End();
    if (!written) {
        file.cancelWriting();
        Tell(kFileError);
        return 2;
    }
    return 1;
}

int CListExport::ExportExcel(const QList<int>& types)
{
    const CWaitCursor wait;
    CExcelApp excel;
    excel.SetPath(m_strPath);
    excel.m_columnTypes = types;
    return excel.WriteBook(&m_rows) ? 1 : 2;
}

int CListExport::ExportXML(const CCDSData* records)
{
    if (!records) {
        Tell(kNoData);
        return 2;
    }
    CContactXmlConv conv;
    if (conv.CheckXML() == 0)
        return 2;
    const CWaitCursor cursor;
    ClearRows();
    QStringList header;
    if (m_pMaster)
        GetMasterFieldNames(*m_pMaster, header, 1);
    m_rows << header;
    const QString table = GetTableName();
    CWaitProgress wait(records->GetCount(), kWaitExporting);
    for (int r = 0; r < records->GetCount(); ++r) {
        wait.SetPos(r);
        const COneRecord* record = records->GetAt(r);
        if (!record)
            continue;
        QStringList row;
        row.reserve(header.size());
        for (const QString& name : std::as_const(header)) {
            const CTb* field = name.isEmpty() ? nullptr : record->GetOneField(table, name);
            if (!field)
                row << QString();
            else if (IsCollectDay(table, name))
                row << CollectDayText(*record, table, *field, false);
            else
                row << GetFieldDisplayText(field, 0);
        }
        m_rows << row;
    }
    QString reason;
    const int result = conv.ExportContactXML(m_strPath, m_rows, &reason);
    wait.End();
    if (result != 1)
        Tell(kFileError);
    return result;
}

namespace
{

// Our tax type in the customer product's codes.
int TaxTypeToQRT(int type)
{
    switch (type) {
    case 0:
        return 3;
    case 2:
        return 0;
    case 3:
        return 4;
    case 4:
        return 2;
    default:
        return type;
    }
}

} // namespace

int CListExport::ExportToQRT(const CCDSData* records)
{
    if (!records) {
        Tell("引数が不正です");
        return 2;
    }
    if (records->GetCount() == 0) {
        Tell(kNoData);
        return 2;
    }
    if (!m_pMaster || m_pMaster->kind != EMasterKind::Customer) {
        Tell("書き出し元のテーブルが不正です");
        return 2;
    }
    const QString table = QStringLiteral("Customer");
    CImportQRTData qrt;
    CWaitProgress wait(records->GetCount(), kWaitExporting);
    for (int i = 0; i < records->GetCount(); ++i) {
        wait.SetPos(i);
        const COneRecord* record = records->GetAt(i);
        if (!record)
            continue;
        qrt.m_list.append(CKokyaku());
        CKokyaku& k = qrt.m_list.last();
        QString company, person, companyKeisho, personKeisho;
        const CTb* companyField = record->GetOneField(table, QStringLiteral("Company"));
        if (companyField && companyField->GetType() == CTb::kText && !companyField->IsNull()) {
            companyField->GetData(company);
            k.m_strCompany = company;
        }
        const bool hasCompany = !company.isEmpty();
        CKokyaku::CBlock& block = hasCompany ? k.m_company : k.m_personal;
        const QString prefix = table + u'.';
        for (int f = 0; f < record->GetCount(); ++f) {
            const CTb* field = record->GetAt(f);
            if (!field || !field->GetName().startsWith(prefix))
                continue;
            const QString name = field->GetName().mid(prefix.size());
            const QString text = field->GetText();
            if (name == QLatin1String("CustomerCode")) {
                k.m_strCode = text;
            } else if (name == QLatin1String("Name")) {
                k.m_strName = text;
                person = text;
            } else if (name == QLatin1String("PhoenicPerson")) {
                k.m_strPhoenicName = text;
            } else if (name == QLatin1String("Keisho")) {
                companyKeisho = text;
            } else if (name == QLatin1String("Keisho2")) {
                personKeisho = text;
            } else if (name == QLatin1String("MyPerson")) {
                k.m_strMyPerson = text;
            } else if (name == QLatin1String("Zip")) {
                block.m_strZip = text;
            } else if (name == QLatin1String("Address")) {
                block.m_strAddress2 = text;
            } else if (name == QLatin1String("TEL")) {
                block.m_strTel = text;
            } else if (name == QLatin1String("FAX")) {
                block.m_strFax = text;
            } else if (name == QLatin1String("Company")) {
                k.m_strCompany = text;
            } else if (name == QLatin1String("PhoenicCompany")) {
                k.m_strPhoenicCompany = text;
            } else if (name == QLatin1String("Section")) {
                k.m_strSection = text;
            } else if (name == QLatin1String("E-mail")) {
                k.m_strMail[hasCompany ? 3 : 0] = text;
                k.m_nMailSelect = hasCompany ? 4 : 1;
            } else if (name == QLatin1String("Day")) {
                field->GetData(k.m_nDay);
            } else if (name == QLatin1String("TaxType")) {
                int type = 0;
                field->GetData(type);
                k.m_nTaxType = TaxTypeToQRT(type);
            } else if (name == QLatin1String("CollectType")) {
                k.m_strCollectType = text == QStringLiteral("振込") ? QStringLiteral("振込み") : text;
            } else if (name == QLatin1String("Class1")) {
                k.m_strClass1 = text;
            } else if (name == QLatin1String("Class2")) {
                k.m_strClass2 = text;
            } else if (name == QLatin1String("Memo")) {
                k.m_strMemo = text;
            }
        }
        k.m_strKeisho = person.isEmpty() && !companyKeisho.isEmpty() ? companyKeisho : personKeisho;
        k.m_nKind = hasCompany ? 0 : 1;
    }
    wait.End();
    return qrt.ExportData() == 1 ? 1 : 2;
}
