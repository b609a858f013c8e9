#include "ReportFixture.h"

#include "platform/data/MnyText.h"
#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

FixtureValue FixtureValue::Money(const char* amount)
{
    return FixtureValue(kMoney, QString::fromUtf8(amount));
}

FixtureValue FixtureValue::Null()
{
    return FixtureValue(kNull, QString());
}

void FixtureValue::Put(COneRecord& record, const QString& name) const
{
    switch (m_kind) {
    case kText:
        record.SetField(name, m_text);
        break;
    case kInteger:
        record.SetField(name, m_integer);
        break;
    case kMoney: {
        bool ok = false;
        const CMny amount = TextToMny(m_text, &ok);
        EXPECT_TRUE(ok) << m_text.toStdString();
        record.SetField(name, amount);
        break;
    }
    case kDate:
        record.SetField(name, m_date);
        break;
    case kNull:
        record.AddField(CTb(name))->SetNull();
        break;
    }
}

void ReportFixture::SetUp()
{
    DatabaseTest::SetUp();
    if (HasFatalFailure())
        return;
    BuildSales();
    BuildPurchases();
    BuildLines();
}

int ReportFixture::Insert(const char* table, FixtureRow fields, const char* name)
{
    CCDSData set;
    set.m_strTable = QString::fromUtf8(table);
    COneRecord* record = set.AddNew();
    for (const auto& [field, value] : fields)
        value.Put(*record, set.m_strTable % u'.' % QString::fromUtf8(field));
    QString err;
    EXPECT_EQ(m_data.InsertData(set, err), 1) << table << ": " << err.toStdString();
    int id = 0;
    const CTb* idField = set.GetAt(0)->GetOneField(set.m_strTable, QStringLiteral("ID"));
    EXPECT_TRUE(idField && idField->GetData(id)) << table;
    if (name)
        m_ids.insert(QString::fromUtf8(name), id);
    return id;
}

int ReportFixture::Id(const char* name) const
{
    const auto it = m_ids.constFind(QString::fromUtf8(name));
    EXPECT_NE(it, m_ids.cend()) << name;
    return it == m_ids.cend() ? -1 : *it;
}

CCDSData ReportFixture::Rows(const QString& statement)
{
    EXPECT_FALSE(statement.isEmpty());
    CCDSData request, result;
    request.m_strCondition = statement;
    QString err;
    EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString() << "\n"
                                                           << statement.toStdString();
    return result;
}

void ReportFixture::Exec(const QString& sql)
{
    QString err;
    EXPECT_EQ(m_data.Execute(sql, err), 1) << err.toStdString();
}

void ReportFixture::ExpectRows(std::initializer_list<RowsCase> cases)
{
    for (const RowsCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Table(Rows(c.build()), c.fields), c.rows);
    }
}

QStringList ReportFixture::Values(const CCDSData& rows, int row, const QStringList& fields)
{
    QStringList values;
    for (const QString& field : fields) {
        const CTb* f = rows.GetAt(row)->GetOneField(QString(), field);
        values << (f ? f->GetText() : QStringLiteral("<no field %1>").arg(field));
    }
    return values;
}

QStringList ReportFixture::Column(const CCDSData& rows, const QString& field)
{
    QStringList values;
    for (int i = 0; i < rows.GetCount(); ++i)
        values << Values(rows, i, {field}).first();
    return values;
}

QStringList ReportFixture::Table(const CCDSData& rows, const QStringList& fields)
{
    QStringList all;
    for (int i = 0; i < rows.GetCount(); ++i)
        all << Values(rows, i, fields).join(u'|');
    return all;
}

// ---- the world ------------------------------------------------------------
//
// Sales side, the figures the statements must give:
//
// Closing candidates of closing day 25 at 2004-05-25:
//   K001    前回請求額 = 10000 + (21000 + 31500.52 + 500) - (8000 + 13000) = 42000.52,
//           今回入金額 5000 (R3; R4 is later), 繰越額 37000.52,
//           今回税抜売上額 12345.67 + 1000 + 0 = 13345.67, 今回課税対象額 12345.67 (S4),
//           今回算出済み税額 50 + 80.5 = 130.5 (S5, S6), 納品枚数 2 (S6 is a tax slip)
//   K004    前回請求額 8400 (its per-slip invoice of that day), 1500 / 1500 / 0, 1 slip
//   O'Neil  前回請求額 420 (ON1), 5000 / 0 / 250, 2 slips (one written "o'neil")
//   K003 closes at month end, K005 has money but no slip, K006 and K007 nothing unbilled.
// Up to 2004-05-25 adds K003: 前回請求額 5000 (K3C1 is later), 600 / 0 / 30, 1 slip.
// Up to 2004-05-31 drops K003 (closed for the account on that day).
//
// Open closings (receipt schedule), by collection date and ID:
//   K1C2  23000 - 13000 = 10000 carried, 30000.5 + 2000.02, due 42000.52, 1 slip
//   K6C2  1000 + 4200 = 5200, due 7300 (K6C3 of the same day has the higher ID)
//   K6C3  1000 + 4200 + 2100 = 7300 - 300 = 7000, due 7525
//   OT1   one-time: 山川商店 (the lower slip) though S16 says 川山商店; 0 carried, due 3150, 2 slips
//   K4C1  per-slip invoice: 0 / 0 / 0, due 8400, 0 slips
//   K7C2  2000 - 500 = 1500, due 2550 (past money only)
//   ON1   0, due 420
//   K3C1  first closing: 5000, due 12350
void ReportFixture::BuildSales()
{
    Insert(TB_CUSTOMER, {{"CustomerCode", "K001"},
                         {"Company", "青葉商事"},
                         {"Section", "営業部"},
                         {"Name", "青葉 一郎"},
                         {"Zip", "100-0001"},
                         {"Address", "東京都千代田区1-1"},
                         {"Keisho", "様"},
                         {"Keisho2", "御中"},
                         {"MyPerson", "佐藤"},
                         {"TEL", "03-1111-1111"},
                         {"FAX", "03-1111-1112"},
                         {"Collect", Yen("10000")},
                         {"Day", 25},
                         {"TaxRoundType", 2},
                         {"CollectCycle", 1},
                         {"CollectDay", 10},
                         {"CollectType", "振込"},
                         {"PhoenicCompany", "アオバショウジ"},
                         {"PhoenicPerson", "アオバ イチロウ"},
                         {"Class1", "東京"},
                         {"StartDate", QDate(2003, 1, 15)},
                         {"Ceiling", Yen("60000")}});
    Insert(TB_CUSTOMER, {{"CustomerCode", "O'Neil"},
                         {"Company", "オニール商会"},
                         {"Collect", Yen("0")},
                         {"Day", 25},
                         {"Class1", "大阪"}});
    Insert(TB_CUSTOMER, {{"CustomerCode", "K003"},
                         {"Company", "三河屋"},
                         {"Collect", Yen("5000")},
                         {"Day", 99},
                         {"Class1", "東京"}});
    Insert(TB_CUSTOMER,
           {{"CustomerCode", "K004"}, {"Company", "四谷工業"}, {"Collect", Yen("0")}, {"Day", 25}});
    Insert(TB_CUSTOMER, {{"CustomerCode", "K005"}, {"Company", "五反田物産"}, {"Day", 25}});
    Insert(TB_CUSTOMER,
           {{"CustomerCode", "K006"}, {"Company", "六本木電機"}, {"Collect", Yen("1000")}, {"Day", 20}});
    Insert(TB_CUSTOMER,
           {{"CustomerCode", "K007"}, {"Company", "七尾食品"}, {"Collect", Yen("2000")}, {"Day", 99}});

    struct Closing {
        const char* name;
        const char* code;
        QDate closeDate, collectDate;
        int status, tudo;
    };
    const Closing closings[] = {
        {"K1C1", "K001", {2004, 3, 25}, {2004, 4, 10}, 1, 1},
        {"K6C1", "K006", {2004, 3, 20}, {2004, 4, 10}, 1, 1},
        {"K7C1", "K007", {2004, 3, 31}, {2004, 4, 30}, 1, 1},
        {"K1C2", "K001", {2004, 4, 25}, {2004, 5, 10}, 0, 1},
        {"K6C2", "K006", {2004, 4, 20}, {2004, 5, 20}, 0, 1},
        {"K6C3", "K006", {2004, 4, 20}, {2004, 5, 20}, 0, 1},
        {"K7C2", "K007", {2004, 4, 30}, {2004, 5, 31}, 0, 1},
        {"OT1", "　", {2004, 5, 20}, {2004, 5, 20}, 0, 1},
        {"K4C1", "K004", {2004, 5, 25}, {2004, 5, 25}, 0, 0},
        {"K3C1", "K003", {2004, 5, 31}, {2004, 6, 30}, 0, 1},
        {"ON1", "O'Neil", {2004, 4, 25}, {2004, 5, 31}, 0, 1},
    };
    for (const Closing& c : closings)
        Insert(TB_SALES_CLOSE,
               {{"No", c.name},
                {"Date", c.closeDate},
                {"CustomerCode", c.code},
                {"CloseDate", c.closeDate},
                {"CollectDate", c.collectDate},
                {"Status", c.status},
                {"TudoFlg", c.tudo}},
               c.name);

    struct Slip {
        const char* no;
        QDate date;
        const char* code;
        int kind, taxType;
        const char *amount, *tax, *total;
        const char* closing; // null: unbilled
    };
    // Billed first, so that the unbilled slips have the higher IDs.
    const Slip slips[] = {
        {"S1", {2004, 3, 10}, "K001", 0, 2, "20000", "1000", "21000", "K1C1"},
        {"S17", {2004, 3, 5}, "K006", 0, 2, "4000", "200", "4200", "K6C1"},
        {"S2", {2004, 4, 12}, "K001", 0, 2, "30000.5", "1500.02", "31500.52", "K1C2"},
        {"S3", {2004, 4, 20}, "K001", 1, 3, "0", "500", "500", "K1C2"},
        {"S18", {2004, 4, 10}, "K006", 0, 2, "2000", "100", "2100", "K6C2"},
        {"S19", {2004, 4, 18}, "K006", 0, 2, "500", "25", "525", "K6C3"},
        {"S20", {2004, 4, 28}, "K007", 0, 2, "1000", "50", "1050", "K7C2"},
        {"S23", {2004, 4, 10}, "O'Neil", 0, 2, "400", "20", "420", "ON1"},
        {"S15", {2004, 5, 19}, "　", 0, 2, "2000", "100", "2100", "OT1"},
        {"S16", {2004, 5, 20}, "　", 0, 2, "1000", "50", "1050", "OT1"},
        {"S11", {2004, 5, 15}, "K003", 0, 2, "7000", "350", "7350", "K3C1"},
        {"S13", {2004, 5, 25}, "K004", 0, 2, "8000", "400", "8400", "K4C1"},
        {"S4", {2004, 5, 10}, "K001", 0, 1, "12345.67", "0", "12345.67", nullptr},
        {"S5", {2004, 5, 25}, "K001", 0, 2, "1000", "50", "1050", nullptr},
        {"S6", {2004, 5, 20}, "K001", 1, 3, "0", "80.5", "80.5", nullptr},
        {"S7", {2004, 5, 26}, "K001", 0, 2, "999", "49.95", "1048.95", nullptr},
        {"S8", {2004, 5, 5}, "o'neil", 0, 2, "2000", "100", "2100", nullptr},
        {"S9", {2004, 5, 6}, "O'Neil", 0, 2, "3000", "150", "3150", nullptr},
        {"S10", {2004, 5, 30}, "K003", 0, 1, "4000", "0", "4000", nullptr},
        {"S12", {2004, 5, 2}, "K003", 0, 2, "600", "30", "630", nullptr},
        {"S14", {2004, 5, 18}, "K004", 0, 1, "1500", "0", "1500", nullptr},
        {"S21", {2004, 5, 31}, "O'Neil", 0, 2, "100", "5", "105", nullptr},
        {"S22", {2004, 6, 1}, "O'Neil", 0, 2, "200", "10", "210", nullptr},
    };
    for (const Slip& s : slips) {
        const bool oneTime = QString::fromUtf8(s.code) == QStringLiteral("　");
        const bool second = oneTime && QByteArray(s.no) == "S16";
        Insert(TB_SALES_H,
               {{"No", s.no},
                {"Date", s.date},
                {"CustomerCode", s.code},
                {"Company", oneTime ? (second ? "川山商店" : "山川商店") : ""},
                {"Section", oneTime ? (second ? "支店" : "本店") : ""},
                {"Name", oneTime ? (second ? "川山" : "山川") : ""},
                {"MyPerson", oneTime ? (second ? "鈴木" : "田中") : ""},
                {"DenpyoType", s.kind},
                {"TaxType", s.taxType},
                {"Amount", Yen(s.amount)},
                // The taxable base of tax at invoicing is the amount itself.
                {"AmountNoTax", Yen(s.taxType == 1 ? s.amount : "0")},
                {"Tax", Yen(s.tax)},
                {"Total", Yen(s.total)},
                {"SeikyuID", s.closing ? Id(s.closing) : 0},
                {"FormID", s.closing && QByteArray(s.no) == "S13" ? 3 : 0},
                {"FileName", QByteArray(s.no) == "S13" ? "k4.frm" : ""}},
               s.no);
    }

    struct Money {
        const char* no;
        QDate date;
        const char* code;
        const char* amount;
        const char* booked; // the closing it was booked to
        const char* pays;   // CloseID: the closing whose slips it pays (one-time partner)
    };
    const Money receipts[] = {
        {"R1", {2004, 3, 20}, "K001", "8000", "K1C1", nullptr},
        {"R2", {2004, 4, 15}, "K001", "13000", "K1C2", nullptr},
        {"R3", {2004, 5, 15}, "K001", "5000", nullptr, nullptr},
        {"R4", {2004, 5, 28}, "K001", "2000", nullptr, nullptr},
        {"R6", {2004, 5, 12}, "K005", "3000", nullptr, nullptr},
        {"R8", {2004, 4, 19}, "K006", "300", "K6C3", nullptr},
        {"R9", {2004, 3, 30}, "K007", "500", "K7C1", nullptr},
        {"R7", {2004, 5, 21}, "　", "2100", nullptr, "OT1"},
    };
    for (const Money& m : receipts)
        Insert(TB_RECEIPT_H,
               {{"No", m.no},
                {"Date", m.date},
                {"CustomerCode", m.code},
                {"Amount", Yen(m.amount)},
                {"SeikyuID", m.booked ? Id(m.booked) : 0},
                {"CloseID", m.pays ? Id(m.pays) : 0}},
               m.no);

    for (const auto& [no, date] : {std::pair{"Q1", QDate(2004, 5, 10)}, std::pair{"Q2", QDate(2004, 6, 2)},
                                   std::pair{"Q3", QDate(2004, 4, 30)}})
        Insert(TB_ESTIMATE_H, {{"No", no}, {"Date", date}, {"CustomerCode", "K001"}}, no);
}

// Purchase side. Fee table of the first account: bounds 0 / 10000 / 30000,
// relations (PaymentType, BankType) = (1,1) (1,2) (1,3) (0,3):
//   from 0       220 330 440 550
//   from 10000   440 550 660 770
//   from 30000   330 770 880 990   (the first relation gets cheaper)
// Open closings, all collected 2004-05-31 but PC5 (2004-06-30):
//   SP01  5000 + 3000 - 3000 = 5000 carried + 28000 + 2000 = 35000 due, by transfer (1,1):
//         fee 330 (not the 440 of a lower bracket), BankFee 0: transfer 34670
//   SP02  10000 due, exactly on the bound: (1,2) from 10000 = 550, BankFee 1: transfer 10000
//   SP03  2000 due, paid in cash: fee 0
//   SP04  4000 due by transfer, no PaymentType: fee 0
//   SP05  9999.99 due, (0,3) from 0 = 550: transfer 9449.99
// Closing candidates of day 25 at 2004-05-25: SP03 only: 2000 / 100 / 1900, 700, 0, 35, 1 slip.
void ReportFixture::BuildPurchases()
{
    struct Supplier {
        const char* code;
        const char* company;
        const char* collect;
        const char* collectType;
        int paymentType, bankType, bankFee;
    };
    const Supplier suppliers[] = {
        {"SP01", "北斗製作所", "5000", "振込", 1, 1, 0}, {"SP02", "南海運輸", "0", "振込", 1, 2, 1},
        {"SP03", "東邦商店", "0", "現金", 1, 1, 0},      {"SP04", "西陣織物", "0", "振込", -1, 1, 0},
        {"SP05", "中央印刷", "0", "振込", 0, 3, 0},
    };
    for (const Supplier& s : suppliers)
        Insert(TB_SUPPLIER,
               {{"SupplierCode", s.code},
                {"Company", s.company},
                {"Collect", Yen(s.collect)},
                {"Day", 25},
                {"CollectType", s.collectType},
                {"PaymentType", s.paymentType < 0 ? FixtureValue::Null() : FixtureValue(s.paymentType)},
                {"BankType", s.bankType},
                {"BankFee", s.bankFee},
                {"Bank", "みずほ銀行"},
                {"BankCode", "0001"},
                {"BankBranch", "本店"},
                {"BankBranchCode", "100"},
                {"BankAccountType", 1},
                {"BankNumber", "1234567"},
                {"BankOnesName", s.company},
                {"BankOnesPhoenic", "ホクト"}});

    const int bank = Insert(
        TB_BANK_H, {{"Bank", "三井住友銀行"}, {"BankBranch", "東京支店"}, {"BankOnesName", "当社"}}, "BANK1");
    const char* const bounds[] = {"0", "10000", "30000"};
    const char* const fees[3][4] = {
        {"220", "330", "440", "550"}, {"440", "550", "660", "770"}, {"330", "770", "880", "990"}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j)
            Insert(TB_BANK_B, {{"HeaderID", bank},
                               {"PaymentType", j < 3 ? 1 : 0},
                               {"BankType", j <= 2 ? j + 1 : 3},
                               {"Money", Yen(bounds[i])},
                               {"Fee", Yen(fees[i][j])}});
    }

    struct Closing {
        const char* name;
        const char* code;
        QDate closeDate, collectDate;
        int status;
    };
    const Closing closings[] = {
        {"PC0", "SP01", {2004, 3, 31}, {2004, 4, 30}, 1}, {"PC1", "SP01", {2004, 4, 30}, {2004, 5, 31}, 0},
        {"PC2", "SP02", {2004, 4, 30}, {2004, 5, 31}, 0}, {"PC3", "SP03", {2004, 4, 30}, {2004, 5, 31}, 0},
        {"PC4", "SP04", {2004, 4, 30}, {2004, 5, 31}, 0}, {"PC5", "SP05", {2004, 4, 30}, {2004, 6, 30}, 0},
    };
    for (const Closing& c : closings)
        Insert(TB_STOCK_CLOSE,
               {{"No", c.name},
                {"Date", c.closeDate},
                {"SupplierCode", c.code},
                {"CloseDate", c.closeDate},
                {"CollectDate", c.collectDate},
                {"Status", c.status},
                {"TudoFlg", 1}},
               c.name);

    struct Slip {
        const char* no;
        QDate date;
        const char* code;
        const char *amount, *tax, *total;
        const char* closing;
    };
    const Slip slips[] = {
        {"P0", {2004, 3, 15}, "SP01", "2800", "200", "3000", "PC0"},
        {"P1", {2004, 4, 15}, "SP01", "28000", "2000", "30000", "PC1"},
        {"P2", {2004, 4, 15}, "SP02", "9500", "500", "10000", "PC2"},
        {"P3", {2004, 4, 15}, "SP03", "1900", "100", "2000", "PC3"},
        {"P4", {2004, 4, 15}, "SP04", "4000", "0", "4000", "PC4"},
        {"P5", {2004, 4, 15}, "SP05", "9999.99", "0", "9999.99", "PC5"},
        {"P6", {2004, 5, 20}, "SP03", "700", "35", "735", nullptr},
    };
    for (const Slip& s : slips)
        Insert(TB_STOCK_H,
               {{"No", s.no},
                {"Date", s.date},
                {"SupplierCode", s.code},
                {"DenpyoType", 0},
                {"TaxType", 2},
                {"Amount", Yen(s.amount)},
                {"AmountNoTax", Yen("0")},
                {"Tax", Yen(s.tax)},
                {"Total", Yen(s.total)},
                {"SeikyuID", s.closing ? Id(s.closing) : 0}},
               s.no);

    Insert(TB_PAY_H,
           {{"No", "Y0"},
            {"Date", QDate(2004, 3, 25)},
            {"SupplierCode", "SP01"},
            {"Amount", Yen("3000")},
            {"SeikyuID", Id("PC0")}},
           "Y0");
    Insert(TB_PAY_H,
           {{"No", "Y1"},
            {"Date", QDate(2004, 5, 22)},
            {"SupplierCode", "SP03"},
            {"Amount", Yen("100")},
            {"SeikyuID", 0}},
           "Y1");
}

// Lines, products, stock and the partners of the balance lists.
//
// Sales lines (kind / tax flag / product / quantity / Amount - IncludeTax):
//   S4  2004-05-10 K001 佐藤: L1 1/1 I001 10 1000 (cost 500), L2 1/2 I002 5 1100-100 (cost 660-60),
//       L3 2/1 I001 -200, L4 3/0 300, L5 9 80
//   S5  2004-05-25 K001 佐藤: L6 1/1 I001 -2 -200 (cost -100), a return
//   S6  2004-05-20 K001 tax slip: L10 9 80.5
//   S9  2004-05-06 O'Neil 鈴木: L7 1/0 I003 1 500
//   S16 2004-05-20 one-time 鈴木: L11 1/1 I003 1 1000
//   S22 2004-06-01 O'Neil 鈴木: L8 1/1 I001 3 300 (cost 150)
//   S17 2004-03-05 K006 no staff: L9 1/1 I002 4 400 (cost 200)
// May by customer: K001 売上額 1800, 原価 1000, 値引額 -200, その他 300; O'Neil 500; one-time 1000.
// Purchase lines: P6 2004-05-20 SP03: I001 20 1000, discount (1) -100; P1 2004-04-15 SP01: I002 30
//   3000-272, tax line 100; P7 2004-03-31 and P8 2004-04-01 (zero-money slips booked to PC0 / PC1):
//   I002 6 and 9.
// Products: I001 (opening 100, proper 80), I002 (10, 20) and I004 (5) tracked, I003 not.
// Movements: I001 +7 (Type 1) 2004-05-12, -4 (Type 0) 05-13; I002 +2 (Type 3) 03-31, +1 04-01,
//   +1 06-02; I004 +2 11-30, +3 12-01.
// Stock at 2004-05-31: I001 100 + 20 - 8 + 3 = 115, I002 10 + 45 - 9 + 3 = 49, I004 5;
//   counted from the opening day 2004-03-31: I002 10 + 39 - 5 + 1 = 45.
// Also K008 without any trade, SP06 with one returned purchase of -500 (PC6, settled), and a
// receipt R10 of 0 from the one-time partner (諸口) paying no closing.
void ReportFixture::BuildLines()
{
    struct Product {
        const char* code;
        const char* name;
        int tracked;
        const char *opening, *proper, *cost;
        const char* cls;
    };
    const Product products[] = {
        {"I001", "ボールペン", 1, "100", "80", "50", "文具"},
        {"I002", "ノート", 1, "10", "20", "120", "紙製品"},
        {"I003", "配送料", 0, "0", "0", "0", "文具"},
        {"I004", "電卓", 1, "5", "0", "1500", "事務機"},
    };
    for (const Product& p : products)
        Insert(TB_ITEM, {{"ItemCode", p.code},
                         {"ItemName", p.name},
                         {"StockType", p.tracked},
                         {"StockNumber", Yen(p.opening)},
                         {"StockJustNumber", Yen(p.proper)},
                         {"Cost", Yen(p.cost)},
                         {"Class1", p.cls},
                         {"SupplierCode", "SP01"},
                         {"TaxFlg2", 1}});

    struct Line {
        const char* name;
        const char* slip;
        int kind, taxFlag;
        const char* item;
        const char *number, *amount, *included, *cost, *costTax;
    };
    const Line sales[] = {
        {"L1", "S4", 1, 1, "I001", "10", "1000", "0", "500", "0"},
        {"L2", "S4", 1, 2, "I002", "5", "1100", "100", "660", "60"},
        {"L3", "S4", 2, 1, "I001", "1", "-200", "0", "0", "0"},
        {"L4", "S4", 3, 0, "", "1", "300", "0", "0", "0"},
        {"L5", "S4", 9, 0, "", "0", "80", "0", "0", "0"},
        {"L6", "S5", 1, 1, "I001", "-2", "-200", "0", "-100", "0"},
        {"L10", "S6", 9, 0, "", "0", "80.5", "0", "0", "0"},
        {"L7", "S9", 1, 0, "I003", "1", "500", "0", "0", "0"},
        {"L11", "S16", 1, 1, "I003", "1", "1000", "0", "0", "0"},
        {"L8", "S22", 1, 1, "I001", "3", "300", "0", "150", "0"},
        {"L9", "S17", 1, 1, "I002", "4", "400", "0", "200", "0"},
    };
    QHash<QString, int> lineNo;
    // A line carries its slip's date and partner; sales lines their cost too.
    auto insertLines = [&](const auto& lines, const char* header, const char* body, const char* codeField) {
        for (const Line& l : lines) {
            const CCDSData slip =
                List(QString::fromLatin1(header), QStringLiteral("WHERE ID = %1").arg(Id(l.slip)));
            QDate date;
            slip.GetAt(0)->GetOneField(QString::fromLatin1(header), QStringLiteral("Date"))->GetData(date);
            const QByteArray code =
                slip.GetAt(0)
                    ->GetOneField(QString::fromLatin1(header), QString::fromLatin1(codeField))
                    ->GetText()
                    .toUtf8();
            const int id = Insert(body,
                                  {{"HeaderID", Id(l.slip)},
                                   {"LineNo", ++lineNo[QString::fromLatin1(l.slip)]},
                                   {"Date", date},
                                   {codeField, code.constData()},
                                   {"ItemType", l.kind},
                                   {"TaxFlg", l.taxFlag},
                                   {"ItemCode", l.item},
                                   {"ItemName", l.name},
                                   {"Number", Yen(l.number)},
                                   {"Amount", Yen(l.amount)},
                                   {"IncludeTax", Yen(l.included)},
                                   {"Tax", Yen("0")}},
                                  l.name);
            if (QByteArray(body) == TB_SALES_B)
                Exec(QStringLiteral("UPDATE Sales_B SET Amount2 = %1, IncludeTax2 = %2 WHERE ID = %3")
                         .arg(SqlMoney(TextToMny(QString::fromLatin1(l.cost))),
                              SqlMoney(TextToMny(QString::fromLatin1(l.costTax))), QString::number(id)));
        }
    };
    insertLines(sales, TB_SALES_H, TB_SALES_B, "CustomerCode");
    Exec(QStringLiteral("UPDATE Sales_H SET MyPerson = '佐藤' WHERE \"No\" IN ('S4', 'S5')"));
    Exec(QStringLiteral("UPDATE Sales_H SET MyPerson = '鈴木' WHERE \"No\" IN ('S9', 'S22')"));

    Insert(TB_CUSTOMER, {{"CustomerCode", "K008"}, {"Company", "休眠商事"}, {"Day", 25}});
    // Money of the one-time partner that pays no closing is named after the master.
    Exec(QStringLiteral("UPDATE Customer SET Company = '諸口' WHERE CustomerCode = '　'"));
    Insert(TB_RECEIPT_H,
           {{"No", "R10"},
            {"Date", QDate(2004, 5, 21)},
            {"CustomerCode", "　"},
            {"Amount", Yen("0")},
            {"SeikyuID", 0},
            {"CloseID", 0}},
           "R10");
    Insert(TB_SUPPLIER, {{"SupplierCode", "SP06"}, {"Company", "返品商会"}, {"Day", 20}});
    Insert(TB_STOCK_CLOSE,
           {{"No", "PC6"},
            {"Date", QDate(2004, 4, 20)},
            {"SupplierCode", "SP06"},
            {"CloseDate", QDate(2004, 4, 20)},
            {"CollectDate", QDate(2004, 5, 31)},
            {"Status", 1},
            {"TudoFlg", 1}},
           "PC6");
    struct Slip {
        const char* no;
        QDate date;
        const char* code;
        int kind;
        const char* total;
        const char* closing;
    };
    for (const Slip& s :
         {Slip{"P7", {2004, 3, 31}, "SP01", 1, "0", "PC0"}, Slip{"P8", {2004, 4, 1}, "SP01", 1, "0", "PC1"},
          Slip{"P9", {2004, 4, 10}, "SP06", 0, "-500", "PC6"}})
        Insert(TB_STOCK_H,
               {{"No", s.no},
                {"Date", s.date},
                {"SupplierCode", s.code},
                {"DenpyoType", s.kind},
                {"TaxType", 2},
                {"Amount", Yen(s.total)},
                {"AmountNoTax", Yen("0")},
                {"Tax", Yen("0")},
                {"Total", Yen(s.total)},
                {"SeikyuID", Id(s.closing)}},
               s.no);
    const Line purchases[] = {
        {"PL1", "P6", 1, 1, "I001", "20", "1000", "0", "0", "0"},
        {"PL2", "P6", 2, 1, "I001", "1", "-100", "0", "0", "0"},
        {"PL3", "P1", 1, 2, "I002", "30", "3000", "272", "0", "0"},
        {"PL4", "P1", 9, 0, "", "0", "100", "0", "0", "0"},
        {"PL5", "P7", 1, 1, "I002", "6", "0", "0", "0", "0"},
        {"PL6", "P8", 1, 1, "I002", "9", "0", "0", "0", "0"},
    };
    insertLines(purchases, TB_STOCK_H, TB_STOCK_B, "SupplierCode");

    struct Movement {
        const char* no;
        QDate date;
        const char* item;
        int type;
        const char *in, *out;
    };
    const Movement movements[] = {
        {"M1", {2004, 5, 12}, "I001", 1, "7", "0"}, {"M2", {2004, 5, 13}, "I001", 0, "0", "4"},
        {"M3", {2004, 3, 31}, "I002", 3, "2", "0"}, {"M5", {2004, 4, 1}, "I002", 1, "1", "0"},
        {"M4", {2004, 6, 2}, "I002", 1, "1", "0"},  {"M6", {2004, 11, 30}, "I004", 1, "2", "0"},
        {"M7", {2004, 12, 1}, "I004", 1, "3", "0"},
    };
    for (const Movement& m : movements)
        Insert(TB_STOCKCHANGE,
               {{"No", m.no},
                {"Date", m.date},
                {"ItemCode", m.item},
                {"ItemName", "旧名"},
                {"Type", m.type},
                {"InNumber", Yen(m.in)},
                {"OutNumber", Yen(m.out)}},
               m.no);

    // Money lines: R3 partly a discount; discounts outside May on R9 and Y0.
    struct MoneyLine {
        const char* table;
        const char* header;
        const char* code;
        const char* amount;
        const char* contents;
    };
    const MoneyLine moneyLines[] = {
        {TB_RECEIPT_B, "R3", "振込", "4800", ""}, {TB_RECEIPT_B, "R3", "値引き", "200", "端数"},
        {TB_RECEIPT_B, "R9", "値引き", "50", ""}, {TB_PAY_B, "Y1", "現金", "90", ""},
        {TB_PAY_B, "Y1", "値引き", "10", "端数"}, {TB_PAY_B, "Y0", "値引き", "30", "値引き"},
    };
    for (const MoneyLine& m : moneyLines)
        Insert(m.table, {{"HeaderID", Id(m.header)},
                         {"LineNo", ++lineNo[QString::fromLatin1(m.header)]},
                         {"Code", m.code},
                         {"Amount", Yen(m.amount)},
                         {"Contents", m.contents},
                         {"DraftNo", ""}});

    Insert(TB_ESTIMATE_B, {{"HeaderID", Id("Q1")},
                           {"LineNo", 1},
                           {"ItemType", 1},
                           {"ItemCode", "I001"},
                           {"ItemName", "ボールペン"},
                           {"Number", Yen("2")},
                           {"Amount", Yen("200")}});
    Insert(TB_ESTIMATE_B, {{"HeaderID", Id("Q1")},
                           {"LineNo", 2},
                           {"ItemType", 1},
                           {"ItemCode", "I002"},
                           {"ItemName", "ノート"},
                           {"Number", Yen("1")},
                           {"Amount", Yen("150")}});
    const int order = Insert(TB_ORDER_H,
                             {{"No", "O1"},
                              {"Date", QDate(2004, 5, 15)},
                              {"SupplierCode", "SP01"},
                              {"Limit", QDate(2004, 5, 31)},
                              {"Status", 0}},
                             "O1");
    Insert(TB_ORDER_B, {{"HeaderID", order},
                        {"LineNo", 1},
                        {"ItemType", 1},
                        {"ItemCode", "I001"},
                        {"ItemName", "ボールペン"},
                        {"Number", Yen("50")},
                        {"Amount", Yen("2500")}});
}
