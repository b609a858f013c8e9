#include "exchange/MasterImport.h"

#include "app/FieldCodes.h"
#include "exchange/CsvReader.h"
#include "platform/ui/ChoiceDlg.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeText.h"
#include "exchange/ImportMapRules.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MnyText.h"
#include "platform/env/DBDirMng.h"
#include "platform/office/AccessSource.h"
#include "platform/office/ContactXml.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/CounterInfo.h"
#include "settings/SalesCondition.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QFileInfo>

namespace
{

constexpr int kTextBytes = 256;

int Say(const QString& text, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

enum FieldClass { kNone, kCoded, kPlainInt, kMoney, kCode, kText };

bool In(const QString& name, std::initializer_list<const char*> names)
{
    for (const char* n : names) {
        if (name == QLatin1String(n))
            return true;
    }
    return false;
}

bool IsClass(const QString& name)
{
    return In(name, {"Class1", "Class2", "Class3", "Class4", "Class5"});
}

FieldClass ClassOf(int kind, const QString& name)
{
    if (kind == 1) {
        if (In(name, {"ItemType", "TaxFlg", "TaxFlg2", "StockType"}))
            return kCoded;
        if (In(name, {"TaxFlgYobi1", "TaxFlgYobi2", "YobiInt"}))
            return kPlainInt;
        if (In(name, {"Price", "Cost", "FixPrice", "StockNumber", "StockJustNumber", "PriceYobi1", "PriceYobi2"}))
            return kMoney;
        if (In(name, {"ItemCode", "SupplierCode"}) || IsClass(name))
            return kCode;
        if (In(name, {"ItemName", "Phoenic", "JANCode", "Unit", "Remarks"}))
            return kText;
        return kNone;
    }
    if (kind != 2 && kind != 3)
        return kNone;
    if (In(name, {"Day", "TaxType", "TaxRoundType", "RoundType", "CollectCycle", "CollectDay"}) ||
        (kind == 3 && In(name, {"BankAccountType", "BankFee", "PaymentType", "BankType"})))
        return kCoded;
    if (In(name, {"Percent", "Collect", "Ceiling"}))
        return kMoney;
    if (In(name, {kind == 2 ? "CustomerCode" : "SupplierCode", "OnesCode"}) || IsClass(name))
        return kCode;
    if (In(name, {"Company", "Section", "Name", "Keisho", "Keisho2", "PhoenicCompany", "PhoenicPerson", "Zip",
                  "Address", "TEL", "FAX", "E-mail", "CollectType", "MyPerson", "Memo"}) ||
        (kind == 3 && In(name, {"Bank", "BankCode", "BankBranch", "BankBranchCode", "BankNumber", "BankOnesName",
                                "BankOnesPhoenic"})))
        return kText;
    return kNone;
}

// The leading decimal number of a text, when it has one.
std::optional<int> LeadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    qsizetype j = i;
    if (j < text.size() && (text[j] == u'-' || text[j] == u'+'))
        ++j;
    if (j >= text.size() || !(text[j] >= u'0' && text[j] <= u'9'))
        return std::nullopt;
    return LeadingInt(text);
}

struct DefaultDef {
    const char* field;
    const char* file; // null: not from a file
};
constexpr DefaultDef kDefaults[] = {
    {"TaxType", "TAXTYPE.AUT"},   {"Day", "CLOSEDAY.AUT"},          {"TaxRoundType", "TAXROUNDTYPE.AUT"},
    {"RoundType", "ROUNDTYPE.AUT"}, {"Percent", nullptr},           {"CollectCycle", "COLLECTCYCLE.AUT"},
    {"CollectDay", "COLLECTDAY.AUT"}, {"StartDate", nullptr},       {"LastUpdate", nullptr},
    {"CollectType", "COLLECTTYPE.AUT"},
};

// Customer or supplier codes numbered for one import. The counter gives a
// block of numbers at a time, one for the whole set unless codes that exist
// are passed over, and is saved as each block is taken: an import that
// fails or has refused rows leaves a gap and never hands a number out twice.
class CCodeBlock
{
  public:
    CCodeBlock(int kind, int size) : m_nKind(kind), m_nSize(qMax(1, size)) {}

    // The next code, or empty when the counter cannot be read or saved.
    QString Next()
    {
        if (m_nLeft == 0) {
            if (!m_counter.GetElem(m_nKind) || m_counter.Reserve(m_nSize, m_nNumber) == 0)
                return {};
            m_format = *m_counter.GetElem(m_nKind);
            m_nLeft = m_nSize;
        }
        m_format.m_nNumber = m_nNumber;
        m_nNumber = CCounterInfoElem::NextNumber(m_nNumber, m_format.m_nDigits);
        --m_nLeft;
        return m_format.Format();
    }

  private:
    int m_nKind;
    int m_nSize;
    int m_nLeft = 0;
    int m_nNumber = 0;
    CCounterInfo m_counter;
    CCounterInfoElem m_format;
};

} // namespace

QString GetOtherFolder()
{
    QString name, folder;
    if (!CDBDirMng().GetNowDB(name, folder) || folder.isEmpty())
        return {};
    return QDir(folder).filePath(QStringLiteral("Other")) + u'/';
}

CTb MakeTextField(const QString& name)
{
    CTb field(name);
    field = QString();
    return field;
}

void NormalizeLineBreaks(QString& text)
{
    if (!text.contains(u'\n'))
        return;
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out += u'\r';
        out += text[i];
    }
    text = out;
}

void TruncateBytes(QString& text, int bytes)
{
    if (text.size() * 2 > bytes)
        text = Cp932::TruncateToBytes(text, bytes);
}

bool ImportTextToMny(const QString& text, CMny& value)
{
    const auto isSign = [](QChar c) { return c == u'-' || c == u'－'; };
    // 0x5C of a CP932 file decodes to "\" or "¥", whichever the decoder maps.
    const auto isYen = [](QChar c) { return c == u'\\' || c == u'¥' || c == u'￥'; };
    QString rest = text.trimmed();
    bool negative = false;
    if (!rest.isEmpty() && isSign(rest.front())) {
        negative = true;
        rest = rest.mid(1).trimmed();
    }
    if (!rest.isEmpty() && isYen(rest.front())) {
        rest = rest.mid(1).trimmed();
        if (!negative && !rest.isEmpty() && isSign(rest.front())) {
            negative = true;
            rest = rest.mid(1).trimmed();
        }
    }
    if (rest.endsWith(u'円'))
        rest = rest.chopped(1).trimmed();
    if (!negative && rest.startsWith(u'+'))
        rest.remove(0, 1);
    // The amount starts the rest; its leading run is read as TextToMny reads.
    const auto isDigit = [&](qsizetype i) {
        return i < rest.size() &&
               ((rest[i] >= u'0' && rest[i] <= u'9') || (rest[i] >= u'０' && rest[i] <= u'９'));
    };
    const bool point = !rest.isEmpty() && (rest.front() == u'.' || rest.front() == u'．');
    if (!isDigit(0) && !(point && isDigit(1)))
        return false;
    bool ok = false;
    value = TextToMny(negative ? u'-' + rest : rest, &ok);
    return ok && value.IsValid();
}

void SetMoneyValue(CTb& field, const QString& text)
{
    if (text.isEmpty())
        return;
    CMny value;
    if (ImportTextToMny(text, value))
        field = value;
    else
        field = text; // no amount: the library refuses the row and names the field
}

QString CMasterImport::GetTableName() const
{
    switch (m_nKind) {
    case 1: return QStringLiteral("Item");
    case 2: return QStringLiteral("Customer");
    case 3: return QStringLiteral("Supplier");
    default: return {};
    }
}

// ---- records ----------------------------------------------------------------

std::optional<CTb> CMasterImport::MakeFieldValue(const QString& name, const QString& text, int contactXml) const
{
    const QString table = GetTableName();
    if (name.isEmpty() || table.isEmpty() || (contactXml && text.isEmpty()))
        return std::nullopt;
    CTb field(table + u'.' + name);
    switch (ClassOf(m_nKind, name)) {
    case kCoded: {
        // The leading number, else the word the field shows ("内税" is 4);
        // a text that is neither stays without a value and is refused.
        int code = 0;
        if (!contactXml) {
            if (const auto number = LeadingNumber(text))
                field = *number;
            else if (GetFieldCodeFromText(table, name, text.trimmed(), code))
                field = code;
        } else if (GetFieldCodeFromText(table, name, text, code)) {
            field = code;
        }
        break;
    }
    case kPlainInt:
        if (!text.isEmpty())
            field = LeadingInt(text);
        break;
    case kMoney:
        SetMoneyValue(field, text);
        break;
    case kCode: {
        QString value = text;
        TruncateBytes(value, kTextBytes);
        if (value.isEmpty() || !IsBlankString(value))
            field = value;
        break;
    }
    case kText: {
        QString value = text;
        TruncateBytes(value, kTextBytes);
        field = value;
        break;
    }
    case kNone:
        break;
    }
    return field;
}

int CMasterImport::SetDefaultHonorific(COneRecord* record) const
{
    const QString table = GetTableName();
    if (!record || table.isEmpty())
        return -1;
    if (m_nKind == 1)
        return 0;
    const CTb* keisho = record->GetOneField(table, QStringLiteral("Keisho"));
    const CTb* keisho2 = record->GetOneField(table, QStringLiteral("Keisho2"));
    if ((keisho && !keisho->IsNull()) || (keisho2 && !keisho2->IsNull()))
        return 0;
    record->SetField(table + QStringLiteral(".Keisho2"), QStringLiteral("様"));
    return 1;
}

std::optional<CTb> CMasterImport::GetDefaultValue(int index)
{
    const QString table = GetTableName();
    if (index < 0 || index > 9 || table.isEmpty())
        return std::nullopt;
    const DefaultDef& def = kDefaults[index];
    CTb field(table + u'.' + QLatin1String(def.field));
    if (index == 4) {
        field = MnyFromLong(100);
    } else if (index == 7 || index == 8) {
        field = UiServices::Clock().Now();
    } else {
        // The conditions are read once per import. A database whose
        // conditions were never saved takes those the settings dialog shows.
        if (!m_bDefaultsRead) {
            QString folder = m_pDb ? m_pDb->GetFolder() : QString();
            if (folder.isEmpty()) {
                QString name;
                CDBDirMng().GetNowDB(name, folder);
            }
            CSalesConditionRules rules;
            rules.Load(folder);
            m_defaultTexts = rules.SaveTexts();
            m_bDefaultsRead = true;
        }
        const qsizetype at = CSalesConditionRules::FileNames().indexOf(QLatin1String(def.file));
        const QString text = m_defaultTexts.value(at);
        if (index == 9)
            field = text;
        else if (!text.isEmpty())
            field = LeadingInt(text);
    }
    return field;
}

void CMasterImport::CompleteRecord(COneRecord* record)
{
    const QString table = GetTableName();
    if (!record || table.isEmpty())
        return;
    const auto has = [&](const char* name) { return record->GetOneField(table, QLatin1String(name)); };
    const auto name = [&](const char* field) -> QString { return table + u'.' + QLatin1String(field); };
    const auto addInt = [&](const char* field, int value) {
        if (!has(field))
            record->SetField(name(field), value);
    };
    const auto addText = [&](const char* field) {
        if (!has(field))
            record->AddField(MakeTextField(name(field)));
    };
    const auto addDefault = [&](const char* field, int index) {
        if (!has(field)) {
            if (const auto value = GetDefaultValue(index))
                record->AddField(*value);
        }
    };
    // Money that came without a value counts as zero.
    const auto addZero = [&](const char* field) {
        CTb* present = has(field);
        if (!present)
            record->SetField(name(field), MnyFromLong(0));
        else if (present->IsNull())
            *present = MnyFromLong(0);
    };

    addInt("ID", 0);
    addDefault("StartDate", 7);
    addDefault("LastUpdate", 8);
    for (const char* c : {"Class1", "Class2", "Class3", "Class4", "Class5"})
        addText(c);
    if (m_nKind == 2 || m_nKind == 3) {
        addDefault("TaxType", 0);
        addDefault("Day", 1);
        addDefault("TaxRoundType", 2);
        addDefault("RoundType", 3);
        if (m_nKind == 2)
            addDefault("Percent", 4);
        addDefault("CollectCycle", 5);
        addDefault("CollectDay", 6);
        addZero("Collect");
        addDefault("CollectType", 9);
        if (m_nKind == 2)
            addZero("Ceiling");
        for (const char* t : {"Company", "Section", "Name", "Keisho", "Keisho2", "PhoenicCompany", "PhoenicPerson",
                              "Zip", "Address", "TEL", "FAX", "E-mail", "OnesCode", "MyPerson", "Memo"})
            addText(t);
        if (m_nKind == 3) {
            for (const char* t : {"Bank", "BankCode", "BankBranch", "BankBranchCode", "BankNumber", "BankOnesName",
                                  "BankOnesPhoenic"})
                addText(t);
        }
        return;
    }
    int itemType = 1;
    if (const CTb* type = has("ItemType"); type && !type->IsNull())
        type->GetData(itemType);
    if (itemType < 1 || itemType > 3)
        itemType = 1; // registered as a product
    addInt("ItemType", 1);
    addInt("TaxFlg", 1);
    addZero("Price");
    addInt("TaxFlg2", 1);
    addZero("Cost");
    addZero("FixPrice");
    addInt("StockType", itemType == 1 ? 1 : 0);
    addZero("StockNumber");
    addZero("StockJustNumber");
    addInt("SetItem", 0);
    for (const char* t : {"ItemName", "Phoenic", "JANCode", "Unit", "Remarks", "SupplierCode"})
        addText(t);
    addInt("TaxFlgYobi1", 1);
    addInt("TaxFlgYobi2", 1);
    addInt("YobiInt", 0);
}

void CMasterImport::BuildRecords(const QList<CQXCol>& mapping, int firstRow, int breakAfter1, int breakAfter2,
                                 CCDSData& records)
{
    const QString autoCode = m_nKind == 2 ? QStringLiteral("CustomerCode")
                           : m_nKind == 3 ? QStringLiteral("SupplierCode")
                                          : QString();
    CWaitProgress wait(m_rows.size() - firstRow, kWaitImporting);
    for (int r = firstRow; r < m_rows.size(); ++r) {
        wait.SetPos(r - firstRow);
        const QStringList& row = m_rows[r];
        auto record = std::make_unique<COneRecord>();
        QString parts[3];
        bool honorific = false, direct = false, partSeen = false;
        for (int c = 1; c < row.size(); ++c) {
            const QString name = c - 1 < mapping.size() ? mapping[c - 1].m_strField : QString();
            if (name.isEmpty() || In(name, {"ID", "StartDate", "LastUpdate"}) ||
                (m_bAutoNumber && name == autoCode))
                continue;
            if (name == QLatin1String("Keisho") || name == QLatin1String("Keisho2"))
                honorific = true;
            QString value = row[c];
            NormalizeLineBreaks(value);
            if (name == QLatin1String("Address"))
                direct = true;
            bool part = false;
            for (int p = 0; p < 3; ++p) {
                if (name == QStringLiteral("Address%1").arg(p + 1)) {
                    parts[p] = value;
                    partSeen = part = true;
                }
            }
            if (part)
                continue;
            if (const auto field = MakeFieldValue(name, value, m_bContactXml))
                record->AddField(*field);
        }
        if (partSeen && !direct) {
            QString text = parts[0];
            bool broke = false;
            if (breakAfter1 && !text.isEmpty()) {
                text += QStringLiteral("\r\n");
                broke = true;
            }
            text += parts[1];
            if (breakAfter2 && !text.isEmpty() && !(parts[1].isEmpty() && broke))
                text += QStringLiteral("\r\n");
            text += parts[2];
            if (const auto field = MakeFieldValue(QStringLiteral("Address"), text, m_bContactXml))
                record->AddField(*field);
        }
        if (record->GetCount() == 0)
            continue;
        if (!honorific)
            SetDefaultHonorific(record.get());
        CompleteRecord(record.get());
        // The source row, for the refused-rows list.
        record->SetField(QLatin1String(kImportRowField), row.value(0));
        records.Add(std::move(record));
    }
}

// ---- readers ----------------------------------------------------------------

int CMasterImport::ReadExcelFile(const QString& path)
{
    CExcelApp excel;
    excel.SetPath(path);
    if (excel.ReadSheet(&m_rows) != 0)
        return 1;
    // A sheet that was read but whose single cell holds no text (an empty
    // sheet, or one number) leaves its header: the import then says that
    // there are no data rows, as for a sheet of empty or error cells.
    return m_rows.isEmpty() ? 2 : 1;
}

int CMasterImport::ReadTextFile(const QString& path)
{
    CTextFormatRules format(path, CTextFormatRules::kComma);
    const int answer = ExchangeDialogs().RunTextFormat(format);
    if (answer != IDOK)
        return answer;
    CCsvReader reader(path, format.GetDelimiter(), 0);
    // A file that cannot be read or parsed has had its message; an empty
    // one has not.
    if (reader.Read(&m_rows) <= 0 || m_rows.isEmpty()) {
        if (QFileInfo(path).isFile() && QFileInfo(path).size() == 0)
            Say(QStringLiteral("読み込めるデータがありませんでした"));
        return 0;
    }
    return 1;
}

// ---- the import ---------------------------------------------------------------

int CMasterImport::ImportFromFile()
{
    if (GetTableName().isEmpty()) {
        Say(QStringLiteral("データを読み込むテーブルが指定されていません。"));
        return 2;
    }
    int overwrite = 0;
    int answer = ExchangeDialogs().RunImportConfirm(overwrite);
    if (answer != IDOK)
        return answer;
    m_bOverwrite = overwrite;
    CImportFormatRules format(m_nKind == 1 ? 2 : 0);
    if (ExchangeDialogs().RunImportFormat(format) != IDOK)
        return 2;
    const int choice = format.m_nChoice;
    if (choice == CImportFormatRules::kExcel && CExcelApp::GetExcelVersion() < 8) {
        Say(QStringLiteral("Microsoft(R) Excel97以上 がインストールされている必要があります。\n"));
        return 2;
    }
    QString filter;
    if (choice == CImportFormatRules::kAccess)
        filter = QStringLiteral("Microsoft Accessﾃﾞｰﾀﾍﾞｰｽ(*.mdb;*.accdb)|*.mdb;*.accdb||");
    else if (choice == CImportFormatRules::kExcel)
        filter = QStringLiteral("Microsoft Excelｼｰﾄ(*.xls;*.xlsx)|*.xls;*.xlsx||");
    else if (choice == CImportFormatRules::kText)
        filter = QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ(*.csv;*.txt)|*.csv; *.txt||");
    else if (choice == CImportFormatRules::kContactXml && m_nKind != 1)
        filter = QStringLiteral("XML ﾌｧｲﾙ(*.xml)|*.xml||");
    else {
        Say(QStringLiteral("選択した形式が不正です"));
        return 2;
    }
    const QString path = UiServices::Prompt().GetOpenFileName(QString(), QString(), filter);
    if (path.isEmpty())
        return IDCANCEL;
    m_rows.clear();
    m_bContactXml = choice == CImportFormatRules::kContactXml;
    const int read = m_bContactXml                             ? ReadContactXmlFile(path)
                     : choice == CImportFormatRules::kAccess ? ReadAccessFile(path)
                     : choice == CImportFormatRules::kExcel  ? ReadExcelFile(path)
                                                             : ReadTextFile(path);
    if (read != 1)
        return read;
    if (m_bContactXml) {
        // The fields are named by the file: no pairing, no address join.
        QList<CQXCol> mapping;
        for (qsizetype c = 1; c < m_rows.first().size(); ++c)
            mapping << CQXCol(m_rows.first()[c], QString(), 0, 0, 1);
        CCDSData records;
        {
            CWaitCursor wait;
            BuildRecords(mapping, 1, 0, 0, records);
        }
        if (records.GetCount() == 0) {
            Say(QStringLiteral("読み込むデータはありませんでした"));
            return 2;
        }
        return Register(&records);
    }
    if (m_rows.size() < 2) {
        Say(QStringLiteral("データ行がありません。処理を中止します。"));
        return 2;
    }
    CImportFieldMapRules map(m_nKind, &m_rows);
    // A table's first row is already a record (the column names are the
    // header), so it is read unless the user says otherwise.
    map.m_bReadFirstRow = choice == CImportFormatRules::kAccess ? 1 : 0;
    answer = ExchangeDialogs().RunFieldMap(map);
    if (answer != IDOK)
        return answer;
    m_bAutoNumber = map.m_bAutoNumber;
    CCDSData records;
    {
        CWaitCursor wait;
        BuildRecords(map.m_resultSet.m_cols, map.m_bReadFirstRow ? 1 : 2, map.m_bBreakAfterAddress1,
                     map.m_bBreakAfterAddress2, records);
    }
    if (records.GetCount() == 0) {
        Say(QStringLiteral("読み込むデータはありませんでした"));
        return 2;
    }
    return Register(&records);
}

int CMasterImport::ReadAccessFile(const QString& path)
{
    CWaitCursor cursor;
    const std::unique_ptr<IAccessSource> source = MakeAccessSource();
    const int stage = source->Open(path);
    if (stage != IAccessSource::kOk) {
        Say(source->OpenMessage(stage), MB_ICONEXCLAMATION);
        return 0;
    }
    const QStringList names = source->Tables();
    if (names.isEmpty()) {
        Say(QStringLiteral("テーブルがありません。\n処理を中止します。"), MB_ICONEXCLAMATION);
        return 0;
    }
    CTableSelectRules choice;
    choice.m_pNames = &names;
    const int answer = ExchangeDialogs().RunTableSelect(choice);
    if (answer != IDOK)
        return answer;
    QList<CAccessColumn> columns;
    QStringList keys;
    QList<CAccessRow> rows;
    QString step;
    CWaitProgress wait(0, kWaitReadingFile);
    const bool read = source->ReadTable(choice.m_strChosen, columns, keys, rows, step);
    wait.End();
    if (!read) {
        Say(QStringLiteral("データベースの読み込みに失敗しました。\n（%1：%2）").arg(choice.m_strChosen, step),
            MB_ICONEXCLAMATION);
        return 0;
    }
    SortAccessRows(columns, keys, rows);
    // Cells by the columns' positions; a position outside 1..count is not
    // read.
    const int count = int(columns.size());
    int counter = 0;
    for (const CAccessRow& values : std::as_const(rows)) {
        QStringList row(count + 1);
        row[0] = QString::number(++counter);
        for (int c = 0; c < count && c < values.size(); ++c) {
            const int at = columns[c].ordinal;
            if (at >= 1 && at <= count)
                row[at] = AccessCellText(columns[c].type, values[c]);
        }
        m_rows << row;
    }
    if (counter > 0) {
        QStringList header(count + 1);
        for (const CAccessColumn& column : std::as_const(columns)) {
            if (column.ordinal >= 1 && column.ordinal <= count)
                header[column.ordinal] = column.name;
        }
        m_rows.prepend(header);
    }
    return 1;
}

int CMasterImport::ReadContactXmlFile(const QString& path)
{
    CContactXmlConv conv;
    if (conv.CheckXML() == 0)
        return 2;
    QString reason;
    int block = CContactXmlConv::kCompany;
    const int both = conv.HasBothBlocks(path, &reason);
    if (both == 1) {
        const int answer = RunChoiceDialog(8, block);
        if (answer != IDOK)
            return answer;
    }
    QStringList header;
    GetMasterFieldNames(m_nKind, header, 0);
    m_rows.clear();
    m_rows << header;
    int hasCodes = 0;
    CWaitProgress wait(0, kWaitReadingFile);
    const bool read = both != 2 && conv.ImportContactXML(path, block, hasCodes, m_rows, &reason) == 1;
    wait.End();
    if (!read) {
        m_rows.clear();
        Say(QStringLiteral("%1 を読み込めませんでした。\n%2").arg(path, reason), MB_ICONEXCLAMATION);
        return 2;
    }
    m_bAutoNumber = 0;
    if (!hasCodes) {
        // A file without codes: the library numbers the records.
        const int answer = ExchangeDialogs().RunCounterSet(m_nKind == 2 ? 100 : 101);
        if (answer != IDOK)
            return answer;
        m_bAutoNumber = 1;
    }
    return 1;
}

int CMasterImport::Register(CCDSData* records)
{
    if (!m_pDb || !records)
        return 2;
    const int mode = m_bAutoNumber && (m_nKind == 2 || m_nKind == 3) ? 2 : m_bOverwrite ? 1 : 0;
    const QString title = ProgramTitle();
    const QString fatal = QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + title +
                          QStringLiteral("』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。");
    const auto failed = [&](const QString& text) {
        Say(!text.isEmpty() ? text
                            : QStringLiteral("何らかのエラーが発生した可能性があります。\n『") + title +
                                  QStringLiteral("』を一旦終了してから操作し直すことをおすすめします。"),
            MB_ICONEXCLAMATION);
    };
    int added = 0, replaced = 0;
    CCDSData refused;
    QString message;
    int result;
    CCodeBlock codes(m_nKind == 2 ? COUNTER_CUSTOMER_CODE : COUNTER_SUPPLIER_CODE, records->GetCount());
    {
        CWaitCursor cursor;
        CWaitProgress wait(records->GetCount(), kWaitImporting);
        result = m_pDb->ImportMaster(
            0, mode, records, &added, &replaced, &refused, message, [&codes] { return codes.Next(); },
            [&wait](int done) { wait.SetPos(done); });
    }
    switch (result) {
    case CMakeMsgID::kOk:
        if (added && replaced)
            Say(QStringLiteral("%1件のデータを新規登録しました。\n%2件のデータを上書き登録しました。").arg(added).arg(replaced),
                MB_ICONINFORMATION);
        else if (added)
            Say(QStringLiteral("%1件のデータを新規登録しました。\n").arg(added), MB_ICONINFORMATION);
        else
            Say(QStringLiteral("%1件のデータを上書き登録しました。\n").arg(replaced), MB_ICONINFORMATION);
        return 1;
    case CMakeMsgID::kImportPending: {
        CImportErrorRules dialog(m_nKind, m_bOverwrite, 1, records->GetCount());
        dialog.m_pRefused = &refused;
        if (ExchangeDialogs().RunImportError(dialog) == IDOK) {
            // Only a commit that went through is a registration.
            message.clear();
            result = m_pDb->ImportMaster(1, 1, nullptr, nullptr, nullptr, nullptr, message);
            if (result == CMakeMsgID::kOk)
                return 1;
            if (result == CMakeMsgID::kFatal)
                Say(fatal, MB_ICONSTOP);
            else
                failed(message);
            if (m_pDb->IsImportPending()) {
                QString ignored;
                m_pDb->ImportMaster(1, 0, nullptr, nullptr, nullptr, nullptr, ignored);
            }
            return 2;
        }
        QString ignored;
        m_pDb->ImportMaster(1, 0, nullptr, nullptr, nullptr, nullptr, ignored);
        Say(QStringLiteral("読み込みを中止しました。"), MB_ICONINFORMATION);
        return 2;
    }
    case CMakeMsgID::kImportNothing: {
        Say(QStringLiteral("登録できるデータがありません。"), MB_ICONEXCLAMATION);
        CImportErrorRules dialog(m_nKind, m_bOverwrite, 0, records->GetCount());
        dialog.m_pRefused = &refused;
        ExchangeDialogs().RunImportError(dialog);
        return 2;
    }
    case CMakeMsgID::kFatal:
        Say(fatal, MB_ICONSTOP);
        return 2;
    default:
        failed(message);
        return 2;
    }
}
