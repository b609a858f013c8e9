#pragma once

#include <iterator>

// The columns the program ships for its seven lists, from which the
// installation's "QXColSet.dat" is built. Texts are UTF-8; a null caption
// stands for the classification title of the set's ledger ("Class1".."Class5").
struct CQXColDef {
    int nSetID;
    const char* pszField;
    const char* pszCaption;
    int nWidth;
    int nAlign;
    int nShown;
};

enum QXColAlign : int { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2 };
enum QXColSetID : int {
    kColSetItem = 0,
    kColSetCustomer = 1,
    kColSetSupplier = 2,
    kColSetQuote = 3,
    kColSetSales = 4,
    kColSetOrder = 5,
    kColSetPurchase = 6,
    kColSetCount = 7
};

inline constexpr const char* kFieldCompanySectionName = "Company_Section_Name";
inline constexpr const char* kFieldPhoenicCompanyPerson = "PhoenicCompany_PhoenicPerson";

// Product columns the factory file holds but no list or dialog ever offers.
inline constexpr const char* kHiddenItemFields[] = {"StockType", "StockNumber", "StockJustNumber", "SetItem",
                                                    "SupplierCode"};

inline constexpr CQXColDef kFactoryColumns[] = {
    // products
    {0, "ItemType", "商品区分", 0, kAlignLeft, 0},
    {0, "ItemCode", "品番", 0, kAlignLeft, 1},
    {0, "ItemName", "品名", 250, kAlignLeft, 1},
    {0, "Phoenic", "フリガナ", 150, kAlignLeft, 1},
    {0, "Unit", "単位", 75, kAlignLeft, 1},
    {0, "TaxFlg", "売価課税区分", 75, kAlignLeft, 1},
    {0, "Price", "売価", 0, kAlignRight, 1},
    {0, "TaxFlg2", "原価課税区分", 75, kAlignLeft, 1},
    {0, "Cost", "原価", 0, kAlignRight, 1},
    {0, "FixPrice", "統一伝票用単価", 0, kAlignRight, 1},
    {0, "StockType", "在庫管理", 75, kAlignLeft, 1},
    {0, "StockNumber", "繰越在庫数", 0, kAlignRight, 1},
    {0, "StockJustNumber", "適正在庫数", 0, kAlignRight, 1},
    {0, "SetItem", "組立商品", 75, kAlignLeft, 0},
    {0, "SupplierCode", "主な仕入先", 0, kAlignLeft, 1},
    {0, "Remarks", "備考", 0, kAlignLeft, 1},
    {0, "JANCode", "JANコード", 0, kAlignLeft, 1},
    {0, "Class1", nullptr, 0, kAlignLeft, 1},
    {0, "Class2", nullptr, 0, kAlignLeft, 1},
    {0, "Class3", nullptr, 0, kAlignLeft, 1},
    {0, "Class4", nullptr, 0, kAlignLeft, 1},
    {0, "Class5", nullptr, 0, kAlignLeft, 1},
    {0, "StartDate", "登録日", 0, kAlignRight, 1},
    {0, "LastUpdate", "更新日", 0, kAlignRight, 1},
    // customers
    {1, "CustomerCode", "コード", 0, kAlignLeft, 1},
    {1, "Company", "会社名", 0, kAlignLeft, 0},
    {1, "Section", "部署名", 0, kAlignLeft, 0},
    {1, "Keisho", "敬称１", 75, kAlignLeft, 0},
    {1, "Name", "名前", 0, kAlignLeft, 0},
    {1, "Keisho2", "敬称２", 75, kAlignLeft, 0},
    {1, "Company_Section_Name", "得意先名", 250, kAlignLeft, 1},
    {1, "PhoenicCompany", "会社フリガナ", 0, kAlignLeft, 0},
    {1, "PhoenicPerson", "名前フリガナ", 0, kAlignLeft, 0},
    {1, "PhoenicCompany_PhoenicPerson", "フリガナ", 150, kAlignLeft, 1},
    {1, "Zip", "郵便番号", 0, kAlignLeft, 1},
    {1, "Address", "住所", 250, kAlignLeft, 1},
    {1, "TEL", "TEL", 0, kAlignLeft, 1},
    {1, "FAX", "FAX", 0, kAlignLeft, 1},
    {1, "E-mail", "E-mail", 0, kAlignLeft, 1},
    {1, "Day", "締日", 75, kAlignLeft, 1},
    {1, "TaxType", "税転嫁", 0, kAlignLeft, 1},
    {1, "TaxRoundType", "税端数", 0, kAlignLeft, 1},
    {1, "RoundType", "金額端数", 0, kAlignLeft, 1},
    {1, "Percent", "掛率", 75, kAlignRight, 1},
    {1, "CollectCycle", "入金サイクル", 0, kAlignLeft, 1},
    {1, "CollectDay", "入金日", 0, kAlignLeft, 1},
    {1, "Collect", "導入時売掛残", 0, kAlignRight, 1},
    {1, "CollectType", "入金方法", 0, kAlignLeft, 1},
    {1, "Ceiling", "与信限度額", 0, kAlignRight, 1},
    {1, "Class1", nullptr, 0, kAlignLeft, 1},
    {1, "Class2", nullptr, 0, kAlignLeft, 1},
    {1, "Class3", nullptr, 0, kAlignLeft, 1},
    {1, "Class4", nullptr, 0, kAlignLeft, 1},
    {1, "Class5", nullptr, 0, kAlignLeft, 1},
    {1, "OnesCode", "相手先指定コード", 0, kAlignLeft, 1},
    {1, "MyPerson", "自社担当者", 0, kAlignLeft, 1},
    {1, "Memo", "メモ", 0, kAlignLeft, 1},
    {1, "StartDate", "登録日", 0, kAlignRight, 1},
    {1, "LastUpdate", "更新日", 0, kAlignRight, 1},
    // suppliers
    {2, "SupplierCode", "コード", 0, kAlignLeft, 1},
    {2, "Company", "会社名", 0, kAlignLeft, 0},
    {2, "Section", "部署名", 0, kAlignLeft, 0},
    {2, "Keisho", "敬称１", 75, kAlignLeft, 0},
    {2, "Name", "名前", 0, kAlignLeft, 0},
    {2, "Keisho2", "敬称２", 75, kAlignLeft, 0},
    {2, "Company_Section_Name", "仕入先名", 250, kAlignLeft, 1},
    {2, "PhoenicCompany", "会社フリガナ", 0, kAlignLeft, 0},
    {2, "PhoenicPerson", "名前フリガナ", 0, kAlignLeft, 0},
    {2, "PhoenicCompany_PhoenicPerson", "フリガナ", 150, kAlignLeft, 1},
    {2, "Zip", "郵便番号", 0, kAlignLeft, 1},
    {2, "Address", "住所", 250, kAlignLeft, 1},
    {2, "TEL", "TEL", 0, kAlignLeft, 1},
    {2, "FAX", "FAX", 0, kAlignLeft, 1},
    {2, "E-mail", "E-mail", 0, kAlignLeft, 1},
    {2, "Day", "締日", 75, kAlignLeft, 1},
    {2, "TaxType", "税転嫁", 0, kAlignLeft, 1},
    {2, "TaxRoundType", "税端数", 0, kAlignLeft, 1},
    {2, "RoundType", "金額端数", 0, kAlignLeft, 1},
    {2, "CollectCycle", "支払サイクル", 0, kAlignLeft, 1},
    {2, "CollectDay", "支払日", 0, kAlignLeft, 1},
    {2, "Collect", "導入時買掛残", 0, kAlignRight, 1},
    {2, "CollectType", "支払方法", 0, kAlignLeft, 1},
    {2, "Bank", "銀行名", 0, kAlignLeft, 0},
    {2, "BankCode", "銀行コード", 0, kAlignLeft, 0},
    {2, "BankBranch", "支店名", 0, kAlignLeft, 0},
    {2, "BankBranchCode", "支店コード", 0, kAlignLeft, 0},
    {2, "BankAccountType", "種類", 75, kAlignLeft, 0},
    {2, "BankNumber", "口座番号", 0, kAlignLeft, 0},
    {2, "BankOnesName", "名義", 0, kAlignLeft, 0},
    {2, "BankOnesPhoenic", "名義フリガナ", 0, kAlignLeft, 0},
    {2, "BankFee", "手数料", 0, kAlignLeft, 0},
    {2, "BankType", "銀行タイプ", 0, kAlignLeft, 0},
    {2, "PaymentType", "銀行支払タイプ", 0, kAlignLeft, 0},
    {2, "Class1", nullptr, 0, kAlignLeft, 1},
    {2, "Class2", nullptr, 0, kAlignLeft, 1},
    {2, "Class3", nullptr, 0, kAlignLeft, 1},
    {2, "Class4", nullptr, 0, kAlignLeft, 1},
    {2, "Class5", nullptr, 0, kAlignLeft, 1},
    {2, "OnesCode", "相手先指定コード", 0, kAlignLeft, 1},
    {2, "MyPerson", "自社担当者", 0, kAlignLeft, 1},
    {2, "Memo", "メモ", 0, kAlignLeft, 1},
    {2, "StartDate", "登録日", 0, kAlignRight, 1},
    {2, "LastUpdate", "更新日", 0, kAlignRight, 1},
    // quotes
    {3, "Status", "状況", 50, kAlignCentre, 1},
    {3, "Date", "見積日付", 100, kAlignRight, 1},
    {3, "No", "見積番号", 0, kAlignRight, 1},
    {3, "CustomerCode", "コード", 0, kAlignLeft, 1},
    {3, "Company_Section_Name", "得意先名", 250, kAlignLeft, 1},
    {3, "Amount", "金額計", 0, kAlignRight, 1},
    {3, "Tax", "外税額", 0, kAlignRight, 1},
    {3, "Total", "総額", 0, kAlignRight, 1},
    {3, "Title", "件名", 0, kAlignLeft, 1},
    {3, "MyPerson", "自社担当者", 0, kAlignLeft, 1},
    // sales
    {4, "SeikyuID", "請求", 50, kAlignCentre, 1},
    {4, "Date", "売上日付", 100, kAlignRight, 1},
    {4, "No", "売上番号", 0, kAlignRight, 1},
    {4, "TudoFlg", "請求形態", 0, kAlignLeft, 1},
    {4, "TaxType", "税転嫁", 0, kAlignLeft, 1},
    {4, "CustomerCode", "コード", 0, kAlignLeft, 1},
    {4, "Company_Section_Name", "得意先名", 250, kAlignLeft, 1},
    {4, "Amount", "金額計", 0, kAlignRight, 1},
    {4, "Tax", "外税額", 0, kAlignRight, 1},
    {4, "Total", "総額", 0, kAlignRight, 1},
    {4, "MyPerson", "自社担当者", 0, kAlignLeft, 1},
    // orders ("LimitDate" is the field name the file has always carried; the
    // order list maps it to its delivery-date column)
    {5, "Status", "納品", 50, kAlignCentre, 1},
    {5, "Date", "注文日付", 100, kAlignRight, 1},
    {5, "No", "注文番号", 0, kAlignRight, 1},
    {5, "SupplierCode", "コード", 0, kAlignLeft, 1},
    {5, "Company_Section_Name", "仕入先名", 250, kAlignLeft, 1},
    {5, "Total", "仕入金額", 0, kAlignRight, 1},
    {5, "LimitDate", "納期", 0, kAlignRight, 1},
    {5, "MyPerson", "自社担当者", 0, kAlignLeft, 1},
    // purchases
    {6, "SeikyuID", "請求", 50, kAlignCentre, 1},
    {6, "Date", "仕入日付", 100, kAlignRight, 1},
    {6, "No", "仕入番号", 0, kAlignRight, 1},
    {6, "TaxType", "税転嫁", 0, kAlignLeft, 1},
    {6, "SupplierCode", "コード", 0, kAlignLeft, 1},
    {6, "Company_Section_Name", "仕入先名", 250, kAlignLeft, 1},
    {6, "Amount", "税抜額", 0, kAlignRight, 1},
    {6, "Tax", "税額", 0, kAlignRight, 1},
    {6, "Total", "総額", 0, kAlignRight, 1},
    {6, "MyPerson", "自社担当者", 0, kAlignLeft, 1},
};

static_assert(std::size(kFactoryColumns) == 142);
