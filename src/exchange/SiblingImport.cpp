// Master records taken over from the sibling products of the series: their
// Excel ledger books, the series' shared code-data files and the customer
// product's customers.

#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/MasterImport.h"
#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchiveReader.h"
#include "platform/data/MasterKinds.h"
#include "platform/env/RegistryIni.h"
#include "platform/office/QRTData.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

constexpr int kTextBytes = 256;
const char kBrenloKey[] = "SOFTWARE\\Pellam\\FENNIMOR\\Brenlo";
const char kToskelKey[] = "SOFTWARE\\Pellam\\FENNIMOR\\Toskel";
const char kCadmirKey[] = "SOFTWARE\\Pellam\\FENNIMOR\\Cadmir";
const char kCodeDataKey[] = "SOFTWARE\\Pellam\\Fennimor\\Common\\CodeData";

int Say(const QString& text, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

// The leading decimal number, when the text starts with one.
std::optional<int> LeadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype j = (t.startsWith(u'-') || t.startsWith(u'+')) ? 1 : 0;
    if (j >= t.size() || !t[j].isDigit())
        return std::nullopt;
    return LeadingInt(t);
}

// A file of the folder by its name without letter case.
QString FindFile(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return dir.filePath(name);
}

} // namespace

int CMasterImport::GetBrenloVersion()
{
    return ReadRegistryInt(QString::fromLatin1(kBrenloKey), QStringLiteral("Ver"));
}

int CMasterImport::GetToskelVersion()
{
    return ReadRegistryInt(QString::fromLatin1(kToskelKey), QStringLiteral("Ver"));
}

int CMasterImport::GetCadmirLinkFlag()
{
    return ReadRegistryInt(QString::fromLatin1(kCadmirKey), QStringLiteral("PloRen"));
}

QString CMasterImport::GetCodeDataPath()
{
    return ReadRegistryText(QString::fromLatin1(kCodeDataKey), QStringLiteral("DataPath"), 260);
}

int CMasterImport::ImportSibling(CCDSData* records, const std::function<int(CCDSData*)>& read)
{
    if (!m_pDb) {
        Say(QStringLiteral("データを追加できません"));
        return 2;
    }
    records->m_strTable = GetTableName();
    int overwrite = 0;
    const int answer = ExchangeDialogs().RunImportConfirm(overwrite);
    if (answer != IDOK)
        return answer;
    m_bOverwrite = overwrite;
    const int read_ = read(records);
    if (read_ != 1)
        return read_;
    if (records->GetCount() == 0) {
        Say(QStringLiteral("読み込むデータはありませんでした"));
        return 2;
    }
    return Register(records);
}

int CMasterImport::ImportFromBrenlo(CCDSData* records)
{
    return ImportSibling(records, [this](CCDSData* set) {
        const bool items = !m_kind.side;
        int choice = 0;
        const int answer = RunChoiceDialog(items ? 3 : 2, choice);
        if (answer != IDOK)
            return answer;
        if (choice == 0)
            return items ? ReadSiblingItemBook(set) : ReadSiblingCustomerBook(set, 0);
        if (choice == 1)
            return items ? ReadCodeDataItems(set, 0) : ReadCodeDataCustomers(set, 0);
        Say(QStringLiteral("選択した形式が不正です"));
        return 2;
    });
}

int CMasterImport::ImportFromCadmir(CCDSData* records)
{
    return ImportSibling(records, [this](CCDSData* set) { return ReadSiblingCustomerBook(set, 1); });
}

int CMasterImport::ImportFromToskel(CCDSData* records)
{
    return ImportSibling(records, [this](CCDSData* set) {
        return m_kind.side ? ReadCodeDataCustomers(set, 1) : ReadCodeDataItems(set, 1);
    });
}

namespace
{

// The customer product's three address parts as one address: a part's line
// break only where the join flag asks for it and text follows and precedes.
QString JoinAddress(const CKokyaku::CBlock& block, int join1, int join2)
{
    const QString& p1 = block.m_strAddress1;
    const QString& p2 = block.m_strAddress2;
    const QString& p3 = block.m_strAddress3;
    QString text = p1;
    if (join1 && !p1.isEmpty() && (!p2.isEmpty() || !p3.isEmpty()))
        text += QStringLiteral("\r\n");
    text += p2;
    if (join2 && !p3.isEmpty() && (!p2.isEmpty() || (!join1 && !p1.isEmpty())))
        text += QStringLiteral("\r\n");
    text += p3;
    return text;
}

// The customer product's tax type in ours (its export counterpart maps 3 to
// 4, so our 3 comes back as 0).
int TaxTypeFromQRT(int type)
{
    switch (type) {
    case 0:
        return 2;
    case 2:
        return 4;
    case 3:
    case 4:
        return 0;
    default:
        return type;
    }
}

} // namespace

int CMasterImport::ImportFromQRT(CCDSData* records)
{
    if (!m_pDb) {
        Say(QStringLiteral("データを追加できません"));
        return 2;
    }
    const QString table = GetTableName();
    records->m_strTable = table;
    CImportQRTData qrt;
    if (qrt.ImportData() != 1)
        return 2;
    m_bOverwrite = qrt.m_bOverwrite;
    {
        const CWaitCursor wait;
        const auto name = [&table](const char* field) -> QString {
            return table + u'.' + QLatin1String(field);
        };
        for (const CKokyaku& k : std::as_const(qrt.m_list)) {
            auto record = std::make_unique<COneRecord>();
            record->SetField(name("ID"), 0);
            record->SetField(name("CustomerCode"), k.m_strCode);
            if (k.m_nKind == 0) {
                record->SetField(name("Company"), k.m_strCompany);
                record->SetField(name("Section"), k.m_strSection);
                record->SetField(name("PhoenicCompany"), k.m_strPhoenicCompany);
            }
            record->SetField(name("Name"), k.m_strName);
            record->SetField(name(k.m_nKind == 1 || !k.m_strName.isEmpty() ? "Keisho2" : "Keisho"),
                             k.m_strKeisho);
            record->SetField(name("PhoenicPerson"), k.m_strPhoenicName);
            const CKokyaku::CBlock& block = k.m_nKind == 0 ? k.m_company : k.m_personal;
            record->SetField(name("Zip"), block.m_strZip);
            QString address = JoinAddress(block, qrt.m_bJoin1, qrt.m_bJoin2);
            TruncateBytes(address, kTextBytes);
            record->SetField(name("Address"), address);
            record->SetField(name("TEL"), block.m_strTel);
            record->SetField(name("FAX"), block.m_strFax);
            if (k.m_nMailSelect >= 1 && k.m_nMailSelect <= 5)
                record->SetField(name("E-mail"), k.m_strMail[k.m_nMailSelect - 1]);
            else
                record->AddField(CTb(name("E-mail")));
            record->SetField(name("Day"), k.m_nDay >= 29 && k.m_nDay <= 31 ? 99 : k.m_nDay);
            record->SetField(name("TaxType"), TaxTypeFromQRT(k.m_nTaxType));
            record->SetField(name("CollectType"), k.m_strCollectType == QStringLiteral("振込み")
                                                      ? QStringLiteral("振込")
                                                      : k.m_strCollectType);
            record->SetField(name("MyPerson"), k.m_strMyPerson);
            record->SetField(name("Class1"), k.m_strClass1);
            record->SetField(name("Class2"), k.m_strClass2);
            record->SetField(name("Memo"), k.m_strMemo);
            record->SetField(name("Collect"), CMny(0));
            record->SetField(name("Ceiling"), CMny(0));
            CompleteRecord(record.get());
            records->Add(std::move(record));
        }
    }
    if (records->GetCount() == 0) {
        Say(QStringLiteral("読み込むデータはありませんでした"));
        return 2;
    }
    return Register(records);
}

int CMasterImport::ReadSiblingCustomerBook(CCDSData* records, int source)
{
    const QString table = GetTableName();
    if (source == 1 && GetCadmirLinkFlag() == 1) {
        Say(QStringLiteral("『カドミア』は『ブレンロ』と連携しています。\n連携されたデータを読み込みます。"));
        source = 0;
    }
    m_rows.clear();
    CExcelApp excel;
    if (!excel.ReadSiblingBook(source == 1 ? 2 : 0, &m_rows))
        return 2;
    const CWaitCursor wait;
    static const char* const kFields[] = {nullptr, "Company", "Section", "Keisho", "Name",  "Keisho2",
                                          "Zip",   "Address", "TEL",     "FAX",    nullptr, "TaxType",
                                          "Day",   "Collect", nullptr,   "Memo"};
    for (const QStringList& row : std::as_const(m_rows)) {
        auto record = std::make_unique<COneRecord>();
        bool anyText = false;
        for (int c = 0; c < 16 && c < row.size(); ++c) {
            const bool read = c == 0 || (kFields[c] && !(source == 1 && c >= 11 && c <= 13));
            if (!read)
                continue;
            QString text = row[c];
            NormalizeLineBreaks(text);
            anyText = anyText || !text.isEmpty();
            const QString name = c == 0 ? m_kind.CodeField() : QLatin1String(kFields[c]);
            if (c == 11 || c == 12) {
                CTb field(table + u'.' + name);
                if (const auto number = LeadingNumber(text))
                    field = (c == 11 && *number == 4) ? 0 : *number;
                record->AddField(field);
            } else if (c == 13) {
                CTb field(table + u'.' + name);
                SetMoneyValue(field, text);
                record->AddField(field);
            } else if (const auto field = MakeFieldValue(name, text, 0)) {
                record->AddField(*field);
            }
        }
        if (anyText && record->GetCount() > 0) {
            CompleteRecord(record.get());
            records->Add(std::move(record));
        }
    }
    m_rows.clear();
    return 1;
}

int CMasterImport::ReadSiblingItemBook(CCDSData* records)
{
    const QString table = GetTableName();
    m_rows.clear();
    CExcelApp excel;
    if (!excel.ReadSiblingBook(1, &m_rows))
        return 2;
    const CWaitCursor wait;
    const QString taxFree = QStringLiteral("非課税");
    static const char* const kFields[] = {"ItemCode", "ItemName", "Price", "Unit", "Remarks"};
    for (const QStringList& row : std::as_const(m_rows)) {
        auto record = std::make_unique<COneRecord>();
        bool anyText = false;
        bool exempt = false;
        for (int c = 0; c < 5 && c < row.size(); ++c) {
            QString text = row[c];
            NormalizeLineBreaks(text);
            anyText = anyText || !text.isEmpty();
            const QString name = QLatin1String(kFields[c]);
            if (c == 2) {
                CTb field(table + u'.' + name);
                SetMoneyValue(field, text);
                record->AddField(field);
                continue;
            }
            if (c == 4) {
                exempt = text.contains(taxFree);
                TruncateBytes(text, kTextBytes);
                const qsizetype at = text.indexOf(taxFree);
                if (at >= 0)
                    text.remove(at, taxFree.size());
            }
            if (const auto field = MakeFieldValue(name, text, 0))
                record->AddField(*field);
        }
        if (anyText && record->GetCount() > 0) {
            record->SetField(table + QStringLiteral(".TaxFlg"), exempt ? 0 : 1);
            record->SetField(table + QStringLiteral(".TaxFlg2"), exempt ? 0 : 1);
            CompleteRecord(record.get());
            records->Add(std::move(record));
        }
    }
    m_rows.clear();
    return 1;
}

int CMasterImport::CheckCodeDataVersion(int source, bool items)
{
    int version = 0;
    const char* product = nullptr;
    const char* latest = nullptr;
    if (source == 0) {
        version = GetBrenloVersion();
        product = "ブレンロ";
        latest = "ブレンロ４";
        if (version < 610) {
            Say(QStringLiteral("『ブレンロ３』または『ブレンロ４』が見つかりません。\nこの機能は『ブレンロ３"
                               "』または『ブレンロ４』がインストールしてある場合のみ有効です。"));
            return 2;
        }
    } else if (source == 1) {
        version = GetToskelVersion();
        product = "トスケル";
        latest = "トスケル３";
        if (version < 610) {
            Say(QStringLiteral("『トスケル２』または『トスケル３』が見つかりません。\nこの機能は『トスケル２"
                               "』または『トスケル３』がインストールしてある場合のみ有効です。"));
            return 2;
        }
    } else {
        Say(QStringLiteral("読み込み対象のソフトが不明です。"));
        return 2;
    }
    if (version >= 800) {
        const QString text =
            QStringLiteral("『%"
                           "1』より新しいバージョンがインストールされています。\nデータが正しく取り込めないか"
                           "もしれませんが、処理を続けますか？\n\n※『%1』の%"
                           "2とデータ構成が変更されていない場合は正常に取り込めます。データ構成については%"
                           "3のマニュアルなどでご確認ください。")
                .arg(QString::fromUtf8(latest),
                     items ? QStringLiteral("商品ケルダン") : QStringLiteral("顧客ケルダン"),
                     QString::fromUtf8(product));
        if (UiServices::Prompt().MessageBox(text, MB_YESNO, MB_ICONINFORMATION, IDNO) != IDYES)
            return 2;
    }
    return 1;
}

int CMasterImport::ReadCodeData(CCDSData* records, int source, bool items)
{
    const int checked = CheckCodeDataVersion(source, items);
    if (checked != 1)
        return checked;
    QList<QStringList> elements;
    if (!ReadCodeDataFile(elements, items ? 1 : 0))
        return 2;
    const QString table = GetTableName();
    const CWaitCursor wait;
    static const char* const kCustomer[] = {nullptr,   "Company", "Section", "Keisho", "Name",
                                            "Keisho2", "Zip",     "Address", "TEL",    "FAX"};
    static const char* const kItem[] = {"ItemCode", "ItemName", "Price", "Unit", "Remarks"};
    for (const QStringList& element : std::as_const(elements)) {
        auto record = std::make_unique<COneRecord>();
        const int count = items ? 5 : 10;
        for (int i = 0; i < count && i < element.size(); ++i) {
            QString text = element[i];
            NormalizeLineBreaks(text);
            const QString name = items    ? QLatin1String(kItem[i])
                                 : i == 0 ? m_kind.CodeField()
                                          : QLatin1String(kCustomer[i]);
            if (items && i == 2) {
                CTb field(table + u'.' + name);
                SetMoneyValue(field, text);
                record->AddField(field);
            } else if (const auto field = MakeFieldValue(name, text, 0)) {
                record->AddField(*field);
            }
        }
        if (record->GetCount() > 0) {
            CompleteRecord(record.get());
            records->Add(std::move(record));
        }
    }
    return 1;
}

int CMasterImport::ReadCodeDataCustomers(CCDSData* records, int source)
{
    return ReadCodeData(records, source, false);
}

int CMasterImport::ReadCodeDataItems(CCDSData* records, int source)
{
    return ReadCodeData(records, source, true);
}

int CMasterImport::ParseCodeData(const QByteArray& bytes, QList<QStringList>& elements)
{
    elements.clear();
    try {
        CArchiveReader ar(bytes);
        if (ar.ReadInt32() > 1)
            return 0;
        const quint32 count = ar.ReadCount();
        elements.reserve(qsizetype(count));
        for (quint32 i = 0; i < count; ++i) {
            ar.ReadAnyObjectTag();
            const quint32 strings = ar.ReadCount();
            QStringList element;
            element.reserve(qsizetype(strings));
            for (quint32 s = 0; s < strings; ++s)
                element << ar.ReadTextOrWide();
            elements << element;
        }
        return 1;
    } catch (const CArchiveError&) {
        elements.clear();
        return -1;
    }
}

int CMasterImport::ReadCodeDataFile(QList<QStringList>& elements, int choice)
{
    const QString folder = GetCodeDataPath();
    if (folder.isEmpty()) {
        Say(QStringLiteral("ケルダンのデータが取得できませんでした。"));
        return 0;
    }
    if (choice != 0 && choice != 1) {
        Say(QStringLiteral("データを取得する台帳が特定できませんでした。"));
        return 0;
    }
    const QString path =
        FindFile(QString(folder).replace(u'\\', u'/'),
                 choice == 0 ? QStringLiteral("CodeKokyaku2.dat") : QStringLiteral("CodeShohin2.dat"));
    if (!QFileInfo(path).isFile()) {
        Say(QStringLiteral("データファイルがありません"));
        return 0;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Say(QStringLiteral("データファイルが開けません"));
        return 0;
    }
    const QByteArray bytes = file.readAll();
    // A count beyond the bytes, an unknown tag or a damaged text: refused
    // whole, nothing allocated for what the file cannot hold.
    const int parsed = ParseCodeData(bytes, elements);
    if (parsed < 0 || file.error() != QFileDevice::NoError) {
        Say(QStringLiteral("データファイルが開けません"));
        return 0;
    }
    return parsed;
}
