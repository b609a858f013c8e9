#include "exchange/MasterImport.h"

#include "app/FieldCodes.h"
#include "exchange/CsvReader.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeText.h"
#include "exchange/ImportMapRules.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/MnyText.h"
#include "platform/env/DBDirMng.h"
#include "platform/office/AccessSource.h"
#include "platform/office/ContactXml.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"
#include "settings/CounterInfo.h"
#include "settings/SalesCondition.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <optional>

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

FieldClass ClassOf(const CMasterKind& kind, const QString& name)
{
    if (!kind.side) {
        if (In(name, {"ItemType", "TaxFlg", "TaxFlg2", "StockType"}))
            return kCoded;
        if (In(name, {"TaxFlgYobi1", "TaxFlgYobi2", "YobiInt"}))
            return kPlainInt;
        if (In(name,
               {"Price", "Cost", "FixPrice", "StockNumber", "StockJustNumber", "PriceYobi1", "PriceYobi2"}))
            return kMoney;
        if (In(name, {"ItemCode", "SupplierCode"}) || IsClass(name))
            return kCode;
        if (In(name, {"ItemName", "Phoenic", "JANCode", "Unit", "Remarks"}))
            return kText;
        return kNone;
    }
    const bool supplier = kind.kind == EMasterKind::Supplier;
    if (In(name, {"Day", "TaxType", "TaxRoundType", "RoundType", "CollectCycle", "CollectDay"}) ||
        (supplier && In(name, {"BankAccountType", "BankFee", "PaymentType", "BankType"})))
        return kCoded;
    if (In(name, {"Percent", "Collect", "Ceiling"}))
        return kMoney;
    if (In(name, {kind.codeField, "OnesCode"}) || IsClass(name))
        return kCode;
    if (In(name, {"Company", "Section", "Name", "Keisho", "Keisho2", "PhoenicCompany", "PhoenicPerson", "Zip",
                  "Address", "TEL", "FAX", "E-mail", "CollectType", "MyPerson", "Memo"}) ||
        (supplier && In(name, {"Bank", "BankCode", "BankBranch", "BankBranchCode", "BankNumber",
                               "BankOnesName", "BankOnesPhoenic"})))
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
    {"TaxType", "TAXTYPE.AUT"},         {"Day", "CLOSEDAY.AUT"}, {"TaxRoundType", "TAXROUNDTYPE.AUT"},
    {"RoundType", "ROUNDTYPE.AUT"},     {"Percent", nullptr},    {"CollectCycle", "COLLECTCYCLE.AUT"},
    {"CollectDay", "COLLECTDAY.AUT"},   {"StartDate", nullptr},  {"LastUpdate", nullptr},
    {"CollectType", "COLLECTTYPE.AUT"},
};

// Customer or supplier codes numbered for one import. The counter gives a
// block of numbers at a time, one for the whole set unless codes that exist
// are passed over, and is saved as each block is taken: an import that
// fails or has refused rows leaves a gap and never hands a number out twice.
class CCodeBlock
{
  public:
    CCodeBlock(int counter, int size) : m_nCounter(counter), m_nSize(qMax(1, size)) {}

    // The next code, or empty when the counter cannot be read or saved.
    QString Next()
    {
        if (m_nLeft == 0) {
            if (!m_counter.GetElem(m_nCounter) || m_counter.Reserve(m_nSize, m_nNumber) == 0)
                return {};
            m_format = *m_counter.GetElem(m_nCounter);
            m_nLeft = m_nSize;
        }
        m_format.m_nNumber = m_nNumber;
        m_nNumber = CCounterInfoElem::NextNumber(m_nNumber, m_format.m_nDigits);
        --m_nLeft;
        return m_format.Format();
    }

  private:
    int m_nCounter;
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
    return ReadWholeNumber(text, CNumberSyntax::Imported(), value);
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
    return m_kind.Table();
}

// ---- records ----------------------------------------------------------------

std::optional<CTb> CMasterImport::MakeFieldValue(const QString& name, const QString& text,
                                                 int contactXml) const
{
    const QString table = GetTableName();
    if (name.isEmpty() || (contactXml && text.isEmpty()))
        return std::nullopt;
    CTb field(table + u'.' + name);
    switch (ClassOf(m_kind, name)) {
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
    if (!record)
        return -1;
    if (!m_kind.side)
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
    if (index < 0 || index > 9)
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
    if (!record)
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
    if (m_kind.side) {
        // Only customers have a rate and a ceiling, only suppliers a bank.
        const bool customer = m_kind.kind == EMasterKind::Customer;
        addDefault("TaxType", 0);
        addDefault("Day", 1);
        addDefault("TaxRoundType", 2);
        addDefault("RoundType", 3);
        if (customer)
            addDefault("Percent", 4);
        addDefault("CollectCycle", 5);
        addDefault("CollectDay", 6);
        addZero("Collect");
        addDefault("CollectType", 9);
        if (customer)
            addZero("Ceiling");
        for (const char* t :
             {"Company", "Section", "Name", "Keisho", "Keisho2", "PhoenicCompany", "PhoenicPerson", "Zip",
              "Address", "TEL", "FAX", "E-mail", "OnesCode", "MyPerson", "Memo"})
            addText(t);
        if (!customer) {
            for (const char* t : {"Bank", "BankCode", "BankBranch", "BankBranchCode", "BankNumber",
                                  "BankOnesName", "BankOnesPhoenic"})
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

std::unique_ptr<COneRecord> CMasterImport::BuildRecord(const QStringList& row, const QList<CQXCol>& mapping,
                                                       int breakAfter1, int breakAfter2)
{
    // Only partners take an automatic code.
    const QString autoCode = m_kind.side ? m_kind.CodeField() : QString();
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
        return nullptr;
    if (!honorific)
        SetDefaultHonorific(record.get());
    CompleteRecord(record.get());
    // The source row, for the refused-rows list.
    record->SetField(QLatin1String(kImportRowField), row.value(0));
    return record;
}

// ---- registration ------------------------------------------------------------

// The registration of one import a batch at a time: records are built into
// a batch and the batch is written into the import's one transaction when
// it is full, so that neither the file nor its records are ever held whole.
// A refused record leaves only its refusal for the list. Until the end the
// import can be abandoned with nothing committed.
class CMasterImport::Feed
{
  public:
    // `rows`: how many rows the source gives (for the wait bar and the
    // block of numbered codes).
    Feed(CMasterImport& import, qint64 rows)
        : m_import(import), m_nRows(qMax<qint64>(1, rows)),
          m_codes(import.m_kind.codeCounter, int(qMin<qint64>(rows, kMaxBlock)))
    {
    }
    ~Feed() { Abandon(); }

    // Opens the import: 1, else 2 after the message.
    int Open()
    {
        CMakeMsgID& db = *m_import.m_pDb;
        m_nMode = m_import.m_bAutoNumber && m_import.m_kind.side ? 2 : m_import.m_bOverwrite ? 1 : 0;
        QString message;
        m_session = db.ImportMasterBegin(m_nMode, m_import.GetTableName(), message,
                                         [this] { return m_codes.Next(); });
        if (!m_session.IsOpen())
            return Failed(m_session.BeginResult(), message);
        return 1;
    }

    // Before the row of that index (from 0) is built.
    void AtRow(qint64 index)
    {
        if (!m_build)
            m_build.emplace(m_nRows, kWaitImporting);
        m_build->SetPos(index);
    }

    // A record built: false once the registration failed (after its message).
    bool Add(std::unique_ptr<COneRecord> record)
    {
        m_batch.Add(std::move(record));
        return m_batch.GetCount() < kBatch || Write(false);
    }

    // Writes a whole set as one batch: false after the message of a failure.
    bool AddAll(CCDSData& records) { return Write(false, &records); }

    // The rows are over: the rest written and the outcome told, with the
    // refused-rows dialog when some were refused. 1 registered, 2 not.
    int Close()
    {
        if (!m_session.IsOpen())
            return 2;
        if (!Write(true))
            return 2;
        if (m_nSubmitted == 0) {
            Abandon();
            Say(QStringLiteral("読み込むデータはありませんでした"));
            return 2;
        }
        QString message;
        const EImportResult result = m_session.End(message);
        m_outer.reset();
        return Conclude(result, m_session.Added(), m_session.Replaced(), message);
    }

    // Nothing of the import is kept.
    void Abandon()
    {
        m_build.reset();
        m_outer.reset();
        QString ignored;
        m_session.Cancel(ignored);
    }

  private:
    // Records a batch; a set long enough for the largest imports in one.
    static constexpr int kBatch = 2000;
    static constexpr qint64 kMaxBlock = 1000000;

    bool Write(bool last, CCDSData* whole = nullptr)
    {
        CCDSData& batch = whole ? *whole : m_batch;
        if (!last && !whole && !m_outer)
            m_outer.emplace(0, kWaitImporting); // the wait dialog stays up between batches
        m_build.reset();
        if (batch.GetCount() == 0)
            return true;
        const qint64 total =
            last || whole ? m_nSubmitted + batch.GetCount() : qMax(m_nRows, m_nSubmitted + batch.GetCount());
        QString message;
        EImportResult result;
        {
            CWaitCursor cursor;
            CWaitProgress wait(total, kWaitImporting);
            result = m_session.Batch(
                batch,
                [this](const COneRecord& record, const QString& errField) {
                    CImportRefusal refusal = MakeImportRefusal(m_import.m_kind, record, errField);
                    // Rows refused for one reason share its text.
                    refusal.errField = *m_reasons.insert(errField);
                    m_refusals << std::move(refusal);
                },
                message, [&wait](int done) { wait.SetPos(done); });
        }
        m_nSubmitted += batch.GetCount();
        if (!whole)
            batch = CCDSData();
        if (result == EImportResult::Done)
            return true;
        Abandon(); // the session has rolled the import back
        Failed(result, message);
        return false;
    }

    int Failed(EImportResult result, const QString& message)
    {
        m_build.reset();
        m_outer.reset();
        const QString title = ProgramTitle();
        if (result == EImportResult::Fatal)
            Say(Fatal(), MB_ICONSTOP);
        else
            Say(!message.isEmpty()
                    ? message
                    : QStringLiteral("何らかのエラーが発生した可能性があります。\n『") + title +
                          QStringLiteral("』を一旦終了してから操作し直すことをおすすめします。"),
                MB_ICONEXCLAMATION);
        return 2;
    }

    static QString Fatal()
    {
        return QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + ProgramTitle() +
               QStringLiteral(
                   "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。");
    }

    int Conclude(EImportResult result, int added, int replaced, QString& message)
    {
        switch (result) {
        case EImportResult::Done:
            if (added && replaced)
                Say(QStringLiteral("%1件のデータを新規登録しました。\n%2件のデータを上書き登録しました。")
                        .arg(added)
                        .arg(replaced),
                    MB_ICONINFORMATION);
            else if (added)
                Say(QStringLiteral("%1件のデータを新規登録しました。\n").arg(added), MB_ICONINFORMATION);
            else
                Say(QStringLiteral("%1件のデータを上書き登録しました。\n").arg(replaced), MB_ICONINFORMATION);
            return 1;
        case EImportResult::Refused: {
            CImportErrorRules dialog(m_import.m_kind, m_import.m_bOverwrite, 1, int(m_nSubmitted));
            dialog.m_pRefusals = &m_refusals;
            if (ExchangeDialogs().RunImportError(dialog) == IDOK) {
                // Only a commit that went through is a registration.
                message.clear();
                result = m_session.Commit(message);
                if (result == EImportResult::Done)
                    return 1;
                return Failed(result, message); // the session has rolled back
            }
            QString ignored;
            m_session.Cancel(ignored);
            Say(QStringLiteral("読み込みを中止しました。"), MB_ICONINFORMATION);
            return 2;
        }
        case EImportResult::Nothing: {
            Say(QStringLiteral("登録できるデータがありません。"), MB_ICONEXCLAMATION);
            CImportErrorRules dialog(m_import.m_kind, m_import.m_bOverwrite, 0, int(m_nSubmitted));
            dialog.m_pRefusals = &m_refusals;
            ExchangeDialogs().RunImportError(dialog);
            return 2;
        }
        default:
            return Failed(result, message);
        }
    }

    CMasterImport& m_import;
    qint64 m_nRows;
    CCodeBlock m_codes;
    int m_nMode = 0;
    CImportSession m_session;
    qint64 m_nSubmitted = 0;
    CCDSData m_batch;
    QList<CImportRefusal> m_refusals;
    QSet<QString> m_reasons;
    std::optional<CWaitProgress> m_build;
    std::optional<CWaitDlg> m_outer;
};

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
    // The whole file is checked now, so that a malformed one is refused
    // before anything else is asked; only the caption line and the first
    // rows the pairing shows are kept. The records are read again as they
    // are registered.
    CCsvReader reader(path, format.GetDelimiter(), 0);
    reader.m_nEncoding = format.GetEncoding(); // decided for the preview
    qint64 count = 0;
    const auto read = LongWork::Run([&] { return reader.ReadHead(&m_rows, kHeadRows, &count); });
    if (read.stopped) {
        m_rows.clear(); // stopped by the user
        return 2;
    }
    // A file that cannot be read or parsed has had its message; an empty
    // one has not.
    if (read.value <= 0 || m_rows.isEmpty()) {
        if (QFileInfo(path).isFile() && QFileInfo(path).size() == 0)
            Say(QStringLiteral("読み込めるデータがありませんでした"));
        return 0;
    }
    m_stream = {path, format.GetDelimiter(), count, reader.m_nEncoding};
    return 1;
}

// ---- the import ---------------------------------------------------------------

int CMasterImport::ImportFromFile()
{
    int overwrite = 0;
    int answer = ExchangeDialogs().RunImportConfirm(overwrite);
    if (answer != IDOK)
        return answer;
    m_bOverwrite = overwrite;
    CImportFormatRules format(m_kind.side ? 0 : 2);
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
    else if (choice == CImportFormatRules::kContactXml && m_kind.side)
        filter = QStringLiteral("XML ﾌｧｲﾙ(*.xml)|*.xml||");
    else {
        Say(QStringLiteral("選択した形式が不正です"));
        return 2;
    }
    const QString path = UiServices::Prompt().GetOpenFileName(QString(), QString(), filter);
    if (path.isEmpty())
        return IDCANCEL;
    m_rows.clear();
    m_stream = {};
    m_bContactXml = choice == CImportFormatRules::kContactXml;
    const int read = m_bContactXml                           ? ReadContactXmlFile(path)
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
        return RegisterRows(mapping, 1, 0, 0);
    }
    if (m_rows.size() < 2) {
        Say(QStringLiteral("データ行がありません。処理を中止します。"));
        return 2;
    }
    CImportFieldMapRules map(m_kind, &m_rows);
    // A table's first row is already a record (the column names are the
    // header), so it is read unless the user says otherwise.
    map.m_bReadFirstRow = choice == CImportFormatRules::kAccess ? 1 : 0;
    answer = ExchangeDialogs().RunFieldMap(map);
    if (answer != IDOK)
        return answer;
    m_bAutoNumber = map.m_bAutoNumber;
    return RegisterRows(map.m_resultSet.m_cols, map.m_bReadFirstRow ? 1 : 2, map.m_bBreakAfterAddress1,
                        map.m_bBreakAfterAddress2);
}

int CMasterImport::RegisterRows(const QList<CQXCol>& mapping, int firstRow, int breakAfter1, int breakAfter2)
{
    if (!m_pDb)
        return 2;
    CWaitCursor cursor;
    // How many rows the source gives; a text file's first is row 1.
    const qint64 rows = m_stream.path.isEmpty() ? m_rows.size() - firstRow
                        : m_bContactXml         ? m_stream.rows
                                                : m_stream.rows - (firstRow - 1);
    Feed feed(*this, rows);
    if (feed.Open() != 1)
        return 2;
    // The records are built and written beside the window's thread, a file
    // read again meanwhile, with 中止: a stop registers nothing.
    const auto fed =
        m_pDb->RunBeside([&] { return FeedRows(feed, mapping, firstRow, breakAfter1, breakAfter2); });
    if (fed.stopped) {
        feed.Abandon();
        return 2;
    }
    return fed.value ? feed.Close() : 2;
}

bool CMasterImport::FeedRows(Feed& feed, const QList<CQXCol>& mapping, int firstRow, int breakAfter1,
                             int breakAfter2)
{
    const auto build = [&](const QStringList& row, qint64 index) {
        if (LongWork::Stopped())
            return false;
        feed.AtRow(index);
        auto record = BuildRecord(row, mapping, breakAfter1, breakAfter2);
        return !record || feed.Add(std::move(record));
    };
    if (m_bContactXml && !m_stream.path.isEmpty()) {
        // Each contact is built as the file is read.
        const QStringList header = m_rows.value(0);
        qint64 index = 0;
        QString reason;
        bool registered = true;
        const int read = CContactXmlConv().ReadContacts(
            m_stream.path, m_nXmlBlock, header,
            [&](QStringList&& row) {
                // The contact's place in the file is its row.
                row[0] = QString::number(index + 1);
                registered = build(row, index++);
                return registered;
            },
            &reason);
        if (!registered)
            return false;
        if (read != 1) {
            feed.Abandon();
            Say(QStringLiteral("%1 を読み込めませんでした。\n%2").arg(m_stream.path, reason),
                MB_ICONEXCLAMATION);
            return false;
        }
        return true;
    }
    if (!m_stream.path.isEmpty()) {
        // Rows of a text file, from `firstRow` on (its first is row 1).
        CCsvReader reader(m_stream.path, m_stream.delimiter, 0);
        reader.m_nEncoding = m_stream.encoding; // asked once, before the preview
        bool registered = true;
        const qint64 read = reader.ReadRows(
            [&](QStringList&& row) {
                const qint64 number = row.value(0).toLongLong();
                if (number < firstRow)
                    return true;
                registered = build(row, number - firstRow);
                return registered;
            },
            false);
        if (!registered)
            return false;
        if (read <= 0) {
            // The file changed since it was checked: nothing of it is kept.
            feed.Abandon();
            if (QFileInfo(m_stream.path).size() == 0)
                Say(QStringLiteral("読み込めるデータがありませんでした"));
            return false;
        }
        return true;
    }
    // Rows held in memory (a table, a sheet): each is let go once built.
    for (int r = firstRow; r < m_rows.size(); ++r) {
        if (!build(m_rows[r], r - firstRow))
            return false;
        m_rows[r] = QStringList();
    }
    return true;
}

int CMasterImport::ReadAccessFile(const QString& path)
{
    CWaitCursor cursor;
    const std::unique_ptr<IAccessSource> source = MakeAccessSource();
    source->SetMaxCells(m_nMaxCells);
    // The table list comes from a helper process, which a damaged file can
    // keep busy up to its deadline: the wait dialog says so meanwhile.
    const auto opened = LongWork::Run([&] {
        CWaitProgress opening(0, kWaitReadingFile);
        return source->Open(path);
    });
    if (opened.stopped)
        return 2; // stopped by the user
    if (opened.value != IAccessSource::kOk) {
        Say(source->OpenMessage(opened.value), MB_ICONEXCLAMATION);
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
    struct CTableRead {
        bool read = false, within = true;
    };
    const auto ran = LongWork::Run([&] {
        CWaitProgress wait(0, kWaitReadingFile);
        CTableRead table;
        table.read = source->ReadTable(choice.m_strChosen, columns, keys, rows, step);
        // The bound holds for whatever the source hands over.
        table.within = !table.read || qint64(rows.size()) * columns.size() <= m_nMaxCells;
        if (table.read && table.within)
            TakeAccessRows(columns, keys, rows);
        return table;
    });
    if (ran.stopped) {
        m_rows.clear(); // stopped by the user
        return 2;
    }
    const auto [read, within] = ran.value;
    if (!within) {
        Say(CellBoundText(m_nMaxCells, rows.size(), columns.size()));
        return 0;
    }
    if (!read && step == IAccessSource::TooLargeStep()) {
        Say(kFileTooLarge);
        return 0;
    }
    if (!read) {
        Say(QStringLiteral("データベースの読み込みに失敗しました。\n（%1：%2）")
                .arg(choice.m_strChosen, step),
            MB_ICONEXCLAMATION);
        return 0;
    }
    return 1;
}

void CMasterImport::TakeAccessRows(const QList<CAccessColumn>& columns, const QStringList& keys,
                                   QList<CAccessRow>& rows)
{
    SortAccessRows(columns, keys, rows);
    // Cells by the columns' positions; a position outside 1..count is not
    // read. Each record's values go once its texts are made.
    const int count = int(columns.size());
    int counter = 0;
    for (CAccessRow& values : rows) {
        if (LongWork::Stopped())
            return;
        QStringList row(count + 1);
        row[0] = QString::number(++counter);
        for (int c = 0; c < count && c < values.size(); ++c) {
            const int at = columns[c].ordinal;
            if (at >= 1 && at <= count)
                row[at] = AccessCellText(columns[c].type, values[c]);
        }
        values = CAccessRow();
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
}

int CMasterImport::ReadContactXmlFile(const QString& path)
{
    CContactXmlConv conv;
    if (conv.CheckXML() == 0)
        return 2;
    QStringList header;
    GetMasterFieldNames(m_kind, header, 0);
    m_rows.clear();
    // One pass checks the whole file and tells what is asked below; the
    // contacts are read again as they are registered.
    QString reason;
    CContactXmlConv::Survey survey;
    const auto read = LongWork::Run([&] {
        CWaitProgress wait(0, kWaitReadingFile);
        return conv.SurveyContacts(path, header.value(1), survey, &reason);
    });
    if (read.stopped)
        return 2; // stopped by the user
    if (read.value != 1) {
        Say(QStringLiteral("%1 を読み込めませんでした。\n%2").arg(path, reason), MB_ICONEXCLAMATION);
        return 2;
    }
    int block = CContactXmlConv::kCompany;
    if (survey.bothBlocks) {
        const int answer = RunChoiceDialog(8, block);
        if (answer != IDOK)
            return answer;
    }
    m_rows << header;
    m_nXmlBlock = block;
    m_stream = {path, QChar(), survey.contacts};
    m_bAutoNumber = 0;
    if (!survey.hasCodes) {
        // A file without codes: the library numbers the records.
        const int answer = ExchangeDialogs().RunCounterSet(m_kind.codeCounter);
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
    Feed feed(*this, records->GetCount());
    if (feed.Open() != 1)
        return 2;
    if (!feed.AddAll(*records))
        return 2;
    return feed.Close();
}
