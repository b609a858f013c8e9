#include "GenerateDb.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Schema.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace
{

// Raise when the generated rows change, so cached files are made again.
constexpr int kGeneratorVersion = 4;

constexpr qint64 kUnit = 10000; // money is stored in ten-thousandths

// A small, fast generator with the same sequence everywhere.
class Random
{
  public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 Next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // lo..hi inclusive.
    int Between(int lo, int hi) { return lo + int(Next() % quint64(hi - lo + 1)); }
    // 0..count-1, favouring the low end: a few partners and products carry
    // most of the business, as in a real shop.
    int Skewed(int count)
    {
        const double u = double(Next() >> 11) / double(1ULL << 53);
        return qMin(count - 1, int(u * u * count));
    }
    template <typename T, std::size_t N> const T& Pick(const T (&items)[N]) { return items[Next() % N]; }

  private:
    quint64 m_state;
};

struct Reading {
    const char* text;
    const char* kana;
};

constexpr Reading kSurnames[] = {
    {"山田", "ヤマダ"}, {"佐藤", "サトウ"},   {"鈴木", "スズキ"},   {"高橋", "タカハシ"}, {"田中", "タナカ"},
    {"伊藤", "イトウ"}, {"渡辺", "ワタナベ"}, {"中村", "ナカムラ"}, {"小林", "コバヤシ"}, {"加藤", "カトウ"},
    {"吉田", "ヨシダ"}, {"山本", "ヤマモト"}, {"松本", "マツモト"}, {"井上", "イノウエ"}, {"木村", "キムラ"},
    {"林", "ハヤシ"},   {"斎藤", "サイトウ"}, {"清水", "シミズ"},   {"山口", "ヤマグチ"}, {"森", "モリ"},
    {"池田", "イケダ"}, {"橋本", "ハシモト"}, {"阿部", "アベ"},     {"石川", "イシカワ"},
};

constexpr Reading kGivenNames[] = {
    {"太郎", "タロウ"},   {"一郎", "イチロウ"}, {"健太", "ケンタ"}, {"大輔", "ダイスケ"},
    {"翔太", "ショウタ"}, {"花子", "ハナコ"},   {"美咲", "ミサキ"}, {"裕子", "ユウコ"},
    {"直子", "ナオコ"},   {"陽子", "ヨウコ"},   {"誠", "マコト"},   {"学", "マナブ"},
};

constexpr Reading kTrades[] = {
    {"商事", "ショウジ"},   {"工業", "コウギョウ"}, {"建設", "ケンセツ"},       {"電機", "デンキ"},
    {"食品", "ショクヒン"}, {"物産", "ブッサン"},   {"製作所", "セイサクショ"}, {"運輸", "ウンユ"},
    {"印刷", "インサツ"},   {"薬品", "ヤクヒン"},   {"商店", "ショウテン"},     {"産業", "サンギョウ"},
    {"技研", "ギケン"},     {"精機", "セイキ"},
};

constexpr const char* kLegalForms[] = {"株式会社", "有限会社", "合同会社"};
constexpr const char* kSections[] = {"営業部", "総務部", "経理部", "購買部", "資材課", "第一営業課", ""};
constexpr const char* kCollectTypes[] = {"現金", "振込", "手形", "小切手"};
constexpr const char* kRanks[] = {"A", "B", "C"};
constexpr const char* kStreets[] = {"本町", "中央", "栄町", "緑町", "旭町", "幸町", "港町", "桜木町"};
constexpr const char* kPeople[] = {"営業一課 佐々木", "営業二課 大野", "本社 村上", "支店 岡田"};

struct Area {
    const char* region;
    const char* city;  // prefecture and city
    const char* phone; // area code
    int zip;           // first three digits of the postcode
};

constexpr Area kAreas[] = {
    {"関東", "東京都千代田区", "03", 100},          {"関東", "東京都新宿区", "03", 160},
    {"関西", "大阪府大阪市北区", "06", 530},        {"関東", "神奈川県横浜市中区", "045", 231},
    {"中部", "愛知県名古屋市中区", "052", 460},     {"九州", "福岡県福岡市博多区", "092", 812},
    {"北海道", "北海道札幌市中央区", "011", 60},    {"東北", "宮城県仙台市青葉区", "022", 980},
    {"関西", "京都府京都市下京区", "075", 600},     {"関西", "兵庫県神戸市中央区", "078", 650},
    {"関東", "埼玉県さいたま市大宮区", "048", 330}, {"関東", "千葉県千葉市中央区", "043", 260},
};

struct Goods {
    const char* name;
    const char* kana;
    const char* unit;
    int price; // yen, before the variant's factor
};

constexpr Goods kGoods[] = {
    {"ボールペン", "ボールペン", "本", 120},
    {"ノート", "ノート", "冊", 180},
    {"コピー用紙", "コピーヨウシ", "箱", 2800},
    {"クリアファイル", "クリアファイル", "袋", 450},
    {"ホッチキス", "ホッチキス", "個", 900},
    {"ゼムクリップ", "ゼムクリップ", "箱", 200},
    {"封筒", "フウトウ", "袋", 600},
    {"電卓", "デンタク", "台", 2400},
    {"はさみ", "ハサミ", "本", 500},
    {"付箋", "フセン", "個", 300},
    {"蛍光ペン", "ケイコウペン", "本", 150},
    {"マウス", "マウス", "台", 1800},
    {"キーボード", "キーボード", "台", 3800},
    {"トナー", "トナー", "本", 12000},
    {"インクカートリッジ", "インクカートリッジ", "個", 2600},
    {"乾電池", "カンデンチ", "組", 700},
    {"ガムテープ", "ガムテープ", "巻", 350},
    {"段ボール箱", "ダンボールバコ", "枚", 250},
};

struct Variant {
    const char* name;
    const char* kana;
    int percent; // price factor
};

constexpr Variant kVariants[] = {
    {"黒", "クロ", 100},       {"赤", "アカ", 100}, {"青", "アオ", 100},  {"A4", "A4", 110},
    {"B5", "B5", 95},          {"大", "ダイ", 140}, {"小", "ショウ", 80}, {"業務用", "ギョウムヨウ", 450},
    {"徳用", "トクヨウ", 300},
};

std::string Format(const char* format, auto... values)
{
    char buffer[128];
    const int n = std::snprintf(buffer, sizeof buffer, format, values...);
    return std::string(buffer, std::size_t(qBound(0, n, int(sizeof buffer) - 1)));
}

std::string IsoDate(const QDate& date)
{
    return Format("%04d-%02d-%02d", date.year(), date.month(), date.day());
}

std::string IsoDateTime(const QDate& date, int seconds)
{
    return IsoDate(date) + Format(" %02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// A 13-digit JAN code with its check digit.
std::string JanCode(int serial)
{
    std::string digits = Format("49%010d", serial);
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (digits[std::size_t(i)] - '0') * (i % 2 ? 3 : 1);
    digits += char('0' + (10 - sum % 10) % 10);
    return digits;
}

// One prepared INSERT whose values are bound in column order.
class Insert
{
  public:
    Insert(sqlite3* db, const char* table, const std::vector<const char*>& columns) : m_db(db)
    {
        std::string sql = std::string("INSERT INTO \"") + table + "\" (";
        std::string values;
        for (const char* column : columns) {
            sql += (values.empty() ? "\"" : ",\"") + std::string(column) + '"';
            values += values.empty() ? "?" : ",?";
        }
        sql += ") VALUES (" + values + ')';
        m_rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr);
    }
    ~Insert() { sqlite3_finalize(m_statement); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& Text(const std::string& value)
    {
        return Check(
            sqlite3_bind_text(m_statement, ++m_index, value.data(), int(value.size()), SQLITE_TRANSIENT));
    }
    Insert& Text(const char* value) { return Text(std::string(value)); }
    Insert& Int(qint64 value) { return Check(sqlite3_bind_int64(m_statement, ++m_index, value)); }
    Insert& Money(qint64 yen) { return Int(yen * kUnit); }

    // Writes the bound row; false on failure, then and ever after.
    bool Step()
    {
        if (m_rc == SQLITE_OK && sqlite3_step(m_statement) != SQLITE_DONE)
            m_rc = sqlite3_errcode(m_db);
        sqlite3_reset(m_statement);
        m_index = 0;
        return m_rc == SQLITE_OK;
    }

  private:
    Insert& Check(int rc)
    {
        if (m_rc == SQLITE_OK)
            m_rc = rc;
        return *this;
    }

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_index = 0;
    int m_rc = SQLITE_OK;
};

// A customer or supplier: what its slips copy and the terms its closings follow.
struct Partner {
    std::string code, company, section, name, zip, address, tel, person, kanaCompany, kanaName, region, trade;
    int taxType, day, collectCycle, collectDay;
};

struct Item {
    std::string code, name, unit;
    int price, cost, taxFlg;
};

constexpr int kClosingDays[] = {5, 10, 15, 20, 25, 99};

Partner DrawPartner(Random& random, std::string code, int i)
{
    const Reading& owner = random.Pick(kSurnames);
    const Reading& trade = random.Pick(kTrades);
    const Reading& surname = random.Pick(kSurnames);
    const Reading& given = random.Pick(kGivenNames);
    const Area& area = random.Pick(kAreas);
    const char* form = random.Pick(kLegalForms);
    Partner p;
    p.code = std::move(code);
    p.company = i % 3 == 0 ? std::string(owner.text) + trade.text + form
                           : std::string(form) + owner.text + trade.text;
    p.section = random.Pick(kSections);
    p.name = std::string(surname.text) + ' ' + given.text;
    p.kanaCompany = std::string(owner.kana) + trade.kana;
    p.kanaName = std::string(surname.kana) + ' ' + given.kana;
    p.region = area.region;
    p.trade = trade.text;
    p.zip = Format("%03d-%04d", area.zip, random.Between(1, 9999));
    // One draw per statement: the order of evaluation of arguments is unspecified.
    const char* street = random.Pick(kStreets);
    const int block = random.Between(1, 5), lot = random.Between(1, 30), house = random.Between(1, 20);
    p.address = std::string(area.city) + street + Format("%d丁目%d番%d号", block, lot, house);
    const int exchange = random.Between(1000, 9999), line = random.Between(0, 9999);
    p.tel = Format("%s-%04d-%04d", area.phone, exchange, line);
    p.person = random.Pick(kPeople);
    // Taxed at invoicing, per slip, per line, or inside the prices: the last
    // one partner in four, without a draw of its own so the data keep their shape.
    p.taxType = random.Between(1, 3);
    if (exchange % 4 == 0)
        p.taxType = 4;
    p.day = random.Pick(kClosingDays);
    p.collectCycle = random.Between(1, 3);
    p.collectDay = random.Pick(kClosingDays);
    return p;
}

std::string Stamp(Random& random)
{
    const QDate started = QDate(2018, 4, 1).addDays(random.Between(0, 1400));
    return IsoDateTime(started, random.Between(9 * 3600, 18 * 3600));
}

bool FillCustomers(sqlite3* db, Random& random, int count, std::vector<Partner>& customers)
{
    Insert insert(db, "Customer",
                  {"CustomerCode",   "Company",       "Section",    "Name",         "Keisho",    "Keisho2",
                   "PhoenicCompany", "PhoenicPerson", "Zip",        "Address",      "TEL",       "FAX",
                   "E-mail",         "Day",           "TaxType",    "TaxRoundType", "RoundType", "Percent",
                   "CollectCycle",   "CollectDay",    "Collect",    "CollectType",  "Ceiling",   "Class1",
                   "Class2",         "Class3",        "Class4",     "Class5",       "OnesCode",  "MyPerson",
                   "Memo",           "StartDate",     "LastUpdate", "FormID"});
    customers.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        Partner c = DrawPartner(random, Format("C%05d", i + 1), i);
        const std::string stamp = Stamp(random);
        insert.Text(c.code)
            .Text(c.company)
            .Text(c.section)
            .Text(c.name)
            .Text("様")
            .Text("御中")
            .Text(c.kanaCompany)
            .Text(c.kanaName)
            .Text(c.zip)
            .Text(c.address)
            .Text(c.tel)
            .Text(c.tel.substr(0, c.tel.size() - 1) + '9')
            .Text(Format("info%05d@example.co.jp", i + 1))
            .Int(c.day)
            .Int(c.taxType)
            .Int(random.Between(1, 3))
            .Int(random.Between(1, 3))
            .Money(100)
            .Int(c.collectCycle)
            .Int(c.collectDay)
            .Money(i % 10 == 0 ? random.Between(1, 500) * 1000 : 0)
            .Text(random.Pick(kCollectTypes))
            .Money(random.Between(0, 50) * 100000)
            .Text(c.region)
            .Text(random.Pick(kRanks))
            .Text(c.trade)
            .Text("")
            .Text("")
            .Text("")
            .Text(c.person)
            .Text(i % 7 == 0 ? "月末締め翌月末払い" : "")
            .Text(stamp)
            .Text(stamp)
            .Int(0);
        if (!insert.Step())
            return false;
        customers.push_back(std::move(c));
    }
    return true;
}

constexpr const char* kBanks[] = {"みずほ銀行", "三菱UFJ銀行", "三井住友銀行",
                                  "りそな銀行", "横浜銀行",    "京都信用金庫"};
constexpr const char* kBranches[] = {"本店", "東京支店", "大阪支店", "名古屋支店", "新宿支店", "駅前支店"};

bool FillSuppliers(sqlite3* db, Random& random, int count, std::vector<Partner>& suppliers)
{
    Insert insert(db, "Supplier",
                  {"SupplierCode",
                   "Company",
                   "Section",
                   "Name",
                   "Keisho",
                   "Keisho2",
                   "PhoenicCompany",
                   "PhoenicPerson",
                   "Zip",
                   "Address",
                   "TEL",
                   "FAX",
                   "Day",
                   "TaxType",
                   "TaxRoundType",
                   "RoundType",
                   "CollectCycle",
                   "CollectDay",
                   "Collect",
                   "CollectType",
                   "Bank",
                   "BankCode",
                   "BankBranch",
                   "BankBranchCode",
                   "BankAccountType",
                   "BankNumber",
                   "BankOnesName",
                   "BankOnesPhoenic",
                   "BankFee",
                   "PaymentType",
                   "BankType",
                   "Class1",
                   "Class2",
                   "MyPerson",
                   "StartDate",
                   "LastUpdate",
                   "FormID"});
    suppliers.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        Partner s = DrawPartner(random, Format("V%04d", i + 1), i);
        const int bank = random.Between(0, int(std::size(kBanks)) - 1);
        const int branch = random.Between(0, int(std::size(kBranches)) - 1);
        const std::string stamp = Stamp(random);
        // Most suppliers are paid by transfer.
        const char* method = random.Between(1, 10) <= 7 ? "振込" : random.Pick(kCollectTypes);
        insert.Text(s.code)
            .Text(s.company)
            .Text(s.section)
            .Text(s.name)
            .Text("様")
            .Text("御中")
            .Text(s.kanaCompany)
            .Text(s.kanaName)
            .Text(s.zip)
            .Text(s.address)
            .Text(s.tel)
            .Text(s.tel.substr(0, s.tel.size() - 1) + '9')
            .Int(s.day)
            .Int(s.taxType)
            .Int(random.Between(1, 3))
            .Int(random.Between(1, 3))
            .Int(s.collectCycle)
            .Int(s.collectDay)
            .Money(i % 10 == 0 ? random.Between(1, 500) * 1000 : 0)
            .Text(method)
            .Text(kBanks[bank])
            .Text(Format("%04d", bank + 1))
            .Text(kBranches[branch])
            .Text(Format("%03d", branch * 10 + 100))
            .Int(random.Between(1, 2))
            .Text(Format("%07d", random.Between(1, 9999999)))
            .Text(s.company)
            .Text(s.kanaCompany)
            .Int(random.Between(0, 1))
            .Int(random.Between(0, 1))
            .Int(random.Between(1, 3))
            .Text(s.region)
            .Text(s.trade)
            .Text(s.person)
            .Text(stamp)
            .Text(stamp)
            .Int(0);
        if (!insert.Step())
            return false;
        suppliers.push_back(std::move(s));
    }
    return true;
}

// The company's own account and its twelve transfer fees: three amount
// brackets times four bank relations.
bool FillBank(sqlite3* db)
{
    Insert header(db, "Bank_H",
                  {"ID", "Bank", "BankCode", "BankBranch", "BankBranchCode", "BankAccountType", "BankNumber",
                   "BankOnesName", "BankOnesPhoenic"});
    if (!header.Int(1)
             .Text("三井住友銀行")
             .Text("0009")
             .Text("東京支店")
             .Text("100")
             .Int(1)
             .Text("7654321")
             .Text("株式会社コルヴァンタ")
             .Text("カ）コルヴァンタ")
             .Step())
        return false;
    Insert fee(db, "Bank_B", {"HeaderID", "PaymentType", "BankType", "Money", "Fee"});
    constexpr int kBounds[] = {0, 10000, 30000};
    constexpr int kFees[3][4] = {{110, 220, 330, 440}, {220, 330, 440, 550}, {330, 550, 660, 770}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (!fee.Int(1)
                     .Int(j < 3 ? 1 : 0)
                     .Int(j <= 2 ? j + 1 : 3)
                     .Money(kBounds[i])
                     .Money(kFees[i][j])
                     .Step())
                return false;
        }
    }
    return true;
}

bool FillItems(sqlite3* db, Random& random, int count, std::vector<Item>& items)
{
    Insert insert(db, "Item",
                  {"ItemType",        "ItemCode",    "ItemName",     "Phoenic",    "Unit",      "TaxFlg",
                   "Price",           "TaxFlg2",     "Cost",         "FixPrice",   "StockType", "StockNumber",
                   "StockJustNumber", "SetItem",     "SupplierCode", "Remarks",    "Class1",    "Class2",
                   "Class3",          "Class4",      "Class5",       "JANCode",    "StartDate", "LastUpdate",
                   "TaxFlgYobi1",     "TaxFlgYobi2", "YobiInt",      "PriceYobi1", "PriceYobi2"});
    const QDate opened(2018, 4, 1);
    items.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const Goods& goods = kGoods[std::size_t(i) % std::size(kGoods)];
        const Variant& variant = random.Pick(kVariants);
        const int pack = random.Pick({1, 1, 5, 10, 12, 20, 50});
        Item item;
        item.code = Format("A%06d", i + 1);
        item.name = std::string(goods.name) + ' ' + variant.name + (pack > 1 ? Format(" %d入", pack) : "");
        item.unit = goods.unit;
        item.price = qMax(10, goods.price * variant.percent / 100 * pack / 10 * 10);
        item.cost = item.price * random.Between(55, 80) / 100;
        const int draw = random.Between(1, 100);
        item.taxFlg = draw <= 90 ? 1 : draw <= 98 ? 2 : 0;
        const QDate started = opened.addDays(random.Between(0, 1400));
        const std::string stamp = IsoDateTime(started, random.Between(9 * 3600, 18 * 3600));
        insert.Int(1)
            .Text(item.code)
            .Text(item.name)
            .Text(std::string(goods.kana) + ' ' + variant.kana)
            .Text(item.unit)
            .Int(item.taxFlg)
            .Money(item.price)
            .Int(item.taxFlg)
            .Money(item.cost)
            .Money(item.price * 12 / 10)
            .Int(random.Between(0, 1))
            .Money(random.Between(0, 500))
            .Money(random.Between(0, 500))
            .Int(0)
            .Text("")
            .Text(i % 11 == 0 ? "取り寄せ品" : "")
            .Text("文具")
            .Text(goods.name)
            .Text("")
            .Text("")
            .Text("")
            .Text(JanCode(i + 1))
            .Text(stamp)
            .Text(stamp)
            .Int(1)
            .Int(1)
            .Int(0)
            .Money(0)
            .Money(0);
        if (!insert.Step())
            return false;
        items.push_back(std::move(item));
    }
    return true;
}

// How many lines each slip gets: about the average, at least one, exactly
// `lines` in all.
std::vector<int> LineCounts(Random& random, int slips, int lines)
{
    std::vector<int> counts(std::size_t(slips), 1);
    if (slips == 0)
        return counts;
    const int high = qMax(1, 2 * (lines / slips) - 1);
    qint64 sum = 0;
    for (int& n : counts)
        sum += n = random.Between(1, high);
    while (sum < lines) {
        ++counts[std::size_t(random.Between(0, slips - 1))];
        ++sum;
    }
    while (sum > lines) {
        int& n = counts[std::size_t(random.Between(0, slips - 1))];
        if (n > 1) {
            --n;
            --sum;
        }
    }
    return counts;
}

// The first closing day on or after `date` for closing day `day` (99: month end).
QDate ClosingDateOf(const QDate& date, int day)
{
    if (day == 99)
        return QDate(date.year(), date.month(), date.daysInMonth());
    if (date.day() <= day)
        return QDate(date.year(), date.month(), day);
    const QDate next = date.addMonths(1);
    return QDate(next.year(), next.month(), day);
}

// The collection date of a closing: `cycle` months on (one more when the
// closing day passed the collection day), on the collection day or month end.
QDate CollectDateOf(const QDate& closeDate, int cycle, int day)
{
    int months = qMax(0, cycle - 1);
    if (cycle == 1 && day != 99 && closeDate.day() > day)
        ++months;
    const QDate month = QDate(closeDate.year(), closeDate.month(), 1).addMonths(months);
    return QDate(month.year(), month.month(),
                 day == 99 ? month.daysInMonth() : qMin(day, month.daysInMonth()));
}

// The tables of one side of the trade.
struct TradeSide {
    const char* header;
    const char* lines;
    const char* money;
    const char* moneyLines;
    const char* closing;
    const char* code;
    bool sales; // sales lines carry the cost columns and sell at the price
};

constexpr TradeSide kSalesSide{"Sales_H",     "Sales_B",      "Receipt_H", "Receipt_B",
                               "Sales_Close", "CustomerCode", true};
constexpr TradeSide kPurchaseSide{"Stock_H",     "Stock_B",      "Pay_H", "Pay_B",
                                  "Stock_Close", "SupplierCode", false};

// The business years of trade end here; closings are made up to three months before the end.
const QDate kLastDay(2024, 3, 31);
// The first day of trade: two business years back unless the sizes say otherwise.
QDate kFirstDay(2022, 4, 1);
const QDate kLastClosing(2023, 12, 31);
// Closings from here on are not paid yet.
const QDate kOpenFrom(2023, 11, 1);

// The closings of one side as the slips and money are booked to them; the
// ID of a closing is its index + 1.
class Closings
{
  public:
    struct Closing {
        int partner;
        QDate closeDate;
        bool perSlip;
        qint64 total = 0; // yen
    };

    // The closing of the account that bills `date`, made on first use; 0
    // when it lies after the last closing.
    qint64 Account(const std::vector<Partner>& partners, int partner, const QDate& date)
    {
        const QDate closeDate = ClosingDateOf(date, partners[std::size_t(partner)].day);
        if (closeDate > kLastClosing)
            return 0;
        auto [it, added] =
            m_accounts.try_emplace({partner, closeDate.toJulianDay()}, qint64(m_all.size()) + 1);
        if (added)
            m_all.push_back({partner, closeDate, false});
        return it->second;
    }

    // A per-slip invoice of its own.
    qint64 PerSlip(int partner, const QDate& date)
    {
        m_all.push_back({partner, date, true});
        return qint64(m_all.size());
    }

    Closing& At(qint64 id) { return m_all[std::size_t(id - 1)]; }
    std::size_t Count() const { return m_all.size(); }

  private:
    std::map<std::pair<int, qint64>, qint64> m_accounts;
    std::vector<Closing> m_all;
};

bool FillSlips(sqlite3* db, Random& random, const TradeSide& side, int slips, int lineCount,
               const std::vector<Partner>& partners, const std::vector<Item>& items, Closings& closings)
{
    Insert header(db, side.header, {"ID",          "Date",     "No",      side.code,    "Company", "Section",
                                    "Name",        "Keisho",   "Keisho2", "Zip",        "Address", "MyPerson",
                                    "FormID",      "FileName", "TEL",     "DenpyoType", "TaxType", "Amount",
                                    "AmountNoTax", "Tax",      "Total",   "SeikyuID"});
    const std::vector<const char*> salesLine{"HeaderID",    "LineNo",  "Date",     "CustomerCode", "ItemType",
                                             "TaxFlg",      "TaxFlg2", "ItemCode", "ItemName",     "Number",
                                             "Unit",        "Price",   "Amount",   "IncludeTax",   "Amount2",
                                             "IncludeTax2", "Cost",    "Remarks",  "Tax"};
    const std::vector<const char*> purchaseLine{
        "HeaderID", "LineNo", "Date",  "SupplierCode", "ItemType",   "TaxFlg",  "ItemCode", "ItemName",
        "Number",   "Unit",   "Price", "Amount",       "IncludeTax", "Remarks", "Tax"};
    Insert line(db, side.lines, side.sales ? salesLine : purchaseLine);
    const std::vector<int> counts = LineCounts(random, slips, lineCount);
    // Numbered and dated in the order entered.
    const int days = int(kFirstDay.daysTo(kLastDay)) + 1;
    struct Line {
        const Item* item;
        int number;
        qint64 price, amount, included, tax;
    };
    std::vector<Line> lines;
    for (int s = 0; s < slips; ++s) {
        const int partnerIndex = random.Skewed(int(partners.size()));
        const Partner& partner = partners[std::size_t(partnerIndex)];
        const QDate day = kFirstDay.addDays(qint64(s) * days / slips);
        const std::string date = IsoDate(day);
        lines.clear();
        qint64 amount = 0, included = 0, tax = 0;
        for (int n = 0; n < counts[std::size_t(s)]; ++n) {
            const Item* item = &items[std::size_t(random.Skewed(int(items.size())))];
            Line l{item, random.Between(1, 20), side.sales ? item->price : item->cost, 0, 0, 0};
            l.amount = l.price * l.number;
            // Ten per cent, cut to the yen: added on top (1) or contained in the price (2).
            if (item->taxFlg == 1)
                l.tax = l.amount / 10;
            else if (item->taxFlg == 2)
                l.tax = l.included = l.amount * 10 / 110;
            amount += l.amount;
            included += l.included;
            tax += l.tax;
            lines.push_back(l);
        }
        // A tenth of the billed slips are invoiced each by itself.
        qint64 seikyuId = closings.Account(partners, partnerIndex, day);
        if (seikyuId != 0 && random.Between(1, 10) == 1)
            seikyuId = closings.PerSlip(partnerIndex, day);
        // Amount leaves out the tax even where the prices contain it; a slip
        // taxed at invoicing carries none, its closing adds it.
        const qint64 net = amount - included, slipTax = partner.taxType == 1 ? 0 : tax;
        if (seikyuId != 0)
            closings.At(seikyuId).total += net + slipTax;
        const qint64 id = s + 1;
        header.Int(id)
            .Text(date)
            .Text(Format("%08d", s + 1))
            .Text(partner.code)
            .Text(partner.company)
            .Text(partner.section)
            .Text(partner.name)
            .Text("様")
            .Text("御中")
            .Text(partner.zip)
            .Text(partner.address)
            .Text(partner.person)
            .Int(0)
            .Text("")
            .Text(partner.tel)
            .Int(0)
            .Int(partner.taxType)
            .Money(net)
            .Money(net)
            .Money(slipTax)
            .Money(net + slipTax)
            .Int(seikyuId);
        if (!header.Step())
            return false;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const Line& l = lines[n];
            line.Int(id).Int(qint64(n) + 1).Text(date).Text(partner.code).Int(1).Int(l.item->taxFlg);
            if (side.sales)
                line.Int(l.item->taxFlg);
            line.Text(l.item->code).Text(l.item->name).Money(l.number).Text(l.item->unit).Money(l.price);
            line.Money(l.amount).Money(l.included);
            if (side.sales) {
                const qint64 costAmount = qint64(l.item->cost) * l.number;
                line.Money(costAmount)
                    .Money(l.item->taxFlg == 2 ? costAmount * 10 / 110 : 0)
                    .Money(l.item->cost);
            }
            line.Text(n == 0 && s % 50 == 0 ? "特価" : "").Money(l.tax);
            if (!line.Step())
                return false;
        }
    }
    return true;
}

// Each closing is paid in full on its collection date (a per-slip invoice a
// month after the slip); the money is booked to the closing of the account
// that covers its date, or stays unbooked after the last closing. Then the
// closings are written: the older ones settled, the recent ones open.
bool FillMoney(sqlite3* db, Random& random, const TradeSide& side, const std::vector<Partner>& partners,
               Closings& closings)
{
    struct Money {
        QDate date;
        int partner;
        qint64 amount, seikyuId;
    };
    std::vector<Money> money;
    const std::size_t billed = closings.Count(); // closings made below bill nothing
    for (std::size_t i = 0; i < billed; ++i) {
        const Closings::Closing c = closings.At(qint64(i) + 1);
        const Partner& partner = partners[std::size_t(c.partner)];
        const QDate paid = c.perSlip ? c.closeDate.addDays(30)
                                     : CollectDateOf(c.closeDate, partner.collectCycle, partner.collectDay);
        if (c.total == 0 || paid > kLastDay)
            continue;
        money.push_back({paid, c.partner, c.total, closings.Account(partners, c.partner, paid)});
    }
    std::stable_sort(money.begin(), money.end(),
                     [](const Money& a, const Money& b) { return a.date < b.date; });

    Insert header(db, side.money,
                  {"ID", "No", "Date", side.code, "Amount", "MyPerson", "SeikyuID", "CloseID"});
    Insert line(db, side.moneyLines, {"HeaderID", "LineNo", "Code", "Amount", "Contents"});
    for (std::size_t i = 0; i < money.size(); ++i) {
        const Money& m = money[i];
        const Partner& partner = partners[std::size_t(m.partner)];
        const qint64 id = qint64(i) + 1;
        // Now and then a small discount is taken off the transfer.
        const qint64 discount =
            random.Between(1, 20) == 1 ? qMin<qint64>(m.amount, random.Between(1, 50) * 10) : 0;
        if (!header.Int(id)
                 .Text(Format("%08d", int(id)))
                 .Text(IsoDate(m.date))
                 .Text(partner.code)
                 .Money(m.amount)
                 .Text(partner.person)
                 .Int(m.seikyuId)
                 .Int(0)
                 .Step() ||
            !line.Int(id).Int(1).Text("振込").Money(m.amount - discount).Text("").Step() ||
            (discount != 0 && !line.Int(id).Int(2).Text("値引き").Money(discount).Text("端数値引き").Step()))
            return false;
    }

    Insert closing(
        db, side.closing,
        {"ID", "No", "Date", side.code, "CloseDate", "CollectDate", "Status", "TaxRate", "TudoFlg"});
    for (std::size_t i = 0; i < closings.Count(); ++i) {
        const Closings::Closing& c = closings.At(qint64(i) + 1);
        const Partner& partner = partners[std::size_t(c.partner)];
        const std::string closeDate = IsoDate(c.closeDate);
        if (!closing.Int(qint64(i) + 1)
                 .Text(Format("%08d", int(i) + 1))
                 .Text(closeDate)
                 .Text(partner.code)
                 .Text(closeDate)
                 .Text(IsoDate(c.perSlip
                                   ? c.closeDate.addDays(30)
                                   : CollectDateOf(c.closeDate, partner.collectCycle, partner.collectDay)))
                 .Int(c.closeDate < kOpenFrom ? 1 : 0)
                 .Money(10)
                 .Int(c.perSlip ? 0 : 1)
                 .Step())
            return false;
    }
    return true;
}

// Stock taken in and out by hand (Type 1 in, 0 out, 3 a correction in),
// dated over the two years in the order entered.
bool FillStockChanges(sqlite3* db, Random& random, int count, const std::vector<Item>& items)
{
    Insert insert(db, "StockChange",
                  {"No", "Date", "ItemCode", "ItemName", "Type", "InNumber", "OutNumber", "Memo"});
    const int days = int(kFirstDay.daysTo(kLastDay)) + 1;
    for (int i = 0; i < count; ++i) {
        const Item& item = items[std::size_t(random.Skewed(int(items.size())))];
        const int type = random.Pick({1, 1, 0, 0, 3});
        const int number = random.Between(1, 30);
        if (!insert.Text(Format("%08d", i + 1))
                 .Text(IsoDate(kFirstDay.addDays(qint64(i) * days / count)))
                 .Text(item.code)
                 .Text(item.name)
                 .Int(type)
                 .Money(type == 0 ? 0 : number)
                 .Money(type == 0 ? number : 0)
                 .Text(type == 3 ? "棚卸差異" : "")
                 .Step())
            return false;
    }
    return true;
}

bool FillTrade(sqlite3* db, Random& random, const TradeSide& side, int slips, int lines,
               const std::vector<Partner>& partners, const std::vector<Item>& items)
{
    Closings closings;
    return FillSlips(db, random, side, slips, lines, partners, items, closings) &&
           FillMoney(db, random, side, partners, closings);
}

int Exec(sqlite3* db, const std::string& sql)
{
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// The indexes of the filled tables: dropped before the rows go in and made
// again afterwards, which is several times faster than keeping them up to date.
std::vector<std::string> DropIndexes(sqlite3* db, int& rc)
{
    std::vector<std::pair<std::string, std::string>> found;
    sqlite3_stmt* statement = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT name, sql FROM sqlite_master WHERE type='index' AND sql IS NOT NULL",
                            -1, &statement, nullptr);
    while (rc == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        found.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                           reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
    sqlite3_finalize(statement);
    std::vector<std::string> create;
    for (const auto& [name, sql] : found) {
        if (rc == SQLITE_OK)
            rc = Exec(db, "DROP INDEX \"" + name + '"');
        create.push_back(sql);
    }
    return create;
}

} // namespace

bool CDbGenerator::Generate(const QString& folder, const Sizes& sizes, QString& err)
{
    if (sizes.customers < 1 || sizes.items < 1 || sizes.slips < 0 || sizes.lines < sizes.slips ||
        (sizes.slips == 0 && sizes.lines > 0)) {
        err = QStringLiteral("Wrong sizes: at least one customer and item, and one line or more per slip.");
        return false;
    }
    if (sizes.years < 1) {
        err = QStringLiteral("Wrong sizes: at least one business year.");
        return false;
    }
    kFirstDay = kLastDay.addDays(1).addYears(-sizes.years);
    if (!QDir().mkpath(folder)) {
        err = QStringLiteral("Cannot make the folder %1.").arg(folder);
        return false;
    }
    const QString path = CMakeMsgID::DatabasePath(folder);
    if (CMakeMsgID::CreateDatabase(path, QDateTime(QDate(2024, 4, 1), QTime(9, 0)), err) != CMakeMsgID::kOk)
        return false;

    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    // A half-written file is thrown away anyway, so no journal and no syncs.
    if (rc == SQLITE_OK)
        rc = Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144; "
                      "PRAGMA temp_store=MEMORY; BEGIN");
    std::vector<std::string> indexes;
    if (rc == SQLITE_OK)
        indexes = DropIndexes(db, rc);
    if (rc == SQLITE_OK) {
        Random random(20240401);
        std::vector<Partner> customers, suppliers;
        std::vector<Item> items;
        // A supplier for every five customers, buying a quarter of what is sold.
        if (!FillCustomers(db, random, sizes.customers, customers) ||
            !FillSuppliers(db, random, qMax(1, sizes.customers / 5), suppliers) ||
            !FillItems(db, random, sizes.items, items) || !FillBank(db) ||
            !FillTrade(db, random, kSalesSide, sizes.slips, sizes.lines, customers, items) ||
            !FillTrade(db, random, kPurchaseSide, sizes.slips / 4, qMax(sizes.slips / 4, sizes.lines / 4),
                       suppliers, items) ||
            !FillStockChanges(db, random, sizes.slips / 10, items))
            rc = qMax(sqlite3_errcode(db), int(SQLITE_ERROR));
    }
    for (const std::string& sql : indexes) {
        if (rc == SQLITE_OK)
            rc = Exec(db, sql);
    }
    if (rc == SQLITE_OK)
        rc = Exec(db, "COMMIT; PRAGMA journal_mode=DELETE");
    if (rc != SQLITE_OK)
        err = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK)
        QFile::remove(path);
    return rc == SQLITE_OK;
}

QString CDbGenerator::Cached(const QString& cacheRoot, const Sizes& sizes, QString& err)
{
    // The key covers the sizes, the generator and the schema the file was made with.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(kGeneratorVersion));
    for (const QString& statement : Schema::CreateStatements(QString()))
        hash.addData(statement.toUtf8());
    const QString name = QStringLiteral("trade-c%1-i%2-s%3-l%4-%5")
                             .arg(sizes.customers)
                             .arg(sizes.items)
                             .arg(sizes.slips)
                             .arg(sizes.lines)
                             .arg(QString::fromLatin1(hash.result().toHex().left(12))) +
                         (sizes.years == 2 ? QString() : QStringLiteral("-y%1").arg(sizes.years));
    const QString folder = QDir(cacheRoot).filePath(name);
    if (QFileInfo(CMakeMsgID::DatabasePath(folder)).isFile())
        return folder;
    // Made beside the final place and renamed when complete, so an
    // interrupted run never leaves a half-filled file to be reused.
    const QString partial = folder + QStringLiteral(".part");
    QDir(partial).removeRecursively();
    if (!Generate(partial, sizes, err))
        return {};
    if (!QDir().rename(partial, folder)) {
        err = QStringLiteral("Cannot rename %1 to %2.").arg(partial, folder);
        return {};
    }
    return folder;
}
