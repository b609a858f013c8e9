#include "app/menu/MenuPopupTable.h"

#include "platform/text/Cp932.h"

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
    /* 0 商品 */ {Cmd(32771, u"新規登録"), Cmd(32772, u"一覧（修正・削除・印刷）"), Cmd(32773, u"抽出")},
    /* 1 得意先 */ {Cmd(32774, u"新規登録"), Cmd(32775, u"一覧（修正・削除・印刷）"), Cmd(32776, u"抽出")},
    /* 2 仕入先 */ {Cmd(32777, u"新規登録"), Cmd(32778, u"一覧（修正・削除・印刷）"), Cmd(32779, u"抽出")},
    /* 3 見積 */ {Cmd(32795, u"新規作成"), Sub(u"一覧", 14), Cmd(32797, u"伝票の抽出")},
    /* 4 売上 */ {Cmd(32798, u"新規作成"), Sub(u"一覧", 15), Cmd(32800, u"伝票の抽出")},
    /* 5 注文 */ {Cmd(32801, u"新規作成"), Sub(u"一覧", 16), Cmd(32803, u"伝票の抽出")},
    /* 6 仕入 */ {Cmd(32804, u"新規作成"), Sub(u"一覧", 17), Cmd(32806, u"伝票の抽出")},
    /* 7 請求・入金 */
    {Cmd(32807, u"締め請求書の作成"), Cmd(32809, u"請求済み一覧"), Cmd(32926, u"入金予定表"),
     Sub(u"入金", 18)},
    /* 8 得意先元帳 */ {Cmd(32828, u"得意先元帳"), Cmd(32834, u"売掛残高一覧")},
    /* 9 支払・出金 */
    {Cmd(32811, u"支払の締切"), Cmd(32987, u"支払予定表"), Cmd(32813, u"支払一覧"), Cmd(32812, u"出金処理"),
     Sub(u"出金一覧", 19)},
    /* 10 仕入先元帳 */ {Cmd(32830, u"仕入先元帳"), Cmd(32829, u"買掛残高一覧")},
    /* 11 売上分析 */ {Sub(u"売上集計表", 20), Sub(u"売上推移表", 21), Cmd(32840, u"売上総括表")},
    /* 12 仕入分析 */ {Sub(u"仕入集計表", 22), Sub(u"仕入推移表", 23), Cmd(32841, u"仕入総括表")},
    /* 13 在庫 */
    {Cmd(32821, u"入出庫入力"), Cmd(32822, u"入出庫修正"), Cmd(32823, u"入出庫一覧"),
     Cmd(32824, u"在庫一覧(棚卸)"), Cmd(32825, u"在庫推移表")},
    /* 14 */ {Cmd(32796, u"一覧（修正・削除・印刷）"), Cmd(32826, u"見積明細一覧")},
    /* 15 */ {Cmd(32799, u"一覧（修正・削除・印刷）"), Cmd(32815, u"売上明細一覧")},
    /* 16 */ {Cmd(32802, u"一覧（修正・削除・印刷）"), Cmd(32827, u"注文明細表")},
    /* 17 */ {Cmd(32805, u"一覧（修正・削除・印刷）"), Cmd(32818, u"仕入明細表")},
    /* 18 */ {Cmd(32808, u"入金処理"), Cmd(32958, u"一覧（修正・削除・印刷）"), Cmd(32810, u"入金明細一覧")},
    /* 19 */ {Cmd(32838, u"出金伝票一覧（修正・削除・印刷）"), Cmd(32988, u"出金明細一覧")},
    /* 20 */ {Cmd(32960, u"得意先別"), Cmd(32961, u"商品別"), Cmd(32962, u"担当者別"), Cmd(32963, u"期間別")},
    /* 21 */ {Cmd(32968, u"得意先別"), Cmd(32969, u"商品別"), Cmd(32970, u"担当者別")},
    /* 22 */ {Cmd(32971, u"仕入先別"), Cmd(32972, u"商品別"), Cmd(32973, u"担当者別"), Cmd(33007, u"期間別")},
    /* 23 */ {Cmd(32974, u"仕入先別"), Cmd(32975, u"商品別"), Cmd(32976, u"担当者別")},
    /* 24 */ {Cmd(1424, u"弊社ソフトウェアページへ"), Cmd(1425, u"オンラインショップ「Lindqvar」")},
    /* 25 データベース */
    {Cmd(32783, u"データベースの追加"), Cmd(32831, u"使用中のデータベースのバックアップ"),
     Cmd(32832, u"使用中のデータベースへの復元"), Cmd(32833, u"データベースの最適化"),
     Cmd(32789, u"データベースの繰越処理"), Cmd(32835, u"パスワードの設定・解除")},
    /* 26 設定 */
    {Cmd(32780, u"自社情報の設定"), Cmd(32788, u"販売条件の設定"), Cmd(32781, u"担当者の設定"),
     Cmd(32836, u"入金摘要内容の設定"), Cmd(32782, u"集計用の分類設定"), Cmd(32837, u"支払手数料の設定"),
     Cmd(33020, u"環境設定")},
    /* 27 フォーム */
    {Cmd(32994, u"ﾌｫｰﾑの作成・管理"), Cmd(32995, u"ｵﾘｼﾞﾅﾙﾌｫｰﾑのﾊﾞｯｸｱｯﾌﾟ"), Cmd(32996, u"ｵﾘｼﾞﾅﾙﾌｫｰﾑの復元")},
    /* 28 ツール */
    {Cmd(32790, u"社印・印鑑画像作成"), Cmd(32791, u"定型文の登録"), Cmd(32792, u"電卓"),
     Cmd(32793, u"電話帳・郵便番号検索"), Cmd(32794, u"電話帳追加ﾃﾞｰﾀのﾊﾞｯｸｱｯﾌﾟ"),
     Cmd(32839, u"電話帳追加ﾃﾞｰﾀの復元")},
    /* 29 ヘルプ */
    {Cmd(57667, u"目次 ｷｰﾜｰﾄﾞ検索"), Cmd(1422, u"サポート案内"), Cmd(1423, u"Ｑ＆Ａ集"),
     Cmd(33049, u"用紙問合せ先"), Sub(u"オンラインサービス", kOnlineServices), Cmd(57664, u"バージョン情報")},
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
    auto in = [id](int first, int last) { return id >= first && id <= last; };
    return in(1422, 1425) || in(32780, 32783) || in(32788, 32794) || in(32831, 32833) || in(32835, 32837) ||
           id == 32839 || in(32994, 32996) || id == 33020 || id == 33049 || id == 57664 || id == 57667;
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
