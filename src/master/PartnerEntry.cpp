#include "master/PartnerEntry.h"

#include "master/AddressLookup.h"
#include "master/MasterDb.h"
#include "master/MasterEditRules.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/MnyText.h"
#include "platform/lookup/RLAddress.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/BunruiData.h"
#include "settings/CounterInfo.h"
#include "settings/SalesCondition.h"
#include "settings/SettingsArchive.h"
#include "settings/SettingsFiles.h"
#include "settings/dlg/DlgHelpers.h"

namespace
{

int InList(int index, int count)
{
    return index >= 0 && index < count ? index : -1;
}

const QString kSama = QStringLiteral("様");
const QString kHundred = QStringLiteral("100.0");

QString L(const char* name)
{
    return QString::fromLatin1(name);
}

// A field of the record, read by name; null when the record lacks it.
const CTb* Field(const COneRecord& record, const QString& table, const char* name)
{
    return record.GetOneField(table, QLatin1StringView(name));
}

} // namespace

namespace
{

SPartnerTraits TraitsOf(const CMasterKind& k)
{
    return {k,
            k.Table(),
            k.CodeField(),
            k.Word(),
            k.codeCounter,
            k.columnSet,
            L(k.side->header),
            k.kind == EMasterKind::Customer};
}

} // namespace

const SPartnerTraits& SPartnerTraits::Customer()
{
    static const SPartnerTraits traits = TraitsOf(CMasterKind::Customers());
    return traits;
}

const SPartnerTraits& SPartnerTraits::Supplier()
{
    static const SPartnerTraits traits = TraitsOf(CMasterKind::Suppliers());
    return traits;
}

int DayIndexToCloseDay(int index)
{
    return CloseDayFromIndex(index);
}

int CloseDayToDayIndex(int day)
{
    return CloseDayToIndex(day);
}

QStringList CloseDayEntries()
{
    return CloseDayTexts();
}

int TaxTypeToIndex(int value)
{
    if (value == 0)
        return 4;
    return value >= 1 && value <= 4 ? value - 1 : -1;
}

int TaxIndexToType(int index)
{
    return index == 4 ? 0 : index + 1;
}

int CollectDayToIndex(int day)
{
    return day == 99 ? 0 : InList(day, 29);
}

QStringList KeishoTexts()
{
    return {QStringLiteral("様"), QStringLiteral("御中"), QStringLiteral("殿")};
}

QStringList TaxTypeEntries()
{
    return {QStringLiteral("請求時"), QStringLiteral("納品ごと"), QStringLiteral("明細ごと"),
            QStringLiteral("内税"), QStringLiteral("しない")};
}

QStringList RoundEntries()
{
    return {QStringLiteral("端数切り捨て"), QStringLiteral("端数四捨五入"), QStringLiteral("端数切り上げ")};
}

QStringList CycleEntries()
{
    return {QStringLiteral("請求後"), QStringLiteral("当月"),  QStringLiteral("翌月"),
            QStringLiteral("翌々月"), QStringLiteral("3ヶ月"), QStringLiteral("4ヶ月"),
            QStringLiteral("5ヶ月"),  QStringLiteral("6ヶ月")};
}

QStringList CollectDayEntries()
{
    QStringList days{QStringLiteral("月末")};
    for (int day = 1; day <= 28; ++day)
        days << QStringLiteral("%1日").arg(day);
    return days;
}

QStringList MethodEntries()
{
    return {QStringLiteral("現金"), QStringLiteral("小切手"), QStringLiteral("振込"),
            QStringLiteral("手形"), QStringLiteral("相殺"),   QStringLiteral("その他")};
}

const QList<SPartnerText>& PartnerHeadTexts()
{
    using V = CPartnerValues;
    using F = EPartnerField;
    static const QList<SPartnerText> texts{
        {"Company", &V::company, 100, F::Company},
        {"Section", &V::section, 100, F::Section},
        {"Name", &V::name, 50, F::Name},
        {"Keisho", &V::keisho, 10, F::Keisho},
        {"Keisho2", &V::keisho2, 10, F::Keisho2},
        {"PhoenicCompany", &V::phoenicCompany, 100, F::PhoenicCompany},
        {"PhoenicPerson", &V::phoenicPerson, 50, F::PhoenicPerson},
        {"Zip", &V::zip, 10, F::Zip},
        {"Address", &V::address, 255, F::Address},
        {"TEL", &V::tel, 20, F::Tel},
        {"FAX", &V::fax, 20, F::Fax},
        {"E-mail", &V::mail, 255, F::Mail},
    };
    return texts;
}

const QList<SPartnerText>& PartnerBankTexts()
{
    using V = CPartnerValues;
    using F = EPartnerField;
    static const QList<SPartnerText> texts{
        {"Bank", &V::bank, 50, F::Bank},
        {"BankCode", &V::bankCode, 10, F::BankCode},
        {"BankBranch", &V::bankBranch, 50, F::BankBranch},
        {"BankBranchCode", &V::bankBranchCode, 10, F::BankBranchCode},
        {"BankNumber", &V::bankNumber, 10, F::BankNumber},
        {"BankOnesName", &V::bankOnesName, 100, F::BankOnesName},
        {"BankOnesPhoenic", &V::bankOnesPhoenic, 100, F::BankOnesPhoenic},
    };
    return texts;
}

const QList<SPartnerText>& PartnerTailTexts()
{
    using V = CPartnerValues;
    using F = EPartnerField;
    static const QList<SPartnerText> texts{
        {"OnesCode", &V::onesCode, 20, F::OnesCode},
        {"MyPerson", &V::myPerson, 30, F::MyPerson},
        {"Memo", &V::memo, 255, F::Memo},
    };
    return texts;
}

QString PartnerFieldCaption(const SPartnerTraits& traits, EPartnerField field)
{
    using F = EPartnerField;
    const bool customer = traits.customer;
    if (field >= F::Class1 && field <= F::Class5)
        return CBunruiData().GetTitle(traits.ledger, int(field) - int(F::Class1));
    switch (field) {
    case F::Code:
        return QStringLiteral("入力コード");
    case F::Company:
        return QStringLiteral("会社名");
    case F::Section:
        return QStringLiteral("部署名");
    case F::Name:
        return QStringLiteral("名前");
    case F::Keisho:
    case F::Keisho2:
        return QStringLiteral("敬称");
    case F::PhoenicCompany:
        return QStringLiteral("会社ﾌﾘｶﾞﾅ");
    case F::PhoenicPerson:
        return QStringLiteral("名前ﾌﾘｶﾞﾅ");
    case F::Zip:
        return QStringLiteral("郵便番号");
    case F::Address:
        return QStringLiteral("住所");
    case F::Tel:
        return QStringLiteral("TEL");
    case F::Fax:
        return QStringLiteral("FAX");
    case F::Mail:
        return QStringLiteral("E-mail");
    case F::Percent:
        return QStringLiteral("掛率");
    case F::DayCount:
        return customer ? QStringLiteral("入金予定") : QStringLiteral("支払予定");
    case F::Collect:
        return customer ? QStringLiteral("導入時売掛残") : QStringLiteral("導入時買掛残");
    case F::Method:
        return customer ? QStringLiteral("主な入金方法") : QStringLiteral("主な支払方法");
    case F::Ceiling:
        return QStringLiteral("与信限度額");
    case F::OnesCode:
        return QStringLiteral("相手先指定コード");
    case F::MyPerson:
        return QStringLiteral("自社担当者");
    case F::Memo:
        return QStringLiteral("メモ");
    case F::Bank:
        return QStringLiteral("振込先の銀行名");
    case F::BankCode:
        return QStringLiteral("振込先の銀行コード");
    case F::BankBranch:
        return QStringLiteral("振込先の支店名");
    case F::BankBranchCode:
        return QStringLiteral("振込先の支店コード");
    case F::BankNumber:
        return QStringLiteral("振込先の口座番号");
    case F::BankOnesName:
        return QStringLiteral("振込先の名義");
    case F::BankOnesPhoenic:
        return QStringLiteral("振込先の名義ﾌﾘｶﾞﾅ");
    default:
        return {};
    }
}

namespace
{

// The supplier's bank codes, in record order among the bank texts.
struct SBankCode {
    const char* name;
    int CPartnerValues::*member;
    int fresh; // the value of a new record
};
const SBankCode kBankCodes[] = {
    {"BankAccountType", &CPartnerValues::bankAccountType, 1},
    {"BankFee", &CPartnerValues::bankFee, 0},
    {"PaymentType", &CPartnerValues::paymentType, 1},
    {"BankType", &CPartnerValues::bankType, 1},
};

// The whole text list of the dialog, for comparisons and checks.
QList<SPartnerText> AllTexts(const SPartnerTraits& traits)
{
    QList<SPartnerText> texts = PartnerHeadTexts();
    if (!traits.customer)
        texts += PartnerBankTexts();
    texts += PartnerTailTexts();
    return texts;
}

const char* const kClassNames[5] = {"Class1", "Class2", "Class3", "Class4", "Class5"};

} // namespace

CPartnerEntry::CPartnerEntry(const SPartnerTraits& traits, IMasterStoreHost* host)
    : m_traits(traits),
      m_pStore(host ? std::make_unique<CMasterRecordStore>(*host) : std::make_unique<CMasterRecordStore>())
{
    m_pStore->SetKind(traits.master);
}

CPartnerEntry::~CPartnerEntry() = default;

int CPartnerEntry::Message(const QString& text, int buttons, int icon, EPartnerField focus)
{
    const int answer = UiServices::Prompt().MessageBox(text, buttons, icon);
    if (focus != EPartnerField::None)
        m_focus = focus;
    return answer;
}

void CPartnerEntry::ApplyAutomaticCode()
{
    m_nCodeMode = 0;
    CCounterInfo counters;
    const CCounterInfoElem* elem = counters.GetElem(m_traits.counterKind);
    if (elem && elem->m_nAuto == 1) {
        m_nCodeMode = 1;
        m_values.code = elem->Format();
    }
}

bool CPartnerEntry::ResetFields(bool compareOnly)
{
    const CPartnerValues before = m_values;
    CPartnerValues& v = m_values;
    bool differs = v.code != m_strLoadedCode;
    if (!compareOnly) {
        m_nRecordId = 0;
        v.code.clear();
        ApplyAutomaticCode();
    }
    for (const SPartnerText& text : AllTexts(m_traits)) {
        const QString fresh = text.member == &CPartnerValues::keisho2 ? kSama : QString();
        differs |= v.*text.member != fresh;
        v.*text.member = fresh;
    }
    for (QString& cls : v.cls) {
        differs |= !cls.isEmpty();
        cls.clear();
    }
    if (m_traits.customer) {
        differs |= v.percent != kHundred;
        v.percent = kHundred;
        differs |= !v.ceiling.isEmpty();
        v.ceiling.clear();
    } else {
        for (const SBankCode& code : kBankCodes) {
            differs |= v.*code.member != code.fresh;
            v.*code.member = code.fresh;
        }
    }
    differs |= !v.collect.isEmpty();
    v.collect.clear();
    v.startDate = v.lastUpdate = QDateTime();

    v.day = v.taxType = v.taxRound = v.round = v.cycle = v.dayList = 0;
    v.dayCount = QStringLiteral("0");
    v.method.clear();
    v.methodIndex = -1;
    LoadAutDefaults();
    differs |= v.day != before.day || v.taxType != before.taxType || v.taxRound != before.taxRound ||
               v.round != before.round || v.cycle != before.cycle || v.method != before.method ||
               v.methodIndex != before.methodIndex;
    differs |= before.cycle != 0 ? v.dayList != before.dayList : v.dayCount != before.dayCount;
    if (compareOnly)
        m_values = before;
    return differs;
}

void CPartnerEntry::LoadAutDefaults()
{
    const QString folder = m_bDbFolderSet ? m_strDbFolder : GetCurrentDBFolder();
    if (folder.isEmpty())
        return;
    const QString other = OtherFolder(folder);
    const auto read = [&other](const char* name, QString& text) {
        text = ReadDefaultValue(other, QLatin1StringView(name));
        return !text.isEmpty();
    };
    CPartnerValues& v = m_values;
    QString text;
    if (read("CloseDay.aut", text))
        v.day = CloseDayToDayIndex(LeadingInt(text));
    if (read("RoundType.aut", text))
        v.round = InList(LeadingInt(text) - 1, 3);
    if (read("TaxType.aut", text))
        v.taxType = TaxTypeToIndex(LeadingInt(text));
    if (read("TaxRoundType.aut", text))
        v.taxRound = InList(LeadingInt(text) - 1, 3);
    if (read("CollectCycle.aut", text))
        v.cycle = InList(LeadingInt(text), 8);
    if (read("CollectDay.aut", text)) {
        const int day = LeadingInt(text);
        v.dayCount = QString::number(day);
        v.dayList = CollectDayToIndex(day);
    }
    if (read("CollectType.aut", text)) {
        v.method = text;
        v.methodIndex = int(MethodEntries().indexOf(text));
    }
}

void CPartnerEntry::SetRecord(const COneRecord* record)
{
    NewRecord();
    m_pHeld.reset();
    if (!record) {
        m_strLoadedCode.clear();
        return;
    }
    m_pHeld = std::make_unique<COneRecord>(*record);
    const QString& table = m_traits.table;
    CPartnerValues& v = m_values;
    const auto integer = [&](const char* name, int& out) {
        const CTb* tb = Field(*record, table, name);
        return tb && tb->GetData(out);
    };
    const auto text = [&](const char* name, QString& out) {
        if (const CTb* tb = Field(*record, table, name))
            out = tb->GetText();
    };
    const auto money = [&](const char* name, QString& out) {
        CMny value;
        if (const CTb* tb = Field(*record, table, name); tb && tb->GetData(value))
            out = MnyToText(value);
    };
    int number = 0;
    if (integer("ID", number))
        m_nRecordId = number;
    if (const CTb* tb = record->GetOneField(table, m_traits.codeField))
        v.code = m_strLoadedCode = tb->GetText();
    else
        m_strLoadedCode = v.code;
    for (const SPartnerText& field : PartnerHeadTexts())
        text(field.name, v.*field.member);
    if (!Field(*record, table, "Keisho2"))
        v.keisho2.clear();
    v.day = integer("Day", number) ? CloseDayToDayIndex(number) : -1;
    v.taxType = integer("TaxType", number) ? TaxTypeToIndex(number) : -1;
    v.taxRound = integer("TaxRoundType", number) ? InList(number - 1, 3) : -1;
    v.round = integer("RoundType", number) ? InList(number - 1, 3) : -1;
    v.cycle = integer("CollectCycle", number) ? InList(number, 8) : -1;
    if (integer("CollectDay", number)) {
        v.dayCount = QString::number(number);
        v.dayList = CollectDayToIndex(number);
    } else {
        v.dayCount = QStringLiteral("0");
        v.dayList = -1;
    }
    money("Collect", v.collect);
    if (m_traits.customer) {
        money("Percent", v.percent);
        money("Ceiling", v.ceiling);
    } else {
        for (const SPartnerText& field : PartnerBankTexts())
            text(field.name, v.*field.member);
        for (const SBankCode& code : kBankCodes)
            v.*code.member = integer(code.name, number) ? number : -1;
    }
    if (Field(*record, table, "CollectType")) {
        text("CollectType", v.method);
        v.methodIndex = int(MethodEntries().indexOf(v.method));
    } else {
        v.method.clear();
        v.methodIndex = -1;
    }
    for (int i = 0; i < 5; ++i)
        text(kClassNames[i], v.cls[i]);
    for (const SPartnerText& field : PartnerTailTexts())
        text(field.name, v.*field.member);
    QDateTime date;
    if (const CTb* tb = Field(*record, table, "StartDate"); tb && tb->GetData(date))
        v.startDate = date;
    if (const CTb* tb = Field(*record, table, "LastUpdate"); tb && tb->GetData(date))
        v.lastUpdate = date;
}

bool CPartnerEntry::IsModified() const
{
    if (m_nMode == 0)
        return false;
    if (!m_pHeld)
        return true;
    const COneRecord& held = *m_pHeld;
    const QString& table = m_traits.table;
    const CPartnerValues& v = m_values;
    const auto textDiffers = [&](const char* name, const QString& value) {
        const CTb* tb = Field(held, table, name);
        return tb && tb->GetText() != value;
    };
    const auto intDiffers = [&](const char* name, int value, int (*convert)(int)) {
        const CTb* tb = Field(held, table, name);
        int stored = 0;
        return tb && tb->GetData(stored) && convert(stored) != value;
    };
    const auto moneyDiffers = [&](const char* name, const QString& text) {
        const CTb* tb = Field(held, table, name);
        CMny stored;
        return tb && tb->GetData(stored) && !(stored == TextToMny(text));
    };
    if (const CTb* tb = held.GetOneField(table, m_traits.codeField); tb && tb->GetText() != v.code)
        return true;
    for (const SPartnerText& field : AllTexts(m_traits)) {
        if (textDiffers(field.name, v.*field.member))
            return true;
    }
    for (int i = 0; i < 5; ++i) {
        if (textDiffers(kClassNames[i], v.cls[i]))
            return true;
    }
    if (textDiffers("CollectType", v.method))
        return true;
    const auto same = [](int value) { return value; };
    const auto minusOne = [](int value) { return InList(value - 1, 3); };
    if (intDiffers("Day", v.day, CloseDayToDayIndex) || intDiffers("TaxType", v.taxType, TaxTypeToIndex) ||
        intDiffers("TaxRoundType", v.taxRound, minusOne) || intDiffers("RoundType", v.round, minusOne) ||
        intDiffers(
            "CollectCycle", v.cycle, +[](int value) { return InList(value, 8); }))
        return true;
    if (v.DayCountActive() ? intDiffers("CollectDay", v.dayCount.trimmed().toInt(), same)
                           : intDiffers("CollectDay", v.dayList, CollectDayToIndex))
        return true;
    if (moneyDiffers("Collect", v.collect))
        return true;
    if (m_traits.customer)
        return moneyDiffers("Percent", v.percent) || moneyDiffers("Ceiling", v.ceiling);
    for (const SBankCode& code : kBankCodes) {
        if (intDiffers(code.name, v.*code.member, same))
            return true;
    }
    return false;
}

void CPartnerEntry::ClearBlankValues()
{
    if (IsBlankString(m_values.code))
        m_values.code.clear();
    for (QString& cls : m_values.cls) {
        if (IsBlankString(cls))
            cls.clear();
    }
}

int CPartnerEntry::CheckCodeBlanks()
{
    if (!ContainsBlank(m_values.code))
        return 1;
    Message(m_traits.word + QStringLiteral("コードには、スペース文字を含めることはできません。"), MB_OK,
            MB_ICONEXCLAMATION, EPartnerField::Code);
    return 0;
}

int CPartnerEntry::CheckEncodable()
{
    // Characters without a code page 932 form would be stored as '?'.
    const CPartnerValues& v = m_values;
    QStringList texts{v.code, v.method, v.percent, v.collect, v.ceiling, v.dayCount};
    QList<EPartnerField> fields{EPartnerField::Code,    EPartnerField::Method,  EPartnerField::Percent,
                                EPartnerField::Collect, EPartnerField::Ceiling, EPartnerField::DayCount};
    for (const SPartnerText& field : AllTexts(m_traits)) {
        texts << v.*field.member;
        fields << field.field;
    }
    for (int i = 0; i < 5; ++i) {
        texts << v.cls[i];
        fields << EPartnerField(int(EPartnerField::Class1) + i);
    }
    for (int i = 0; i < texts.size(); ++i) {
        const QString bad = Cp932::UnmappableChars(texts[i]);
        if (bad.isEmpty())
            continue;
        Message(UnusableCharsText(PartnerFieldCaption(m_traits, fields[i]), bad), MB_OK, MB_ICONEXCLAMATION,
                fields[i]);
        return 0;
    }
    return 1;
}

int CPartnerEntry::CheckRequired()
{
    const CPartnerValues& v = m_values;
    EPartnerField missing = EPartnerField::None;
    if (v.code.isEmpty())
        missing = EPartnerField::Code;
    else if (v.day < 0)
        missing = EPartnerField::Day;
    else if (v.taxType < 0)
        missing = EPartnerField::TaxType;
    else if (v.taxRound < 0)
        missing = EPartnerField::TaxRound;
    else if (v.round < 0)
        missing = EPartnerField::Round;
    else if (m_traits.customer && v.percent.isEmpty())
        missing = EPartnerField::Percent;
    else if (v.cycle < 0)
        missing = EPartnerField::Cycle;
    else if (!v.DayCountActive() && v.dayList < 0)
        missing = EPartnerField::DayList;
    else if (v.DayCountActive()) {
        bool ok = false;
        const int days = v.dayCount.trimmed().toInt(&ok);
        if (!ok || days < 0)
            missing = EPartnerField::DayCount;
    }
    if (missing == EPartnerField::None)
        return 1;
    m_focus = missing;
    Message(QStringLiteral("必須項目です。入力してください。"), MB_OK, MB_ICONEXCLAMATION);
    return 0;
}

int CPartnerEntry::CheckDayTaxRule()
{
    if (DayIndexToCloseDay(m_values.day) != 0 || m_values.taxType != 0)
        return 1;
    Message(QStringLiteral(
                "締日の設定が「都度」になっています。\n税転嫁方法に「請求時」を設定することは出来ません。\n"),
            MB_OK, MB_ICONEXCLAMATION, EPartnerField::TaxType);
    return 0;
}

int CPartnerEntry::BuildRecord(CCDSData& request) const
{
    const CPartnerValues& v = m_values;
    const QString prefix = m_traits.table + QLatin1Char('.');
    request.Clear();
    request.m_strTable = m_traits.table;
    COneRecord* record = request.AddNew();
    if (!record)
        return 0;
    const auto put = [&](const char* name, const auto& value) {
        record->SetField(prefix + QLatin1StringView(name), value);
    };
    if (m_nMode == 0) {
        put("ID", 0);
        record->SetField(prefix + m_traits.codeField, v.code);
    }
    for (const SPartnerText& field : PartnerHeadTexts())
        put(field.name, v.*field.member);
    put("Day", DayIndexToCloseDay(v.day));
    put("TaxType", TaxIndexToType(v.taxType));
    put("TaxRoundType", v.taxRound + 1);
    put("RoundType", v.round + 1);
    if (m_traits.customer)
        put("Percent", TextToMny(v.percent));
    put("CollectCycle", v.cycle);
    put("CollectDay", v.DayCountActive() ? v.dayCount.trimmed().toInt() : (v.dayList == 0 ? 99 : v.dayList));
    put("Collect", TextToMny(v.collect));
    put("CollectType", v.method);
    if (m_traits.customer) {
        put("Ceiling", TextToMny(v.ceiling));
    } else {
        const QList<SPartnerText>& bank = PartnerBankTexts();
        for (int i = 0; i < 4; ++i)
            put(bank[i].name, v.*bank[i].member);
        put("BankAccountType", v.bankAccountType);
        for (int i = 4; i < 7; ++i)
            put(bank[i].name, v.*bank[i].member);
        put("BankFee", v.bankFee);
        put("PaymentType", v.paymentType);
        put("BankType", v.bankType);
    }
    for (int i = 0; i < 5; ++i)
        put(kClassNames[i], v.cls[i]);
    for (const SPartnerText& field : PartnerTailTexts())
        put(field.name, v.*field.member);
    const QDateTime now = UiServices::Clock().Now();
    if (m_nMode == 0 || v.startDate.isValid())
        put("StartDate", m_nMode == 0 ? now : v.startDate);
    else
        record->SetField(prefix + QStringLiteral("StartDate"), QDateTime())->SetNull();
    put("LastUpdate", now);
    if (m_nMode != 0)
        request.m_strCondition = QStringLiteral("WHERE ID=%1").arg(m_nRecordId);
    return 1;
}

int CPartnerEntry::HeldDay() const
{
    int day = 0;
    if (m_pHeld) {
        if (const CTb* tb = Field(*m_pHeld, m_traits.table, "Day"); !tb || !tb->GetData(day))
            day = 0;
    }
    return day;
}

int CPartnerEntry::CheckCloseDayChange()
{
    const int newDay = DayIndexToCloseDay(m_values.day);
    const int oldDay = HeldDay();
    if ((newDay == 0) == (oldDay == 0))
        return 1;
    const bool perSlip = newDay == 0;
    CCDSData request;
    request.m_strTable = m_traits.slipTable;
    request.m_strCondition = QStringLiteral("WHERE ") + CMasterEditRules::CloseDaySlipTerm(
                                                            *m_traits.master.side, m_values.code, perSlip);
    int count = 0;
    QString err;
    const int result = m_pStore->GetCount(request, count, err);
    if (result == CMakeMsgID::kFatal) {
        ShowFatalDataMessage();
        return 0;
    }
    if (result != CMakeMsgID::kOk) {
        const QString first = perSlip ? QStringLiteral("締処理をしていない伝票件数を取得しようとして、")
                                      : m_traits.word + QStringLiteral("の伝票件数を取得しようとして、");
        Message(err.isEmpty() ? FailureAdviceText(first) : err, MB_OK, MB_ICONEXCLAMATION);
        return 0;
    }
    if (count <= 0)
        return 1;
    if (perSlip) {
        Message(QStringLiteral(
                    "！！！ご注意！！！\n締め処理をしていない伝票がありますので、締日の変更はできません。\n"
                    "締処理を行ってから変更してください。"),
                MB_OK, MB_ICONEXCLAMATION, EPartnerField::Day);
        return 0;
    }
    if (Message(QStringLiteral("！！！ご注意！！！\n都度請求から締め請求に変更しようとしています。\n"
                               "次回、締め請求を行った場合、いままでの請求額と入金額が前回請求額と今回入金額"
                               "に加算されるようになります。\n"
                               "よろしいですか？"),
                MB_OKCANCEL, MB_ICONEXCLAMATION) != IDOK) {
        m_focus = EPartnerField::Day;
        return 0;
    }
    return 1;
}

int CPartnerEntry::UpdateExisting(bool showMessage)
{
    CCDSData request;
    if (!BuildRecord(request) || !CheckCloseDayChange() || m_pStore->Update(request, showMessage) != 1)
        return 0;
    COneRecord sent;
    const QString prefix = m_traits.table + QLatin1Char('.');
    sent.SetField(prefix + m_traits.codeField, m_values.code);
    sent.SetField(prefix + QStringLiteral("ID"), m_nRecordId);
    const COneRecord* written = request.GetAt(0);
    for (int i = 0; i < written->GetCount(); ++i)
        sent.AddField(*written->GetAt(i));
    // Without a master list on screen nothing takes the record; the dialog
    // still shows what it wrote.
    m_pStore->NotifyAdded(&sent);
    SetRecord(&sent);
    return 1;
}

int CPartnerEntry::Save(int ask)
{
    m_focus = EPartnerField::None;
    ClearBlankValues();
    if (!CheckCodeBlanks() || !CheckRequired() || !CheckDayTaxRule() || !CheckEncodable())
        return 0;
    if (m_nMode != 0) {
        if (ask && Message(m_traits.word + QStringLiteral("情報を修正します。よろしいですか？"), MB_YESNO,
                           MB_ICONQUESTION) != IDYES)
            return 0;
        return UpdateExisting(true);
    }
    CCDSData request;
    if (!BuildRecord(request)) {
        Message(QStringLiteral("メモリ不足です。\n"), MB_OK, MB_ICONSTOP);
        return 0;
    }
    CCDSData found;
    if (m_pStore->IsDuplicateCode(m_values.code, found) != 0) {
        Message(QStringLiteral("この%1コードは既に登録されています。\n登録できません。\n").arg(m_traits.word),
                MB_OK, MB_ICONEXCLAMATION, EPartnerField::Code);
        return 0;
    }
    if (ask && Message(QStringLiteral("新しい%1を登録します。よろしいですか？").arg(m_traits.word), MB_YESNO,
                       MB_ICONQUESTION) != IDYES)
        return 0;
    if (m_pStore->Insert(request) != 1)
        return 0;
    if (m_nCodeMode == 1) {
        CCounterInfo counters;
        if (counters.Load(m_traits.counterKind))
            counters.Increment();
    }
    NewRecord();
    m_focus = EPartnerField::Code;
    return 1;
}

bool CPartnerEntry::QueryClose()
{
    QString question;
    if (m_nMode != 0) {
        if (!IsModified())
            return true;
        question = QStringLiteral("この%1データは変更されています。\n登録しますか？");
    } else {
        if (!ResetFields(true))
            return true;
        question = QStringLiteral("この%1データはまだ登録されていません。\n登録しますか？");
    }
    const int answer = Message(question.arg(m_traits.word), MB_YESNOCANCEL, MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return false;
    if (answer == IDYES && !Save(0))
        return false;
    return true;
}

bool CPartnerEntry::MoveRecord(int direction)
{
    if (IsModified()) {
        const int answer =
            Message(QStringLiteral("この%1データは変更されています。登録しますか？").arg(m_traits.word),
                    MB_YESNOCANCEL, MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return false;
        if (answer == IDYES && !Save(0))
            return false;
    }
    const COneRecord* record =
        direction ? m_pStore->SelectNextRecord(nullptr) : m_pStore->SelectPrevRecord(nullptr);
    if (!record) {
        Message((direction ? QStringLiteral("次の") : QStringLiteral("前の")) +
                    QStringLiteral("データが取得できませんでした。\n"),
                MB_OK, MB_ICONEXCLAMATION);
        return false;
    }
    SetRecord(record);
    return true;
}

int CPartnerEntry::OnCodeLeft()
{
    if (m_nMode != 0 || m_values.code.isEmpty() || IsBlankString(m_values.code))
        return -1;
    CCDSData found;
    if (!m_pStore->IsDuplicateCode(m_values.code, found) || found.GetCount() == 0)
        return -1;
    if (Message(QStringLiteral(
                    "入力した%1コードと一致するデータが既に登録されています。\nそのデータを表示しますか？")
                    .arg(m_traits.word),
                MB_YESNO, MB_ICONQUESTION) == IDYES) {
        SetRecord(found.GetAt(0));
        m_nMode = 1;
        return 1;
    }
    m_values.code.clear();
    m_focus = EPartnerField::Code;
    return 0;
}

void CPartnerEntry::OnCodeModeChange(int mode, const std::function<void(int kind)>& runCounterDialog)
{
    m_nCodeMode = mode;
    if (mode == 0) {
        CCounterInfo counters;
        if (CCounterInfoElem* elem = counters.GetElem(m_traits.counterKind); elem && elem->m_nAuto) {
            elem->m_nAuto = 0;
            counters.Save();
        }
        return;
    }
    if (runCounterDialog)
        runCounterDialog(m_traits.counterKind);
    CCounterInfo counters;
    if (CCounterInfoElem* elem = counters.GetElem(m_traits.counterKind)) {
        elem->m_nAuto = 1;
        counters.Save();
        m_values.code = elem->Format();
        m_focus = EPartnerField::Code;
    }
}

namespace
{

// Parts 1-3 on the first line, part 4 on the second; a line without text
// gets no line break, also when only the bracketed part filled it.
QString JoinedAddress(const CRLAddress& hit, bool stripBracket)
{
    const QString first = hit.m_strAddress1 + hit.m_strAddress2 + hit.m_strAddress3;
    const QString& second = hit.m_strAddress4;
    QString joined = first + second;
    if (!first.isEmpty() && !second.isEmpty())
        joined.insert(first.size(), QStringLiteral("\r\n"));
    if (!stripBracket)
        return joined;
    joined = CAddressLookup::StripParenthesised(joined);
    if (joined.endsWith(QStringLiteral("\r\n")))
        joined.chop(2);
    if (joined.startsWith(QStringLiteral("\r\n")))
        joined.remove(0, 2);
    return joined;
}

bool AskOverwrite(const QString& words)
{
    return words.isEmpty() ||
           UiServices::Prompt().MessageBox(words + QStringLiteral("を上書きしてよろしいですか？"), MB_YESNO,
                                           MB_ICONQUESTION) == IDYES;
}

} // namespace

bool CPartnerEntry::LookupAddress(CAddressLookup& lookup, int mode)
{
    QList<CRLAddress> hits;
    const int searched = mode == 0 ? lookup.SearchByPostcode(m_values.zip, hits)
                                   : lookup.SearchByTelephone(m_values.tel, hits);
    // An empty list goes to the choice too, which says that nothing was found.
    if (!searched || !lookup.ChooseAddress(hits, mode) || hits.size() != 1)
        return false;
    return mode == 0 ? FillFromPostcode(hits.first()) : FillFromTelephone(hits.first());
}

bool CPartnerEntry::FillFromPostcode(const CRLAddress& hit)
{
    CPartnerValues& v = m_values;
    QString words;
    if (!v.address.isEmpty())
        words += QStringLiteral("「住所」");
    if (!v.company.isEmpty() && !hit.m_strName.isEmpty())
        words += QStringLiteral("「会社名」");
    if (!AskOverwrite(words))
        return false;
    v.zip = hit.m_strPostcode;
    v.address = JoinedAddress(hit, true);
    if (!hit.m_strName.isEmpty())
        v.company = hit.m_strName;
    return true;
}

bool CPartnerEntry::FillFromTelephone(const CRLAddress& hit)
{
    CPartnerValues& v = m_values;
    const bool person = hit.m_nB == 1;
    const bool company = hit.m_nB == 2;
    QString words;
    if (!v.zip.isEmpty())
        words += QStringLiteral("「郵便番号」");
    if (!v.address.isEmpty())
        words += QStringLiteral("「住所」");
    if (person && !v.name.isEmpty())
        words += QStringLiteral("「名前」");
    else if (company && !v.company.isEmpty())
        words += QStringLiteral("「会社名」");
    if (!AskOverwrite(words))
        return false;
    v.zip = hit.m_strPostcode;
    v.address = JoinedAddress(hit, false);
    if (person)
        v.name = hit.m_strName;
    else if (company)
        v.company = hit.m_strName;
    return true;
}

QStringList CPayeeRules::AccountTypes()
{
    return {QStringLiteral("当座"), QStringLiteral("普通")};
}

QStringList CPayeeRules::FeeEntries()
{
    return {QStringLiteral("先方負担"), QStringLiteral("当方負担")};
}

QStringList CPayeeRules::BankTypes()
{
    return {QStringLiteral("同行同支店"), QStringLiteral("同行他支店"), QStringLiteral("他行")};
}

QStringList CPayeeRules::PaymentTypes()
{
    return {QStringLiteral("文書"), QStringLiteral("電信")};
}

void CPayeeRules::FromValues(const CPartnerValues& values)
{
    m_nAccountType = InList(values.bankAccountType - 1, 2);
    m_nFee = InList(values.bankFee, 2);
    m_nBankType = InList(values.bankType - 1, 3);
    m_nPaymentType = InList(values.paymentType, 2);
}

void CPayeeRules::ToValues(CPartnerValues& values) const
{
    values.bankAccountType = m_nAccountType + 1;
    values.bankFee = m_nFee;
    values.bankType = m_nBankType + 1;
    values.paymentType = m_nPaymentType;
}

bool CPayeeRules::CheckOk()
{
    if ((m_nBankType != 0 && m_nBankType != 1) || m_nPaymentType != 0)
        return true;
    if (UiServices::Prompt().MessageBox(
            QStringLiteral(
                "同行の場合は、振込区分は「電信」のみです。\n振込区分を「電信」に変更してよろしいですか？"),
            MB_YESNOCANCEL, MB_ICONQUESTION) != IDYES)
        return false;
    m_nPaymentType = 1;
    return true;
}
