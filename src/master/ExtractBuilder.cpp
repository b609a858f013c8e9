#include "master/ExtractBuilder.h"

#include "platform/data/ExCondition.h"
#include "platform/data/MnyText.h"
#include "platform/data/RecordCompare.h"
#include "platform/data/SqlText.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Clock.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/BunruiData.h"
#include "settings/ComboData.h"

#include <QRegularExpression>

namespace
{

bool In(const QString& field, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (field == QLatin1StringView(name))
            return true;
    }
    return false;
}

QList<CExtractValue> Coded(std::initializer_list<std::pair<const char16_t*, int>> items)
{
    QList<CExtractValue> values;
    for (const auto& [text, code] : items)
        values.append({QString::fromUtf16(text), code, true});
    return values;
}

QList<CExtractValue> Texts(const QStringList& texts)
{
    QList<CExtractValue> values;
    for (const QString& text : texts)
        values.append({text, 0, false});
    return values;
}

QList<CExtractOperator> Operators(std::initializer_list<std::pair<const char16_t*, const char*>> items)
{
    QList<CExtractOperator> operators;
    for (const auto& [text, fragment] : items)
        operators.append({QString::fromUtf16(text), QString::fromLatin1(fragment)});
    return operators;
}

// A month 1-12 or a day 1-31 as plain digits; 0 when the text is not one.
int SmallNumber(const QString& text, int highest)
{
    if (text.isEmpty() || text.size() > 2)
        return 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const int n = text.toInt();
    return n >= 1 && n <= highest ? n : 0;
}

// The first "*" of the fragment replaced by the value.
QString Fill(const QString& fragment, const QString& value)
{
    QString text = fragment;
    const qsizetype star = text.indexOf(u'*');
    return star < 0 ? text : text.replace(star, 1, value);
}

} // namespace

int GetExtractFieldType(const QString& field)
{
    if (In(field, {"ItemCode",       "ItemName",      "Phoenic",
                   "Unit",           "SupplierCode",  "Remarks",
                   "JANCode",        "Class1",        "Class2",
                   "Class3",         "Class4",        "Class5",
                   "CustomerCode",   "Company",       "Section",
                   "Name",           "Keisho",        "Keisho2",
                   "PhoenicCompany", "PhoenicPerson", "Zip",
                   "Address",        "TEL",           "FAX",
                   "E-mail",         "CollectType",   "OnesCode",
                   "MyPerson",       "Memo",          "Bank",
                   "BankCode",       "BankBranch",    "BankBranchCode",
                   "BankNumber",     "BankOnesName",  "BankOnesPhoenic"}))
        return kExtractText;
    if (In(field, {"StartDate", "LastUpdate"}))
        return kExtractDate;
    if (In(field,
           {"Price", "Cost", "FixPrice", "StockNumber", "StockJustNumber", "Percent", "Collect", "Ceiling"}))
        return kExtractNumber;
    if (In(field, {"ItemType", "TaxFlg", "TaxFlg2", "StockType", "SetItem", "Day", "TaxType", "TaxRoundType",
                   "RoundType", "CollectCycle", "CollectDay", "BankAccountType", "BankFee", "BankType",
                   "PaymentType"}))
        return kExtractCoded;
    return kExtractOther;
}

bool IsExtractListField(const QString& field)
{
    return GetExtractFieldType(field) == kExtractCoded || field == QLatin1StringView("CollectType");
}

ImeField GetExtractImeField(const QString& field)
{
    const int type = GetExtractFieldType(field);
    if (type == kExtractDate || type == kExtractNumber || type == kExtractCoded)
        return ImeField::Number;
    if (In(field, {"ItemCode", "JANCode", "CustomerCode", "Zip", "TEL", "FAX", "E-mail", "CollectType",
                   "OnesCode", "SupplierCode", "BankCode", "BankBranchCode", "BankNumber"}))
        return ImeField::Code;
    if (In(field, {"Phoenic", "PhoenicCompany", "PhoenicPerson", "BankOnesPhoenic"}))
        return ImeField::Reading;
    return ImeField::Text;
}

CExtractBuilder::CExtractBuilder(EMasterKind target) : m_target(CMasterKind::Of(target)) {}

QString CExtractBuilder::GetTable() const
{
    return m_target.Table();
}

QString CExtractBuilder::GetHead() const
{
    return QStringLiteral("SELECT ") + GetTable() + QStringLiteral(".* FROM ") + GetTable() + u' ';
}

bool CExtractBuilder::LoadFields()
{
    CQXColSet columns;
    const bool loaded = CQXColOperate().GetDefaultColSet(m_target.columnSet, columns) != 0;
    SetFields(columns);
    return loaded;
}

void CExtractBuilder::SetFields(const CQXColSet& columns)
{
    m_fields.clear();
    for (const CQXCol& column : columns.m_cols) {
        if (column.m_strField != QLatin1StringView(kCompanySectionNameField) &&
            column.m_strField != QLatin1StringView(kReadingNameField))
            m_fields.append(column);
    }
}

QString CExtractBuilder::GetColumnName(int field) const
{
    if (field < 0 || field >= m_fields.size())
        return {};
    return QStringLiteral("[%1].[%2]").arg(GetTable(), m_fields[field].m_strField);
}

int CExtractBuilder::FindField(const QString& columnName) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (GetColumnName(i) == columnName)
            return i;
    }
    return -1;
}

void CExtractBuilder::SetRowField(CExtractRow& row, int field) const
{
    row.field = field >= 0 && field < m_fields.size() ? field : -1;
    row.value.clear();
    row.valueItem = -1;
    row.op = -1;
    const QString name = row.field < 0 ? QString() : m_fields[row.field].m_strField;
    row.operators = GetOperators(name);
    row.values = GetValues(name);
}

QList<CExtractOperator> CExtractBuilder::GetOperators(const QString& field) const
{
    switch (GetExtractFieldType(field)) {
    case kExtractText: {
        QList<CExtractOperator> operators = Operators({{u"と等しい", " = '*'"},
                                                       {u"と等しくない", " <> '*'"},
                                                       {u"で始まる", " Like '*%'"},
                                                       {u"で始まらない", " Not Like '*%'"},
                                                       {u"で終わる", " Like '%*'"},
                                                       {u"で終わらない", " Not Like '%*'"},
                                                       {u"を含む", " Like '%*%'"},
                                                       {u"を含まない", " Not Like '%*%'"}});
        const bool code = In(field, {"ItemCode", "CustomerCode"}) ||
                          (field == QLatin1StringView("SupplierCode") && m_target.kind != EMasterKind::Item);
        if (code)
            operators += Operators({{u"より大きい", " > '*'"},
                                    {u"以上", " >= '*'"},
                                    {u"より小さい", " < '*'"},
                                    {u"以下", " <= '*'"}});
        return operators;
    }
    case kExtractDate:
        return Operators({{u"と等しい", " = *"},
                          {u"と月が等しい", "Month()= *"},
                          {u"と日にちが等しい", "Day()= *"},
                          {u"と等しくない", " <> *"},
                          {u"より前", " < *"},
                          {u"以前", " <= *"},
                          {u"より後", " > *"},
                          {u"以降", " >= *"}});
    case kExtractNumber:
        return Operators({{u"と等しい", " = *"},
                          {u"と等しくない", " <> *"},
                          {u"より大きい", " > *"},
                          {u"以上", " >= *"},
                          {u"より小さい", " < *"},
                          {u"以下", " <= *"}});
    case kExtractCoded:
        return Operators({{u"と等しい", " = *"}, {u"と等しくない", " <> *"}});
    default:
        return {};
    }
}

QList<CExtractValue> CExtractBuilder::GetValues(const QString& field) const
{
    if (In(field, {"Keisho", "Keisho2"}))
        return Texts({QStringLiteral("様"), QStringLiteral("御中"), QStringLiteral("殿")});
    if (field == QLatin1StringView("CollectType"))
        return Texts({QStringLiteral("現金"), QStringLiteral("小切手"), QStringLiteral("振込"),
                      QStringLiteral("手形"), QStringLiteral("相殺"), QStringLiteral("その他")});
    if (field == QLatin1StringView("ItemType"))
        return Coded({{u"商品", 1}, {u"値引き", 2}, {u"その他", 3}});
    if (In(field, {"TaxFlg", "TaxFlg2"}))
        return Coded({{u"外税", 1}, {u"内税", 2}, {u"非課税", 0}});
    if (field == QLatin1StringView("StockType"))
        return Coded({{u"しない", 0}, {u"する", 1}});
    if (field == QLatin1StringView("SetItem"))
        return Coded({{u"通常商品", 0}, {u"組立商品", 1}});
    if (field == QLatin1StringView("Day")) {
        QList<CExtractValue> values = Coded({{u"都度", 0}, {u"月末", 99}});
        for (int day = 1; day <= 31; ++day)
            values.append({QStringLiteral("毎月%1日締").arg(day), day, true});
        return values;
    }
    if (field == QLatin1StringView("TaxType"))
        return Coded({{u"請求時", 1}, {u"納品ごと", 2}, {u"明細ごと", 3}, {u"内税", 4}, {u"しない", 0}});
    if (In(field, {"TaxRoundType", "RoundType"}))
        return Coded({{u"切り捨て", 1}, {u"四捨五入", 2}, {u"切り上げ", 3}});
    if (field == QLatin1StringView("CollectCycle"))
        return Coded({{u"請求後", 0},
                      {u"当月", 1},
                      {u"翌月", 2},
                      {u"翌々月", 3},
                      {u"３ヶ月", 4},
                      {u"４ヶ月", 5},
                      {u"５ヶ月", 6},
                      {u"６ヶ月", 7}});
    if (field == QLatin1StringView("CollectDay")) {
        QList<CExtractValue> values = Coded({{u"月末", 99}});
        for (int day = 1; day <= 28; ++day)
            values.append({QStringLiteral("%1日").arg(day), day, true});
        return values;
    }
    if (field == QLatin1StringView("BankAccountType"))
        return Coded({{u"当座", 1}, {u"普通", 2}});
    if (field == QLatin1StringView("BankFee"))
        return Coded({{u"相手負担", 0}, {u"自社負担", 1}});
    if (field == QLatin1StringView("BankType"))
        return Coded({{u"同行同支店", 1}, {u"同行他支店", 2}, {u"他行", 3}});
    if (field == QLatin1StringView("PaymentType"))
        return Coded({{u"文書", 0}, {u"電信", 1}});
    if (In(field, {"MyPerson", "Unit"})) {
        CComboData data;
        QStringList names;
        if (data.Load(field == QLatin1StringView("MyPerson") ? COMBO_TANTO : COMBO_UNIT)) {
            for (const auto& elem : data.GetElems())
                names << elem->m_strText;
        }
        return Texts(names);
    }
    if (field.size() == 6 && field.startsWith(QLatin1StringView("Class")) && field[5] >= u'1' &&
        field[5] <= u'5') {
        CBunruiData data;
        const CBunruiDataElem* elem = data.Find(m_target.columnSet, field[5].unicode() - u'1');
        return Texts(elem ? elem->m_contents : QStringList());
    }
    return {};
}

bool CExtractBuilder::ParseDate(const QString& text, QDate& date)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})/([0-9]{1,2})/([0-9]{1,2})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    date = QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    return date.isValid();
}

QString CExtractBuilder::Refuse(int index, const QString& text, Focus focus)
{
    if (!text.isEmpty() && m_bAsk)
        UiServices::Prompt().MessageBox(QStringLiteral("条件<%1>：").arg(QChar(u'A' + index)) + text, MB_OK,
                                        MB_ICONEXCLAMATION);
    m_nFailedRow = index;
    m_focus = focus;
    return {};
}

QString CExtractBuilder::BuildRow(int index, const CExtractRow& row, QStringList& parts)
{
    parts.clear();
    if (row.field < 0)
        return Refuse(index, QStringLiteral("項目を選択してください"), kFocusField);
    if (row.field >= m_fields.size())
        return Refuse(index, QStringLiteral("選択された項目の内容が不明です。"), kFocusField);
    const QString field = m_fields[row.field].m_strField;
    const int type = GetExtractFieldType(field);
    const bool hasOp = row.op >= 0 && row.op < row.operators.size();
    const QString fragment = hasOp ? row.operators[row.op].fragment : QString();
    const QString column = GetColumnName(row.field);
    const QString prefix = QStringLiteral("条件<%1>：").arg(QChar(u'A' + index));

    QString literal; // the value as SQL, for the fragment's "*"
    QString left = column;
    switch (type) {
    case kExtractText:
        if (row.value.isEmpty()) {
            if (field == QLatin1StringView("CollectType"))
                return Refuse(index, QStringLiteral("条件を選択してください"), kFocusValue);
            if (m_bAsk &&
                UiServices::Prompt().MessageBox(
                    prefix +
                        QStringLiteral("条件が入力されていません。\n空の文字とみなしますがよろしいですか？"),
                    MB_YESNO, MB_ICONQUESTION) != IDYES)
                return Refuse(index, {}, kFocusValue);
        }
        {
            // The value as the saved parts give it back, so that a condition
            // finds the same rows before and after it is saved.
            const QString value = Cp932::FoldAliases(row.value);
            literal = SqlQuote(fragment.contains(QLatin1StringView("Like")) ? SqlLikeEscape(value) : value);
            left = SqlFoldedColumn(column, value);
        }
        break;
    case kExtractCoded:
        if (row.valueItem < 0 || row.valueItem >= row.values.size() || !row.values[row.valueItem].hasCode)
            return Refuse(index, QStringLiteral("条件を選択してください"), kFocusValue);
        literal = QString::number(row.values[row.valueItem].code);
        break;
    case kExtractDate: {
        QDate date;
        if (fragment.startsWith(QLatin1StringView("Month("))) {
            int month = SmallNumber(row.value, 12);
            if (!month && ParseDate(row.value, date))
                month = date.month();
            if (!month)
                return Refuse(index,
                              QStringLiteral("入力された日付の形式が正しくありません。\n月を指定する場合は 1 "
                                             "～ 12 の数字または、yyyy/mm/dd 形式で入力してください。"),
                              kFocusValue);
            literal = QString::number(month);
        } else if (fragment.startsWith(QLatin1StringView("Day("))) {
            int day = SmallNumber(row.value, 31);
            if (!day && ParseDate(row.value, date))
                day = date.day();
            if (!day)
                return Refuse(index,
                              QStringLiteral("入力された日付の形式が正しくありません。\n日にちを指定する場合"
                                             "は 1 ～ 31 の数字または、yyyy/mm/dd 形式で入力してください。"),
                              kFocusValue);
            literal = QString::number(day);
        } else {
            if (!ParseDate(row.value, date))
                return Refuse(index,
                              QStringLiteral("入力された日付の形式が正しくありません。\n日付は yyyy/mm/dd "
                                             "形式で入力してください。"),
                              kFocusValue);
            literal = SqlDate(date);
            left = QStringLiteral("date(") + column + u')';
        }
        break;
    }
    case kExtractNumber: {
        // Only a checked, half-width number reaches the statement.
        const QString number = ToHalfWidthDigits(Cp932::FoldAliases(row.value));
        if (number.isEmpty())
            return Refuse(index, QStringLiteral("条件を入力してください"), kFocusValue);
        int integers = -1, decimals = -1;
        bool point = true;
        if (In(field, {"Price", "Cost"})) {
            integers = 8;
            decimals = 2;
        } else if (In(field, {"StockNumber", "StockJustNumber"})) {
            integers = 7;
            decimals = 3;
        } else if (field == QLatin1StringView("Percent")) {
            integers = 3;
            decimals = 1;
        } else if (In(field, {"Collect", "Ceiling"})) {
            integers = 11;
            point = false;
        }
        const QString problem = NumTextProblem(number, true, point, decimals, integers);
        if (!problem.isEmpty())
            return Refuse(index, problem, kFocusValue);
        literal = SqlMoney(TextToMny(number));
        break;
    }
    default:
        break;
    }
    if (!hasOp)
        return Refuse(index, QStringLiteral("比較式を選択してください"), kFocusOperator);

    parts = {column, row.value, fragment};
    QString condition;
    if (type == kExtractDate && (fragment.startsWith(QLatin1StringView("Month(")) ||
                                 fragment.startsWith(QLatin1StringView("Day(")))) {
        const bool month = fragment.startsWith(QLatin1StringView("Month("));
        const qsizetype close = fragment.indexOf(u')');
        condition = QStringLiteral("CAST(strftime('%1', %2) AS INTEGER)")
                        .arg(month ? QStringLiteral("%m") : QStringLiteral("%d"), column) +
                    Fill(fragment.mid(close + 1), literal);
    } else {
        condition = left + Fill(fragment, literal);
    }
    if (type == kExtractText) {
        if (fragment.contains(QLatin1StringView("Like")))
            condition += QStringLiteral(" ESCAPE '\\'");
        if (!row.value.isEmpty())
            condition = u'(' + condition + QStringLiteral(" AND ") + column + QStringLiteral(" Not Like '')");
    }
    return condition;
}

int CExtractBuilder::Build(const std::array<CExtractRow, 3>& rows, CExCondition& condition, bool ask)
{
    m_nFailedRow = -1;
    m_focus = kFocusNone;
    m_bAsk = ask;
    const int built = BuildRows(rows, condition);
    m_bAsk = true;
    return built;
}

int CExtractBuilder::BuildRows(const std::array<CExtractRow, 3>& rows, CExCondition& condition)
{
    const auto joined = [](int connector) { return connector == 0 || connector == 1; };
    const auto word = [](int connector) {
        return connector == 0 ? QStringLiteral("AND") : QStringLiteral("OR");
    };
    const auto invalid = [this](int index) {
        if (m_bAsk)
            UiServices::Prompt().MessageBox(
                QStringLiteral("条件<%1>の設定が不正です").arg(QChar(u'A' + index)), MB_OK,
                MB_ICONEXCLAMATION);
        return 0;
    };
    QStringList parts[3];
    QString texts[3];
    texts[0] = BuildRow(0, rows[0], parts[0]);
    if (texts[0].isEmpty())
        return invalid(0);
    const bool withB = joined(rows[0].connector);
    const bool withC = withB && joined(rows[1].connector);
    if (withB) {
        parts[0] << word(rows[0].connector);
        texts[1] = BuildRow(1, rows[1], parts[1]);
        if (texts[1].isEmpty())
            return invalid(1);
    }
    if (withC) {
        parts[1] << word(rows[1].connector);
        texts[2] = BuildRow(2, rows[2], parts[2]);
        if (texts[2].isEmpty())
            return invalid(2);
    }
    QString statement = GetHead();
    if (withC)
        statement += QStringLiteral("WHERE (%1 %2 %3) %4 %5")
                         .arg(texts[0], word(rows[0].connector), texts[1], word(rows[1].connector), texts[2]);
    else if (withB)
        statement += QStringLiteral("WHERE %1 %2 %3").arg(texts[0], word(rows[0].connector), texts[1]);
    else
        statement += QStringLiteral("WHERE ") + texts[0];
    condition.Clear();
    condition.m_nKind = m_target.extractKind;
    condition.m_strSQL = statement;
    condition.m_arrA = parts[0];
    condition.m_arrB = parts[1];
    condition.m_arrC = parts[2];
    return 1;
}
