#include "exchange/ImportMapRules.h"

#include "app/FieldCodes.h"
#include "exchange/ExchangeDialogs.h"
#include "platform/archive/SafeFile.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/MnyText.h"
#include "platform/data/Record.h"
#include "platform/data/Schema.h"
#include "platform/text/Cp932.h"
#include "platform/text/NumberText.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QHash>

namespace
{

int Ask(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon);
}

struct Description {
    int kinds;              // bit 1 items, 2 customers, 4 suppliers (KindBit)
    const char16_t* fields; // separated by '|'
    const char16_t* text;
};

constexpr int P = 1, C = 2, S = 4;

int KindBit(EMasterKind kind)
{
    switch (kind) {
    case EMasterKind::Item:
        return P;
    case EMasterKind::Customer:
        return C;
    case EMasterKind::Supplier:
        return S;
    }
    return 0;
}

const Description kDescriptions[] = {
    {C | S, u"CustomerCode|SupplierCode",
     u"半角20文字（使用不可能な文字：半角／全角スペース）。これを超えるデータ、不正な文字を使用しているデータ"
     u"は読み込みに失敗します。"},
    {C | S, u"Company|Section", u"全角50文字（半角100文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"PhoenicCompany", u"半角100文字（全角50文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"Keisho|Keisho2", u"全角5文字（半角10文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"Name", u"全角25文字（半角50文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"PhoenicPerson", u"半角50文字（全角25文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"Zip", u"半角10文字。これを超えるデータは切り捨てられます。"},
    {C | S, u"Address", u"全角127文字（半角255文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"Address1|Address2|Address3",
     u"住所１、住所２、住所３をあわせて、全角127文字（半角255文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"TEL|FAX", u"半角20文字。これを超えるデータは切り捨てられます。"},
    {C | S, u"E-mail", u"半角255文字。これを超えるデータは切り捨てられます。"},
    {C | S, u"MyPerson", u"全角15文字（半角30文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"Day",
     u"数値で 0 ～ 28、または99。0：都度、99：月末、1 ～ "
     u"28：日付。対応づけなかった場合、通常使用する販売条件として登録されている締日で登録されます。"},
    {C | S, u"TaxType",
     u"数値で 0 ～ "
     u"4。0：しない、1：請求時、2：納品ごと、3：明細ごと、4：内税。対応づけなかった場合、通常使用する販売条件"
     u"として登録されている税転嫁方法で登録されます。"},
    {C | S, u"TaxRoundType",
     u"数値で 1 ～ "
     u"3。1：切り捨て、2：四捨五入、3：切り上げ。対応づけなかった場合、通常使用する販売条件として登録されてい"
     u"る税端数処理方法で登録されます。"},
    {C | S, u"RoundType",
     u"数値で 1 ～ "
     u"3。1：切り捨て、2：四捨五入、3：切り上げ。対応づけなかった場合、通常使用する販売条件として登録されてい"
     u"る金額端数処理方法で登録されます。"},
    {C, u"Percent", u"整数 3 桁、小数点以下 1 桁 まで。。対応づけなかった場合、100となります。"},
    {C, u"CollectCycle",
     u"数値で 0 ～ "
     u"7。0：請求後、1：当月、2：翌月、3：翌々月、4：３ヶ月、5：４ヶ月、6：５ヶ月、7：６ヶ月。対応づけなかっ"
     u"た場合、通常使用する販売条件として登録されている入金予定で登録されます。"},
    {C, u"CollectDay",
     u"数値で0以上の正数。ただし、入金サイクルで1～7を指定した場合は 1 ～ 28、または99のみ。99：月末、1 ～ "
     u"28：日付。対応づけなかった場合、通常使用する販売条件として登録されている入金予定日で登録されます。"},
    {C, u"CollectType",
     u"文字列で｢現金｣｢小切手｣｢振込｣｢手形｣｢相殺｣｢その他｣のいずれかのみ。これ以外の文字を指定した場合は読み込み"
     u"は失敗します。また、対応づけなかった場合、通常使用する販売条件として登録されている主な入金方法で登録さ"
     u"れます。"},
    {C, u"Collect|Ceiling", u"整数 11 桁。対応づけなかった場合、未設定となります。"},
    {S, u"CollectCycle",
     u"数値で 0 ～ "
     u"7。0：請求後、1：当月、2：翌月、3：翌々月、4：３ヶ月、5：４ヶ月、6：５ヶ月、7：６ヶ月。対応づけなかっ"
     u"た場合、通常使用する販売条件として登録されている支払予定で登録されます。"},
    {S, u"CollectDay",
     u"数値で0以上の正数。ただし、支払サイクルで1～7を指定した場合は 1 ～ 28、または99のみ。99：月末、1 ～ "
     u"28：日付。対応づけなかった場合、通常使用する販売条件として登録されている支払予定日で登録されます。"},
    {S, u"CollectType",
     u"文字列で｢現金｣｢小切手｣｢振込｣｢手形｣｢相殺｣｢その他｣のいずれかのみ。これ以外の文字を指定した場合は読み込み"
     u"は失敗します。また、対応づけなかった場合、通常使用する販売条件として登録されている主な支払方法で登録さ"
     u"れます。"},
    {S, u"Collect", u"整数11 桁。対応づけなかった場合、未設定となります。"},
    {S, u"Bank|BankBranch", u"全角25文字（半角50文字）。これを超えるデータは切り捨てられます。"},
    {S, u"BankCode|BankBranchCode|BankNumber", u"半角10文字。これを超えるデータは切り捨てられます。"},
    {S, u"BankAccountType",
     u"数値で 1 を当座、数値で 2 を普通とします。対応づけなかった場合、1：当座で登録されます。"},
    {S, u"BankOnesName|BankOnesPhoenic",
     u"全角50文字（半角100文字）。これを超えるデータは切り捨てられます。"},
    {S, u"BankFee",
     u"数値で 0 を相手負担、数値で 1 を自社負担とします。対応づけなかった場合、相手負担で登録されます。"},
    {S, u"PaymentType",
     u"数値で 0 を文書、数値で 1 を電信とします。対応づけなかった場合、電信で登録されます。"},
    {S, u"BankType",
     u"数値で 1 ～ "
     u"3。1：同行同支店、2：同行他支店、3：他行。対応づけなかった場合、同行同支店で登録されます。"},
    {C | S, u"OnesCode", u"全角10文字（半角20文字）。これを超えるデータは切り捨てられます。"},
    {C | S, u"Memo", u"全角127文字（半角255文字）。これを超えるデータは切り捨てられます。"},
    {P, u"ItemType",
     u"数値で 1 ～ "
     u"3。1：商品、2：値引き、3：その他。判別できなかった場合または対応づけなかった場合、1：商品として登録さ"
     u"れます。"},
    {P, u"ItemCode",
     u"半角100文字（使用不可能な文字：半角／全角スペース）。これを超えるデータ、不正な文字を使用しているデー"
     u"タは読み込みに失敗します。"},
    {P, u"ItemName", u"全角127文字（半角255文字）。これを超えるデータは切り捨てられます。"},
    {P, u"Phoenic", u"半角255文字（全角127文字）。これを超えるデータは切り捨てられます。"},
    {P, u"Unit", u"全角10文字（半角20文字）。これを超えるデータは切り捨てられます。"},
    {P, u"JANCode", u"半角20文字。これを超えるデータは切り捨てられます。"},
    {P, u"TaxFlg|TaxFlg2",
     u"数値で 0 ～ 2。0：非課税、1：外税、2：内税。対応づけなかった場合、1：外税として登録されます。"},
    {P, u"Price|Cost|FixPrice", u"整数 8桁、小数点以下 2 桁 まで。対応づけなかった場合、未設定となります。"},
    {P, u"Remarks", u"全角25文字（半角50文字）。これを超えるデータは切り捨てられます。"},
    {P | C | S, u"Class1|Class2|Class3|Class4|Class5",
     u"全角50文字（半角100文字）。これを超えるデータは切り捨てられます。"},
};

} // namespace

QString ImportFieldDescription(const CMasterKind& kind, const QString& field)
{
    // The partners' code text serves each partner for its own code only.
    if ((field == QLatin1String("CustomerCode") || field == QLatin1String("SupplierCode")) &&
        field != kind.CodeField())
        return {};
    const int bit = KindBit(kind.kind);
    for (const Description& d : kDescriptions) {
        if ((d.kinds & bit) && QString::fromUtf16(d.fields).split(u'|').contains(field))
            return QString::fromUtf16(d.text);
    }
    return {};
}

// ---- pairing ------------------------------------------------------------

bool CImportFieldMapRules::OnInitDialog()
{
    if (!m_pRows) {
        Ask(QStringLiteral("対応付けるデータが指定されていません。"));
        return false;
    }
    if (!LoadFieldSet()) {
        Ask(QStringLiteral("列情報の取得に失敗しました。\n再インストールしてください。"));
        return false;
    }
    FillFieldList();
    FillColumnList();
    return true;
}

bool CImportFieldMapRules::LoadFieldSet()
{
    CQXColOperate operate;
    if (!operate.GetDefaultColSet(m_kind.columnSet, m_fieldSet))
        return false;
    if (m_kind.side) {
        const int at = m_fieldSet.IndexOf(QStringLiteral("Address"));
        if (at >= 0) {
            CQXCol& first = m_fieldSet.m_cols[at];
            first.m_strField = QStringLiteral("Address1");
            first.m_strCaption = QStringLiteral("住所１");
            CQXCol second = first, third = first;
            second.m_strField = QStringLiteral("Address2");
            second.m_strCaption = QStringLiteral("住所２");
            third.m_strField = QStringLiteral("Address3");
            third.m_strCaption = QStringLiteral("住所３");
            m_fieldSet.m_cols.insert(at + 1, second);
            m_fieldSet.m_cols.insert(at + 2, third);
        }
    }
    return true;
}

void CImportFieldMapRules::FillFieldList()
{
    static const QStringList hidden{QStringLiteral("ID"),
                                    QStringLiteral("StartDate"),
                                    QStringLiteral("LastUpdate"),
                                    QStringLiteral("Company_Section_Name"),
                                    QStringLiteral("PhoenicCompany_PhoenicPerson"),
                                    QStringLiteral("SetItem")};
    m_offered.clear();
    m_nSelField = -1;
    for (int i = 0; i < m_fieldSet.m_cols.size(); ++i) {
        bool paired = false;
        for (const Column& column : std::as_const(m_columns))
            paired = paired || column.paired == i;
        if (!paired && !hidden.contains(m_fieldSet.m_cols[i].m_strField))
            m_offered << i;
    }
}

void CImportFieldMapRules::FillColumnList()
{
    m_columns.clear();
    if (m_pRows->size() < 2)
        return;
    for (int r = 1; r <= 2 && r < m_pRows->size(); ++r) {
        const QStringList& row = m_pRows->at(r);
        for (int c = 1; c < row.size(); ++c) {
            if (m_columns.size() < c)
                m_columns.resize(c);
            m_columns[c - 1].samples[r - 1] = row[c];
            m_columns[c - 1].paired = -1;
        }
    }
}

QString CImportFieldMapRules::PairedCaption(int column) const
{
    const int paired = m_columns.value(column).paired;
    return paired >= 0 ? m_fieldSet.m_cols[paired].m_strCaption : QString();
}

const CQXCol* CImportFieldMapRules::OfferedField(int entry) const
{
    if (entry < 0 || entry >= m_offered.size())
        return nullptr;
    const int index = m_offered[entry];
    return index >= 0 && index < m_fieldSet.m_cols.size() ? &m_fieldSet.m_cols[index] : nullptr;
}

bool CImportFieldMapRules::MapSelected()
{
    if (m_nSelField < 0 || m_nSelField >= m_offered.size()) {
        Ask(QStringLiteral("対応付ける列を選択してください。"));
        m_nFocus = kFieldList;
        return false;
    }
    if (m_nSelColumn < 0 || m_nSelColumn >= m_columns.size()) {
        Ask(QStringLiteral("対応付けるデータを選択してください。"));
        m_nFocus = kColumnList;
        return false;
    }
    if (!OfferedField(m_nSelField)) {
        Ask(QStringLiteral("対応付ける列の情報が見つかりません。"));
        m_nFocus = kFieldList;
        return false;
    }
    if (m_columns[m_nSelColumn].paired >= 0) {
        Ask(QStringLiteral("このデータは既に対応付けられています。\n"
                           "他の列と対応付ける場合、一旦対応付けを解除してから行なってください。"));
        m_nFocus = kColumnList;
        return false;
    }
    m_columns[m_nSelColumn].paired = m_offered[m_nSelField];
    FillFieldList();
    return true;
}

bool CImportFieldMapRules::UnmapSelected()
{
    if (m_nSelColumn < 0 || m_nSelColumn >= m_columns.size()) {
        Ask(QStringLiteral("対応付けを解除するデータを選択してください。"));
        m_nFocus = kColumnList;
        return false;
    }
    if (m_columns[m_nSelColumn].paired < 0) {
        Ask(QStringLiteral("このデータは対応付けられていません。対応付けを解除できません。"));
        m_nFocus = kColumnList;
        return false;
    }
    m_columns[m_nSelColumn].paired = -1;
    FillFieldList();
    return true;
}

QString CImportFieldMapRules::OnSelchangeFieldList() const
{
    const CQXCol* field = OfferedField(m_nSelField);
    return field ? ImportFieldDescription(m_kind, field->m_strField) : QString();
}

int CImportFieldMapRules::CountMappedColumns() const
{
    int count = 0;
    for (const Column& column : m_columns)
        count += column.paired >= 0 ? 1 : 0;
    return count;
}

bool CImportFieldMapRules::CheckCodeFieldMapped()
{
    m_bAutoNumber = 0;
    const QString code = m_kind.CodeField();
    for (const Column& column : std::as_const(m_columns)) {
        if (column.paired >= 0 && m_fieldSet.m_cols[column.paired].m_strField == code)
            return true;
    }
    const QString caption = m_kind.CodeLabel();
    bool passed = false;
    if (!m_kind.side) {
        Ask(QStringLiteral("%1が対応付けられていません。\n%1のないデータは読み込むことが出来ません。")
                .arg(caption));
    } else if (Ask(QStringLiteral(
                       "%1が対応付けられていません。\n%1に自動連番をふって、データをよみこみますか？")
                       .arg(caption),
                   MB_YESNO, MB_ICONQUESTION) == IDYES &&
               ExchangeDialogs().RunCounterSet(m_kind.codeCounter) == IDOK) {
        m_bAutoNumber = 1;
        passed = true;
    }
    if (!passed) {
        m_nTopField = SelectField(code);
        m_nFocus = kFieldList;
    }
    return passed;
}

bool CImportFieldMapRules::AskAddressJoin()
{
    bool paired[3] = {false, false, false};
    for (const Column& column : std::as_const(m_columns)) {
        if (column.paired < 0)
            continue;
        const QString& field = m_fieldSet.m_cols[column.paired].m_strField;
        for (int i = 0; i < 3; ++i)
            paired[i] = paired[i] || field == QStringLiteral("Address%1").arg(i + 1);
    }
    if (int(paired[0]) + int(paired[1]) + int(paired[2]) < 2)
        return true;
    CAddressJoinRules join(0);
    join.m_bEnable1 = paired[0] && (paired[1] || paired[2]);
    join.m_bEnable2 = paired[1] && paired[2];
    if (ExchangeDialogs().RunAddressJoin(join) != IDOK)
        return false;
    m_bBreakAfterAddress1 = join.m_bBreakAfterAddress1;
    m_bBreakAfterAddress2 = join.m_bBreakAfterAddress2;
    return true;
}

bool CImportFieldMapRules::OnOK()
{
    if (CountMappedColumns() == 0) {
        Ask(QStringLiteral("項目が一つも対応付けられていません。"));
        return false;
    }
    if (!CheckCodeFieldMapped() || !AskAddressJoin())
        return false;
    m_resultSet.RemoveAll();
    m_resultSet.m_nID = m_fieldSet.m_nID;
    for (const Column& column : std::as_const(m_columns))
        m_resultSet.m_cols << (column.paired >= 0 ? m_fieldSet.m_cols[column.paired] : CQXCol());
    return true;
}

int CImportFieldMapRules::SelectField(const QString& field)
{
    for (int i = 0; i < m_offered.size(); ++i) {
        if (m_fieldSet.m_cols[m_offered[i]].m_strField == field) {
            m_nSelField = i;
            return i;
        }
    }
    return -1;
}

bool CImportFieldMapRules::Pair(int column, const QString& field)
{
    m_nSelColumn = column;
    m_nSelField = -1;
    SelectField(field);
    return MapSelected();
}

bool CAddressJoinRules::OnInitDialog()
{
    if (m_nMode != 0) {
        Ask(QStringLiteral("ダイアログの起動形式が不明です。"));
        return false;
    }
    m_strCaption = QStringLiteral("住所読み込みの設定");
    m_strPrompt = QStringLiteral(
        "「住所１」～「住所３」を、「住所」データにまとめます。\n各データの後に改行を入れますか？");
    m_bBreakAfterAddress1 = 0;
    m_bBreakAfterAddress2 = 0;
    return true;
}

// ---- refused records ----------------------------------------------------

void CImportErrorRules::OnInitDialog()
{
    m_strCaption = QStringLiteral("読み込みできないデータがありました");
    m_strPrompt = QStringLiteral("以下のデータは読み込むことができません。\n"
                                 "読み込み可能なデータだけで読み込みを完了してよろしいですか？");
    m_strNote = QStringLiteral("※コードなどの必須項目がないデータは読み込むことが出来ません。");
    m_strCancelText = QStringLiteral("読み込みを\n中止する");
    m_bCommitShown = true;
    InitColumns();
    FillList();
    if (!m_bOverwrite)
        m_strNote += QStringLiteral("\n※既存データとコードが重複するデータは読み込むことができません。");
    if (!m_bCanCommit) {
        m_strCaption = QStringLiteral("読み込みできません");
        m_bCommitShown = false;
        m_strCancelText = QStringLiteral("閉じる");
        m_strPrompt = QStringLiteral("データを読み込むことができませんでした。");
    }
    const qsizetype refused = m_pRefused ? m_pRefused->GetCount() : m_pRefusals ? m_pRefusals->size() : 0;
    if (refused > 0)
        m_strCaption += QStringLiteral("（%1件中%2件）").arg(m_nSubmitted).arg(refused);
}

void CImportErrorRules::InitColumns()
{
    // The source row comes first: a record refused for a missing code is
    // found by nothing else.
    if (!m_kind.side)
        m_headers = {QStringLiteral("行"), QStringLiteral("品番"), QStringLiteral("品名"),
                     QStringLiteral("不正な値の項目")};
    else
        m_headers = {QStringLiteral("行"),     QStringLiteral("コード"), QStringLiteral("会社名"),
                     QStringLiteral("部署名"), QStringLiteral("名前"),   QStringLiteral("不正な値の項目")};
}

QString CImportErrorRules::GetFieldCaptions(const QString& errField) const
{
    CQXColSet set;
    CQXColOperate().GetDefaultColSet(m_kind.columnSet, set);
    QStringList captions;
    for (const QString& name : errField.split(QStringLiteral("、"), Qt::SkipEmptyParts)) {
        const qsizetype dot = name.indexOf(u'.');
        const int at = set.IndexOf(dot < 0 ? name : name.mid(dot + 1));
        if (at >= 0)
            captions << set.m_cols[at].m_strCaption;
    }
    return captions.join(QStringLiteral("、"));
}

QString CImportErrorRules::GetCodeProblem(const QString& code) const
{
    const QString table = m_kind.Table(), field = m_kind.CodeField();
    // A code missing altogether says enough with the item's name.
    if (code.isEmpty() || IsBlankString(code))
        return {};
    const QString caption = GetFieldCaptions(table + u'.' + field);
    if (const QString problem = UnusableCharsProblem(caption, code); !problem.isEmpty())
        return problem;
    if (const QString controls = ControlChars(code); !controls.isEmpty())
        return UnusableCharsText(caption, controls);
    if (ContainsBlank(code))
        return QStringLiteral("%1にはスペースを含めることはできません。").arg(caption);
    const Schema::TableDef* def = Schema::FindTable(table);
    const Schema::FieldDef* column = def ? Schema::FindField(*def, field) : nullptr;
    if (column && column->byteLimit > 0 && Cp932::ByteLength(code) > column->byteLimit)
        return QStringLiteral("%1は%2バイトまでです。").arg(caption).arg(column->byteLimit);
    return {};
}

CImportRefusal MakeImportRefusal(const CMasterKind& kind, const COneRecord& record, const QString& errField)
{
    const QString table = kind.Table();
    QStringList fields;
    if (!kind.side)
        fields = {kind.CodeField(), QStringLiteral("ItemName")};
    else
        fields = {kind.CodeField(), QStringLiteral("Company"), QStringLiteral("Section"),
                  QStringLiteral("Name")};
    CImportRefusal refusal;
    const CTb* row = record.GetOneField(QString(), QLatin1String(kImportRowField));
    refusal.row = row ? row->GetText() : QString();
    for (const QString& field : std::as_const(fields))
        refusal.shown << GetFieldDisplayText(record.GetOneField(table, field), 1);
    refusal.errField = errField;
    if (const CTb* code = record.GetOneField(table, fields[0]))
        refusal.code = code->GetText();
    // An amount that was no number came as its text; one out of the field's
    // limits as its value. A text keeps only what code page 932 cannot hold
    // and its control characters (the code says its own problem).
    const Schema::TableDef* def = Schema::FindTable(table);
    for (const QString& name : errField.split(QStringLiteral("、"), Qt::SkipEmptyParts)) {
        const QString field = name.mid(name.indexOf(u'.') + 1);
        const Schema::FieldDef* column = def ? Schema::FindField(*def, field) : nullptr;
        const CTb* value = record.GetOneField(table, field);
        if (!column || !value || value->IsNull())
            continue;
        QString bad;
        if (column->type == Schema::kText && field != fields[0]) {
            bad = Cp932::UnmappableChars(value->GetText());
            for (const QChar c : ControlChars(value->GetText())) {
                if (!bad.contains(c))
                    bad += c;
            }
        }
        if (column->type == Schema::kMoney)
            refusal.amounts.append({name, value->GetText()});
        else if (!bad.isEmpty())
            refusal.unusable.append({name, bad});
    }
    return refusal;
}

QString ImportAmountProblem(const QString& caption, const QString& text, int intDigits, int decimals)
{
    // A long cell is quoted by its start.
    constexpr qsizetype kQuoted = 20;
    const QString quoted = text.size() > kQuoted ? text.left(kQuoted) + u'…' : text;
    const CNumberSyntax syntax = CNumberSyntax::Imported();
    const CNumberText read = ReadNumberText(text, syntax);
    switch (read.status) {
    case CNumberText::Empty:
        return {};
    case CNumberText::Foreign:
        return QStringLiteral("%1「%2」の「%3」は数値に使えない文字です。")
            .arg(caption, quoted, read.foreign);
    case CNumberText::NoDigits:
        return QStringLiteral("%1「%2」には数字がありません。").arg(caption, quoted);
    case CNumberText::Malformed: {
        CNumberSyntax anyCommas = syntax;
        anyCommas.commas = CNumberSyntax::Commas::Dropped;
        if (ReadNumberText(text, anyCommas).status == CNumberText::Number)
            return QStringLiteral("%1「%2」は桁区切りのカンマの位置が正しくありません。")
                .arg(caption, quoted);
        return QStringLiteral("%1「%2」は数値として読めません。").arg(caption, quoted);
    }
    case CNumberText::Number:
        break;
    }
    const QString tooLong = QStringLiteral("%1の整数部は%2桁までです。").arg(caption).arg(intDigits);
    CMny value;
    if (!ReadWholeNumber(text, syntax, value))
        return intDigits >= 0 ? tooLong
                              : QStringLiteral("%1「%2」は数値の範囲を超えています。").arg(caption, quoted);
    if (intDigits < 0)
        return {};
    // The import's own measure: ten-thousandths, rounded half up.
    CMny rounded, scaled;
    if (!value.Round(rounded, CMny::kRoundHalfUp, 4) || !rounded.Rescale(4, scaled))
        return tooLong;
    const qint64 units = scaled.GetValue();
    qint64 step = 1;
    for (int i = decimals; i < 4; ++i)
        step *= 10;
    if (units % step != 0)
        return decimals == 0 ? QStringLiteral("%1に小数は使えません。").arg(caption)
                             : QStringLiteral("%1の小数は%2桁までです。").arg(caption).arg(decimals);
    qint64 limit = 10000;
    for (int i = 0; i < intDigits; ++i)
        limit *= 10;
    if (units >= limit || units <= -limit)
        return tooLong;
    return {};
}

void CImportErrorRules::FillList()
{
    m_rows.clear();
    m_lines.clear();
    // A few reasons recur over many rows: each is put into words once.
    QHash<QString, QString> reasons;
    const auto add = [this, &reasons](const CImportRefusal& refusal) {
        auto reason = reasons.find(refusal.errField);
        if (reason == reasons.end())
            reason = reasons.insert(
                refusal.errField,
                QStringLiteral("項目「%1」の内容に問題があります。").arg(GetFieldCaptions(refusal.errField)));
        QStringList cells;
        cells << refusal.row << refusal.shown << *reason;
        if (refusal.errField.split(QStringLiteral("、")).contains(m_kind.Table() + u'.' + m_kind.CodeField()))
            cells.last() += GetCodeProblem(refusal.code);
        for (const auto& [name, text] : refusal.amounts) {
            const qsizetype dot = name.indexOf(u'.');
            int digits = -1, decimals = 0; // stay so for a field without limits
            CMakeMsgID::ImportMoneyLimits(name.left(dot), name.mid(dot + 1), digits, decimals);
            cells.last() += ImportAmountProblem(GetFieldCaptions(name), text, digits, decimals);
        }
        for (const auto& [name, chars] : refusal.unusable)
            cells.last() += UnusableCharsText(GetFieldCaptions(name), chars);
        m_lines << cells.join(u',');
        m_rows << cells;
    };
    if (m_pRefusals) {
        for (const CImportRefusal& refusal : *m_pRefusals)
            add(refusal);
    }
    if (!m_pRefused)
        return;
    for (int i = 0; i < m_pRefused->GetCount(); ++i) {
        const COneRecord& record = *m_pRefused->GetAt(i);
        const CTb* err = record.GetOneField(QString(), QStringLiteral("ErrField"));
        add(MakeImportRefusal(m_kind, record, err ? err->GetText() : QString()));
    }
}

void CImportErrorRules::OnWriteFile()
{
    IPrompt& prompt = UiServices::Prompt();
    prompt.MessageBox(
        QStringLiteral("読み込みできないデータを書き出します。\n書き出すファイルを指定してください。"), MB_OK,
        MB_ICONINFORMATION);
    const QString path = prompt.GetSaveFileName(
        QString(), QString(), QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt||"), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    if (!WriteReport(path)) {
        prompt.MessageBox(QStringLiteral("ファイルを作成できませんでした。"), MB_OK, MB_ICONEXCLAMATION);
        return;
    }
    prompt.MessageBox(QStringLiteral("%1に、\n読み込みできないデータの情報を書き出しました。").arg(path),
                      MB_OK, MB_ICONINFORMATION);
}

bool CImportErrorRules::WriteReport(const QString& path) const
{
    QByteArray bytes;
    for (const QString& line : m_lines)
        bytes += Cp932::Encode(line) + "\r\n";
    return AtomicWriteFile(path, bytes);
}
