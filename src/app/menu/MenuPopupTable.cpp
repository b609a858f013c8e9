#include "app/menu/MenuPopupTable.h"

#include "platform/text/Cp932.h"
#include "resources/CommandIds.h"

#include <algorithm>

namespace MenuPopup
{
namespace
{

SEntry Cmd(int id, QStringView text)
{
    return {id, text, -1};
}

SEntry Sub(QStringView text, int popup)
{
    return {0, text, popup};
}

const QList<SEntry> kPopups[kCount] = {
    /* 0 商品 */ {Cmd(ID_ITEM_NEW, u"新規登録"), Cmd(ID_ITEM_LIST, u"一覧（修正・削除・印刷）"),
                  Cmd(ID_ITEM_EXTRACT, u"抽出")},
    /* 1 得意先 */
    {Cmd(ID_CUSTOMER_NEW, u"新規登録"), Cmd(ID_CUSTOMER_LIST, u"一覧（修正・削除・印刷）"),
     Cmd(ID_CUSTOMER_EXTRACT, u"抽出")},
    /* 2 仕入先 */
    {Cmd(ID_SUPPLIER_NEW, u"新規登録"), Cmd(ID_SUPPLIER_LIST, u"一覧（修正・削除・印刷）"),
     Cmd(ID_SUPPLIER_EXTRACT, u"抽出")},
    /* 3 見積 */
    {Cmd(ID_ESTIMATE_NEW, u"新規作成"), Sub(u"一覧", 14), Cmd(ID_ESTIMATE_EXTRACT, u"伝票の抽出")},
    /* 4 売上 */ {Cmd(ID_SALES_NEW, u"新規作成"), Sub(u"一覧", 15), Cmd(ID_SALES_EXTRACT, u"伝票の抽出")},
    /* 5 注文 */ {Cmd(ID_ORDER_NEW, u"新規作成"), Sub(u"一覧", 16), Cmd(ID_ORDER_EXTRACT, u"伝票の抽出")},
    /* 6 仕入 */ {Cmd(ID_STOCK_NEW, u"新規作成"), Sub(u"一覧", 17), Cmd(ID_STOCK_EXTRACT, u"伝票の抽出")},
    /* 7 請求・入金 */
    {Cmd(ID_CLOSE_INVOICE, u"締め請求書の作成"), Cmd(ID_BILLED_LIST, u"請求済み一覧"),
     Cmd(ID_RECEIPT_SCHEDULE, u"入金予定表"), Sub(u"入金", 18)},
    /* 8 得意先元帳 */ {Cmd(ID_CUSTOMER_LEDGER, u"得意先元帳"), Cmd(ID_RECEIVABLE_BALANCES, u"売掛残高一覧")},
    /* 9 支払・出金 */
    {Cmd(ID_CLOSE_PAYMENT, u"支払の締切"), Cmd(ID_PAYMENT_SCHEDULE, u"支払予定表"),
     Cmd(ID_PAID_LIST, u"支払一覧"), Cmd(ID_PAYMENT_NEW, u"出金処理"), Sub(u"出金一覧", 19)},
    /* 10 仕入先元帳 */ {Cmd(ID_SUPPLIER_LEDGER, u"仕入先元帳"), Cmd(ID_PAYABLE_BALANCES, u"買掛残高一覧")},
    /* 11 売上分析 */
    {Sub(u"売上集計表", 20), Sub(u"売上推移表", 21), Cmd(ID_SALES_SUMMARY_SHEET, u"売上総括表")},
    /* 12 仕入分析 */
    {Sub(u"仕入集計表", 22), Sub(u"仕入推移表", 23), Cmd(ID_PURCHASE_SUMMARY_SHEET, u"仕入総括表")},
    /* 13 在庫 */
    {Cmd(ID_STOCK_CHANGE_NEW, u"入出庫入力"), Cmd(ID_STOCK_MOVE_LIST, u"入出庫修正"),
     Cmd(ID_STOCK_INOUT_LIST, u"入出庫一覧"), Cmd(ID_STOCK_TAKING_LIST, u"在庫一覧(棚卸)"),
     Cmd(ID_STOCK_TREND, u"在庫推移表")},
    /* 14 */ {Cmd(ID_ESTIMATE_LIST, u"一覧（修正・削除・印刷）"), Cmd(ID_ESTIMATE_DETAIL, u"見積明細一覧")},
    /* 15 */ {Cmd(ID_SALES_LIST, u"一覧（修正・削除・印刷）"), Cmd(ID_SALES_DETAIL, u"売上明細一覧")},
    /* 16 */ {Cmd(ID_ORDER_LIST, u"一覧（修正・削除・印刷）"), Cmd(ID_ORDER_DETAIL, u"注文明細表")},
    /* 17 */ {Cmd(ID_STOCK_LIST, u"一覧（修正・削除・印刷）"), Cmd(ID_PURCHASE_DETAIL, u"仕入明細表")},
    /* 18 */
    {Cmd(ID_RECEIPT_NEW, u"入金処理"), Cmd(ID_RECEIPT_LIST, u"一覧（修正・削除・印刷）"),
     Cmd(ID_RECEIPT_DETAIL, u"入金明細一覧")},
    /* 19 */
    {Cmd(ID_PAYMENT_LIST, u"出金伝票一覧（修正・削除・印刷）"), Cmd(ID_PAYMENT_DETAIL, u"出金明細一覧")},
    /* 20 */
    {Cmd(ID_CUSTOMER_SALES_TOTALS, u"得意先別"), Cmd(ID_PRODUCT_SALES_TOTALS, u"商品別"),
     Cmd(ID_STAFF_SALES_TOTALS, u"担当者別"), Cmd(ID_PERIOD_SALES_TOTALS, u"期間別")},
    /* 21 */
    {Cmd(ID_CUSTOMER_SALES_TREND, u"得意先別"), Cmd(ID_PRODUCT_SALES_TREND, u"商品別"),
     Cmd(ID_STAFF_SALES_TREND, u"担当者別")},
    /* 22 */
    {Cmd(ID_SUPPLIER_PURCHASE_TOTALS, u"仕入先別"), Cmd(ID_PRODUCT_PURCHASE_TOTALS, u"商品別"),
     Cmd(ID_STAFF_PURCHASE_TOTALS, u"担当者別"), Cmd(ID_PERIOD_PURCHASE_TOTALS, u"期間別")},
    /* 23 */
    {Cmd(ID_SUPPLIER_PURCHASE_TREND, u"仕入先別"), Cmd(ID_PRODUCT_PURCHASE_TREND, u"商品別"),
     Cmd(ID_STAFF_PURCHASE_TREND, u"担当者別")},
    /* 24 */
    {Cmd(ID_WEB_SOFTWARE, u"弊社ソフトウェアページへ"), Cmd(ID_WEB_SHOP, u"オンラインショップ「Lindqvar」")},
    /* 25 データベース */
    {Cmd(ID_DB_CHANGE, u"データベースの追加"), Cmd(ID_DB_BACKUP, u"使用中のデータベースのバックアップ"),
     Cmd(ID_DB_RESTORE, u"使用中のデータベースへの復元"), Cmd(ID_DB_COMPACT, u"データベースの最適化"),
     Cmd(ID_DB_CARRY_FORWARD, u"データベースの繰越処理"), Cmd(ID_PASSWORD, u"パスワードの設定・解除")},
    /* 26 設定 */
    {Cmd(ID_COMPANY_INFO, u"自社情報の設定"), Cmd(ID_SALES_CONDITION, u"販売条件の設定"),
     Cmd(ID_STAFF_SETTING, u"担当者の設定"), Cmd(ID_RECEIPT_TEXT_SETTING, u"入金摘要内容の設定"),
     Cmd(ID_CLASS_SETTING, u"集計用の分類設定"), Cmd(ID_TRANSFER_FEE, u"支払手数料の設定"),
     Cmd(ID_ENV_SETTINGS, u"環境設定")},
    /* 27 フォーム */
    {Cmd(ID_FORM_CTRL, u"ﾌｫｰﾑの作成・管理"), Cmd(ID_FORM_BACKUP, u"ｵﾘｼﾞﾅﾙﾌｫｰﾑのﾊﾞｯｸｱｯﾌﾟ"),
     Cmd(ID_FORM_RESTORE, u"ｵﾘｼﾞﾅﾙﾌｫｰﾑの復元")},
    /* 28 ツール */
    {Cmd(ID_TOOL_SEAL, u"社印・印鑑画像作成"), Cmd(ID_TOOL_PHRASES, u"定型文の登録"),
     Cmd(ID_TOOL_CALCULATOR, u"電卓"), Cmd(ID_TOOL_PHONEBOOK, u"電話帳・郵便番号検索"),
     Cmd(ID_TOOL_PHONEBOOK_BACKUP, u"電話帳追加ﾃﾞｰﾀのﾊﾞｯｸｱｯﾌﾟ"),
     Cmd(ID_TOOL_PHONEBOOK_RESTORE, u"電話帳追加ﾃﾞｰﾀの復元")},
    /* 29 ヘルプ */
    {Cmd(ID_HELP_FINDER, u"目次 ｷｰﾜｰﾄﾞ検索"), Cmd(ID_HELP_SUPPORT, u"サポート案内"),
     Cmd(ID_HELP_QA, u"Ｑ＆Ａ集"), Cmd(ID_HELP_PAPER, u"用紙問合せ先"),
     Sub(u"オンラインサービス", kOnlineServices), Cmd(ID_APP_ABOUT, u"バージョン情報")},
};

void AddWithSubmenus(int popup, QList<int>& order)
{
    for (const SEntry& entry : kPopups[popup]) {
        if (entry.subPopup >= 0)
            AddWithSubmenus(entry.subPopup, order);
    }
    order.append(popup);
}

} // namespace

const QList<SEntry>& Entries(int popup)
{
    static const QList<SEntry> none;
    return popup >= 0 && popup < kCount ? kPopups[popup] : none;
}

QList<int> BuildOrder()
{
    QList<int> order;
    for (int popup : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 25, 26, 27, 28, 29})
        AddWithSubmenus(popup, order);
    return order;
}

int FilePopup(int page, int button)
{
    static constexpr int kPage0[7] = {0, 1, 3, 4, 7, 8, 11};
    static constexpr int kPage1[8] = {0, 2, 5, 6, 9, 10, 12, 13};
    if (page == 0)
        return button >= 0 && button < 7 ? kPage0[button] : -1;
    if (page == 1)
        return button >= 0 && button < 8 ? kPage1[button] : -1;
    return -1;
}

int BottomPopup(int button)
{
    return button >= 0 && button < 5 ? 25 + button : -1;
}

bool IsBottomMenuItem(int id)
{
    // The commands of the bottom buttons' popups and of the online services.
    for (int popup = kOnlineServices; popup < kCount; ++popup) {
        if (std::any_of(kPopups[popup].cbegin(), kPopups[popup].cend(),
                        [id](const SEntry& entry) { return entry.subPopup < 0 && entry.id == id; }))
            return true;
    }
    return false;
}

bool IsBottomEntry(const SEntry& entry)
{
    return entry.subPopup >= 0 ? entry.subPopup == kOnlineServices : IsBottomMenuItem(entry.id);
}

QSize MeasureEntry(const QString& text, bool bottom, int menuHeight)
{
    const int bytes = Cp932::ByteLength(text);
    if (bottom)
        return {std::max(6 * bytes, 140), menuHeight + 6};
    return {std::max(7 * bytes, 100), menuHeight + 10};
}

} // namespace MenuPopup
