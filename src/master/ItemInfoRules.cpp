#include "master/ItemInfoRules.h"

#include "platform/data/MasterKinds.h"
#include "platform/data/MnyText.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/BunruiData.h"
#include "settings/dlg/DlgHelpers.h"

#include <tuple>

namespace
{

const QString kTable = QStringLiteral("Item");

QString Name(const char* field)
{
    return kTable + u'.' + QLatin1String(field);
}

QString DateText(const QDateTime& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

} // namespace

QString CItemFields::StartDateText() const
{
    return DateText(startDate);
}

QString CItemFields::LastUpdateText() const
{
    return DateText(lastUpdate);
}

CItemInfoRules::CItemInfoRules()
{
    m_store.SetKind(CMasterKind::Items());
    ClearFields(true);
}

CItemInfoRules::CItemInfoRules(IMasterStoreHost& host) : m_store(host)
{
    m_store.SetKind(CMasterKind::Items());
    ClearFields(true);
}

int CItemInfoRules::TaxIndexToCode(int index)
{
    switch (index) {
    case 0:
        return 1;
    case 1:
        return 2;
    case 2:
        return 0;
    default:
        return -1;
    }
}

int CItemInfoRules::TaxCodeToIndex(int code)
{
    switch (code) {
    case 1:
        return 0;
    case 2:
        return 1;
    case 0:
        return 2;
    default:
        return -1;
    }
}

bool CItemInfoRules::ClearFields(bool clear)
{
    bool hasData = m_f.nItemType != 0 || m_f.nTaxFlg != 0 || m_f.nTaxFlg2 != 0;
    for (const QString* text : {&m_f.strCode, &m_f.strName, &m_f.strPhoenic, &m_f.strJan, &m_f.strUnit,
                                &m_f.strPrice, &m_f.strCost, &m_f.strFixPrice, &m_f.strRemarks})
        hasData = hasData || !text->isEmpty();
    for (const QString& text : m_f.strClass)
        hasData = hasData || !text.isEmpty();
    if (clear) {
        // The reserve integers are the record's own and stay.
        const int yobi1 = m_f.nTaxFlgYobi1, yobi2 = m_f.nTaxFlgYobi2, yobiInt = m_f.nYobiInt;
        m_f = CItemFields();
        m_f.nTaxFlgYobi1 = yobi1;
        m_f.nTaxFlgYobi2 = yobi2;
        m_f.nYobiInt = yobiInt;
    }
    return hasData;
}

int CItemInfoRules::SetRecord(const COneRecord* record)
{
    ClearFields(true);
    std::unique_ptr<COneRecord> copy = record ? std::make_unique<COneRecord>(*record) : nullptr;
    m_pKept = std::move(copy);
    if (!m_pKept) {
        m_nMode = 0;
        m_focus = kFocusItemType;
        return 0;
    }
    const COneRecord& r = *m_pKept;
    auto field = [&](const char* name) { return r.GetOneField(kTable, QLatin1String(name)); };
    auto text = [&](const char* name, QString& out) {
        if (const CTb* f = field(name))
            out = f->GetText();
    };
    // An integer that must hold a value; -1 (unselected) without one.
    auto number = [&](const char* name, int& out) {
        if (const CTb* f = field(name)) {
            int value = 0;
            out = f->GetData(value) ? value : -1;
            return true;
        }
        return false;
    };
    auto money = [&](const char* name, QString& out) {
        CMny value;
        if (const CTb* f = field(name); f && f->GetData(value))
            out = MnyToText(value);
    };
    auto date = [&](const char* name, QDateTime& out) {
        QDateTime value;
        if (const CTb* f = field(name); f && f->GetData(value) && value.isValid())
            out = value;
    };

    int value = 0;
    if (number("ID", value) && value > 0)
        m_f.nID = value;
    if (number("ItemType", value))
        m_f.nItemType = value >= 1 ? value - 1 : -1;
    text("ItemCode", m_f.strCode);
    text("ItemName", m_f.strName);
    text("Phoenic", m_f.strPhoenic);
    text("JANCode", m_f.strJan);
    text("Unit", m_f.strUnit);
    text("Remarks", m_f.strRemarks);
    for (int i = 0; i < 5; ++i)
        text(QStringLiteral("Class%1").arg(i + 1).toLatin1().constData(), m_f.strClass[size_t(i)]);
    if (number("TaxFlg", value))
        m_f.nTaxFlg = TaxCodeToIndex(value);
    if (number("TaxFlg2", value))
        m_f.nTaxFlg2 = TaxCodeToIndex(value);
    money("Price", m_f.strPrice);
    money("Cost", m_f.strCost);
    money("FixPrice", m_f.strFixPrice);
    money("StockNumber", m_f.strStockNumber);
    money("StockJustNumber", m_f.strStockJustNumber);
    number("StockType", m_f.nStockType);
    number("SetItem", m_f.nSetItem);
    date("StartDate", m_f.startDate);
    date("LastUpdate", m_f.lastUpdate);
    // The main supplier set by an import is kept, so a change writes it back.
    text("SupplierCode", m_f.strSupplierCode);
    if (const CTb* f = field("TaxFlgYobi1"); f && f->GetData(value))
        m_f.nTaxFlgYobi1 = value;
    if (const CTb* f = field("TaxFlgYobi2"); f && f->GetData(value))
        m_f.nTaxFlgYobi2 = value;
    if (const CTb* f = field("YobiInt"); f && f->GetData(value))
        m_f.nYobiInt = value;
    return 1;
}

int CItemInfoRules::Refuse(const QString& text, Focus focus)
{
    m_focus = focus;
    UiServices::Prompt().MessageBox(text);
    return 0;
}

int CItemInfoRules::Save(bool confirm)
{
    m_focus = kFocusNone;
    // Codes and classifications of blanks only are no input.
    for (QString* text : {&m_f.strCode, &m_f.strSupplierCode, &m_f.strClass[0], &m_f.strClass[1],
                          &m_f.strClass[2], &m_f.strClass[3], &m_f.strClass[4]}) {
        if (IsBlankString(*text))
            text->clear();
    }
    if (ContainsBlank(m_f.strCode))
        return Refuse(QStringLiteral("品番には、スペース文字を含めることはできません。"), kFocusCode);

    const QString required = QStringLiteral("必須項目です。入力してください。");
    if (m_f.nItemType < 0 || m_f.nItemType > 2)
        return Refuse(required, kFocusItemType);
    if (m_f.strCode.isEmpty())
        return Refuse(required, kFocusCode);
    if (TaxIndexToCode(m_f.nTaxFlg) < 0)
        return Refuse(required, kFocusTaxFlg);
    if (TaxIndexToCode(m_f.nTaxFlg2) < 0)
        return Refuse(required, kFocusTaxFlg2);
    if (m_f.nStockType < 0)
        m_f.nStockType = m_f.nItemType == 0 ? 1 : 0;
    if (m_f.nSetItem != 0 && m_f.nSetItem != 1)
        m_f.nSetItem = 0;

    // A character the database keeps as '?' would be lost on saving.
    // The classifications are named by their titles.
    const std::tuple<const QString*, Focus, const char16_t*> texts[] = {
        {&m_f.strCode, kFocusCode, u"品番"},
        {&m_f.strName, kFocusName, u"品名"},
        {&m_f.strPhoenic, kFocusPhoenic, u"フリガナ"},
        {&m_f.strJan, kFocusJan, u"JANコード"},
        {&m_f.strUnit, kFocusUnit, u"単位"},
        {&m_f.strRemarks, kFocusRemarks, u"備考"},
        {&m_f.strClass[0], Focus(kFocusClass1), nullptr},
        {&m_f.strClass[1], Focus(kFocusClass1 + 1), nullptr},
        {&m_f.strClass[2], Focus(kFocusClass1 + 2), nullptr},
        {&m_f.strClass[3], Focus(kFocusClass1 + 3), nullptr},
        {&m_f.strClass[4], Focus(kFocusClass1 + 4), nullptr}};
    for (const auto& [text, focus, caption] : texts) {
        const QString bad = Cp932::UnmappableChars(*text);
        if (bad.isEmpty())
            continue;
        const QString field =
            caption ? QString::fromUtf16(caption) : CBunruiData().GetTitle(0, focus - kFocusClass1);
        return Refuse(UnusableCharsText(field, bad), focus);
    }

    if (m_nMode != 0) {
        if (confirm &&
            UiServices::Prompt().MessageBox(QStringLiteral("商品情報を修正します。よろしいですか？"),
                                            MB_YESNO, MB_ICONQUESTION) != IDYES)
            return 0;
        return UpdateRecord();
    }

    m_f.strSupplierCode.clear();
    m_f.nStockType = m_f.nItemType == 0 ? 1 : 0;
    m_f.strStockNumber.clear();
    m_f.strStockJustNumber.clear();
    m_f.nSetItem = 0;
    m_f.nTaxFlgYobi1 = 1;
    m_f.nTaxFlgYobi2 = 1;
    m_f.nYobiInt = 0;
    CCDSData request;
    if (!BuildRecord(request, false))
        return 0;
    CCDSData found;
    if (m_store.IsDuplicateCode(m_f.strCode, found))
        return Refuse(QStringLiteral("この品番は既に登録されています。\n登録できません。\n"), kFocusCode);
    if (confirm && UiServices::Prompt().MessageBox(QStringLiteral("新しい商品を登録します。よろしいですか？"),
                                                   MB_YESNO, MB_ICONQUESTION) != IDYES)
        return 0;
    if (m_store.Insert(request) != 1)
        return 0;
    ClearFields(true);
    m_focus = kFocusItemType;
    return 1;
}

int CItemInfoRules::BuildRecord(CCDSData& request, bool change)
{
    const QDateTime now = UiServices::Clock().Now();
    COneRecord* r = request.AddNew();
    if (!r) {
        UiServices::Prompt().MessageBox(QStringLiteral("メモリ不足です。\n"));
        return 0;
    }
    auto money = [](const QString& text) { return text.isEmpty() ? CMny() : TextToMny(text); };
    r->Reserve(28);
    if (!change)
        r->SetField(Name("ID"), 0);
    r->SetField(Name("ItemType"), m_f.nItemType + 1);
    if (!change)
        r->SetField(Name("ItemCode"), m_f.strCode);
    r->SetField(Name("ItemName"), m_f.strName);
    r->SetField(Name("Phoenic"), m_f.strPhoenic);
    r->SetField(Name("Unit"), m_f.strUnit);
    r->SetField(Name("TaxFlg"), TaxIndexToCode(m_f.nTaxFlg));
    r->SetField(Name("Price"), money(m_f.strPrice));
    r->SetField(Name("TaxFlg2"), TaxIndexToCode(m_f.nTaxFlg2));
    r->SetField(Name("Cost"), money(m_f.strCost));
    r->SetField(Name("FixPrice"), money(m_f.strFixPrice));
    r->SetField(Name("StockType"), m_f.nStockType);
    r->SetField(Name("StockNumber"), money(m_f.strStockNumber));
    r->SetField(Name("StockJustNumber"), money(m_f.strStockJustNumber));
    r->SetField(Name("SetItem"), m_f.nSetItem);
    r->SetField(Name("SupplierCode"), m_f.strSupplierCode);
    r->SetField(Name("Remarks"), m_f.strRemarks);
    for (int i = 0; i < 5; ++i)
        r->SetField(kTable + QStringLiteral(".Class%1").arg(i + 1), m_f.strClass[size_t(i)]);
    r->SetField(Name("JANCode"), m_f.strJan);
    if (change) {
        CTb start(Name("StartDate"), CTb::kDate);
        if (m_f.startDate.isValid())
            start = m_f.startDate;
        r->AddField(start);
    } else {
        r->SetField(Name("StartDate"), now);
    }
    r->SetField(Name("LastUpdate"), now);
    r->SetField(Name("TaxFlgYobi1"), m_f.nTaxFlgYobi1);
    r->SetField(Name("TaxFlgYobi2"), m_f.nTaxFlgYobi2);
    r->SetField(Name("YobiInt"), m_f.nYobiInt);
    request.m_strTable = kTable;
    if (change)
        request.m_strCondition = QStringLiteral("WHERE ID=%1").arg(m_f.nID);
    return 1;
}

int CItemInfoRules::UpdateRecord()
{
    CCDSData request;
    if (!BuildRecord(request, true))
        return 0;
    if (m_store.Update(request, true) != 1)
        return 0;
    // The list finds its row by the ID and shows the code: both go first.
    COneRecord sent;
    sent.SetField(Name("ItemCode"), m_f.strCode);
    sent.SetField(Name("ID"), m_f.nID);
    const COneRecord& built = *request.GetAt(0);
    for (int i = 0; i < built.GetCount(); ++i)
        sent.AddField(*built.GetAt(i));
    // Without a product list on screen the dialog becomes an empty new entry.
    SetRecord(m_store.NotifyAdded(&sent) ? &sent : nullptr);
    return 1;
}

bool CItemInfoRules::LookUpCode(const QString& code)
{
    if (m_nMode != 0 || code.isEmpty() || IsBlankString(code))
        return false;
    CCDSData found;
    m_store.IsDuplicateCode(code, found);
    if (found.GetCount() == 0)
        return false;
    if (UiServices::Prompt().MessageBox(
            QStringLiteral(
                "入力した品番と一致するデータが既に登録されています。\nそのデータを表示しますか？"),
            MB_YESNO, MB_ICONQUESTION) != IDYES) {
        m_f.strCode.clear();
        m_focus = kFocusCode;
        return false;
    }
    SetRecord(found.GetAt(0));
    m_nMode = 1;
    return true;
}

int CItemInfoRules::AskSaveChanges(const QString& question)
{
    switch (UiServices::Prompt().MessageBox(question, MB_YESNOCANCEL, MB_ICONQUESTION)) {
    case IDYES:
        return Save(false) ? 1 : 0;
    case IDNO:
        return 1;
    default:
        return 0;
    }
}

bool CItemInfoRules::ShowNeighbour(int direction)
{
    m_focus = kFocusNone;
    if (IsModified() && !AskSaveChanges(QStringLiteral("この商品データは変更されています。登録しますか？")))
        return false;
    COneRecord* record =
        direction == 0 ? m_store.SelectPrevRecord(nullptr) : m_store.SelectNextRecord(nullptr);
    if (!record) {
        UiServices::Prompt().MessageBox((direction == 0 ? QStringLiteral("前の") : QStringLiteral("次の")) +
                                        QStringLiteral("データが取得できませんでした。\n"));
        return false;
    }
    SetRecord(record);
    return true;
}

void CItemInfoRules::GetPrevNextState(bool& hasPrev, bool& hasNext)
{
    m_store.GetPrevNextState(hasPrev, hasNext);
}

bool CItemInfoRules::QueryClose()
{
    m_focus = kFocusNone;
    if (m_nMode == 1) {
        return !IsModified() ||
               AskSaveChanges(QStringLiteral("この商品データは変更されています。\n登録しますか？"));
    }
    if (!ClearFields(false))
        return true;
    return AskSaveChanges(QStringLiteral("この商品データはまだ登録されていません。\n登録しますか？"));
}

bool CItemInfoRules::IsFieldChanged(const QString& field, const QString& text) const
{
    if (!m_pKept)
        return true;
    const CTb* stored = m_pKept->GetOneField(kTable, field);
    if (!stored)
        return true;
    if (text.isEmpty() && stored->IsNull())
        return false;
    switch (stored->GetType()) {
    case CTb::kText: {
        QString value;
        stored->GetData(value);
        return value != text;
    }
    case CTb::kMoney: {
        CMny value;
        stored->GetData(value);
        return !(TextToMny(text) == value);
    }
    default:
        return true;
    }
}

bool CItemInfoRules::IsModified() const
{
    if (m_nMode != 1)
        return false;
    if (!m_pKept)
        return true;
    auto codeDiffers = [&](const char* name, int code) {
        const CTb* f = m_pKept->GetOneField(kTable, QLatin1String(name));
        if (!f)
            return true;
        int stored = -1;
        if (!f->GetData(stored))
            stored = -1;
        return stored != code;
    };
    if (codeDiffers("ItemType", m_f.nItemType + 1))
        return true;
    const std::pair<const char*, const QString*> texts[] = {{"ItemCode", &m_f.strCode},
                                                            {"ItemName", &m_f.strName},
                                                            {"Phoenic", &m_f.strPhoenic},
                                                            {"JANCode", &m_f.strJan},
                                                            {"Unit", &m_f.strUnit}};
    for (const auto& [name, text] : texts)
        if (IsFieldChanged(QLatin1String(name), *text))
            return true;
    if (codeDiffers("TaxFlg", TaxIndexToCode(m_f.nTaxFlg)) ||
        IsFieldChanged(QStringLiteral("Price"), m_f.strPrice) ||
        codeDiffers("TaxFlg2", TaxIndexToCode(m_f.nTaxFlg2)) ||
        IsFieldChanged(QStringLiteral("Cost"), m_f.strCost) ||
        IsFieldChanged(QStringLiteral("FixPrice"), m_f.strFixPrice))
        return true;
    for (int i = 0; i < 5; ++i)
        if (IsFieldChanged(QStringLiteral("Class%1").arg(i + 1), m_f.strClass[size_t(i)]))
            return true;
    return IsFieldChanged(QStringLiteral("Remarks"), m_f.strRemarks);
}
