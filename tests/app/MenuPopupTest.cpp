#include "app/MainFrame.h"
#include "app/menu/MenuPopupTable.h"
#include "app/menu/MenuPopups.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <gtest/gtest.h>

#include <set>

namespace
{

// The popups as the menu screen fixes them, one line per popup: "id text"
// per command, "> text = popup" per submenu, entries separated by " | ".
const char* const kExpected[MenuPopup::kCount] = {
    "32771 新規登録 | 32772 一覧（修正・削除・印刷） | 32773 抽出",
    "32774 新規登録 | 32775 一覧（修正・削除・印刷） | 32776 抽出",
    "32777 新規登録 | 32778 一覧（修正・削除・印刷） | 32779 抽出",
    "32795 新規作成 | > 一覧 = 14 | 32797 伝票の抽出",
    "32798 新規作成 | > 一覧 = 15 | 32800 伝票の抽出",
    "32801 新規作成 | > 一覧 = 16 | 32803 伝票の抽出",
    "32804 新規作成 | > 一覧 = 17 | 32806 伝票の抽出",
    "32807 締め請求書の作成 | 32809 請求済み一覧 | 32926 入金予定表 | > 入金 = 18",
    "32828 得意先元帳 | 32834 売掛残高一覧",
    "32811 支払の締切 | 32987 支払予定表 | 32813 支払一覧 | 32812 出金処理 | > 出金一覧 = 19",
    "32830 仕入先元帳 | 32829 買掛残高一覧",
    "> 売上集計表 = 20 | > 売上推移表 = 21 | 32840 売上総括表",
    "> 仕入集計表 = 22 | > 仕入推移表 = 23 | 32841 仕入総括表",
    "32821 入出庫入力 | 32822 入出庫修正 | 32823 入出庫一覧 | 32824 在庫一覧(棚卸) | 32825 在庫推移表",
    "32796 一覧（修正・削除・印刷） | 32826 見積明細一覧",
    "32799 一覧（修正・削除・印刷） | 32815 売上明細一覧",
    "32802 一覧（修正・削除・印刷） | 32827 注文明細表",
    "32805 一覧（修正・削除・印刷） | 32818 仕入明細表",
    "32808 入金処理 | 32958 一覧（修正・削除・印刷） | 32810 入金明細一覧",
    "32838 出金伝票一覧（修正・削除・印刷） | 32988 出金明細一覧",
    "32960 得意先別 | 32961 商品別 | 32962 担当者別 | 32963 期間別",
    "32968 得意先別 | 32969 商品別 | 32970 担当者別",
    "32971 仕入先別 | 32972 商品別 | 32973 担当者別 | 33007 期間別",
    "32974 仕入先別 | 32975 商品別 | 32976 担当者別",
    "1424 弊社ソフトウェアページへ | 1425 オンラインショップ「Lindqvar」",
    "32783 データベースの追加 | 32831 使用中のデータベースのバックアップ | 32832 "
    "使用中のデータベースへの復元 | "
    "32833 データベースの最適化 | 32789 データベースの繰越処理 | 32835 パスワードの設定・解除",
    "32780 自社情報の設定 | 32788 販売条件の設定 | 32781 担当者の設定 | 32836 入金摘要内容の設定 | "
    "32782 集計用の分類設定 | 32837 支払手数料の設定 | 33020 環境設定",
    "32994 ﾌｫｰﾑの作成・管理 | 32995 ｵﾘｼﾞﾅﾙﾌｫｰﾑのﾊﾞｯｸｱｯﾌﾟ | 32996 ｵﾘｼﾞﾅﾙﾌｫｰﾑの復元",
    "32790 社印・印鑑画像作成 | 32791 定型文の登録 | 32792 電卓 | 32793 電話帳・郵便番号検索 | "
    "32794 電話帳追加ﾃﾞｰﾀのﾊﾞｯｸｱｯﾌﾟ | 32839 電話帳追加ﾃﾞｰﾀの復元",
    "57667 目次 ｷｰﾜｰﾄﾞ検索 | 1422 サポート案内 | 1423 Ｑ＆Ａ集 | 33049 用紙問合せ先 | > オンラインサービス = "
    "24 | "
    "57664 バージョン情報",
};

QString Describe(const QList<MenuPopup::SEntry>& entries)
{
    QStringList parts;
    for (const MenuPopup::SEntry& e : entries) {
        parts << (e.subPopup >= 0 ? QStringLiteral("> %1 = %2").arg(e.text).arg(e.subPopup)
                                  : QStringLiteral("%1 %2").arg(e.id).arg(e.text));
    }
    return parts.join(QStringLiteral(" | "));
}

// The same listing read back from the frame's menus.
QString Describe(const CMainFrame& frame, QMenu* menu)
{
    QStringList parts;
    for (const QAction* action : menu->actions()) {
        if (!action->menu()) {
            parts << QStringLiteral("%1 %2").arg(action->data().toInt()).arg(action->text());
            continue;
        }
        int number = -1;
        for (int n = 0; n < MenuPopup::kCount; ++n) {
            if (MenuScreenPopup(frame, n) == action->menu())
                number = n;
        }
        parts << QStringLiteral("> %1 = %2").arg(action->text()).arg(number);
    }
    return parts.join(QStringLiteral(" | "));
}

TEST(MenuPopupTest, TableHoldsEveryPopupAsFixed)
{
    for (int n = 0; n < MenuPopup::kCount; ++n)
        EXPECT_EQ(Describe(MenuPopup::Entries(n)).toStdString(), kExpected[n]) << "popup " << n;
    EXPECT_TRUE(MenuPopup::Entries(30).isEmpty());
    EXPECT_TRUE(MenuPopup::Entries(-1).isEmpty());

    // Each popup once, every submenu before the popup that holds it.
    const QList<int> order = MenuPopup::BuildOrder();
    ASSERT_EQ(order.size(), MenuPopup::kCount);
    EXPECT_EQ(std::set<int>(order.begin(), order.end()).size(), size_t(MenuPopup::kCount));
    for (int n = 0; n < MenuPopup::kCount; ++n) {
        for (const MenuPopup::SEntry& e : MenuPopup::Entries(n)) {
            if (e.subPopup >= 0) {
                EXPECT_LT(order.indexOf(e.subPopup), order.indexOf(n)) << e.subPopup << " in " << n;
            }
        }
    }
}

TEST(MenuPopupTest, ButtonsOpenTheirPopups)
{
    const int page0[] = {0, 1, 3, 4, 7, 8, 11, -1};
    const int page1[] = {0, 2, 5, 6, 9, 10, 12, 13, -1};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(MenuPopup::FilePopup(0, i), page0[i]) << i;
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(MenuPopup::FilePopup(1, i), page1[i]) << i;
    EXPECT_EQ(MenuPopup::FilePopup(0, -1), -1);
    EXPECT_EQ(MenuPopup::FilePopup(2, 0), -1);
    const int bottom[] = {25, 26, 27, 28, 29, -1, -1};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(MenuPopup::BottomPopup(i), bottom[i]) << i;
}

TEST(MenuPopupTest, LookAndSizeOfEntries)
{
    // The bottom buttons' popups and the online services are blue, the
    // business popups orange, entry by entry.
    for (int n = 0; n < MenuPopup::kCount; ++n) {
        for (const MenuPopup::SEntry& e : MenuPopup::Entries(n))
            EXPECT_EQ(MenuPopup::IsBottomEntry(e), n >= 24)
                << "popup " << n << " " << e.text.toString().toStdString();
    }
    // Ranges at their edges, and an id in no popup.
    for (int id : {1422, 1425, 32780, 32783, 32788, 32794, 32831, 32833, 32835, 32837, 32839, 32994, 32996,
                   33020, 33049, 57664, 57667})
        EXPECT_TRUE(MenuPopup::IsBottomMenuItem(id)) << id;
    for (int id :
         {1421, 1426, 32779, 32784, 32787, 32795, 32830, 32834, 32838, 32993, 32997, 33019, 57665, 0})
        EXPECT_FALSE(MenuPopup::IsBottomMenuItem(id)) << id;

    const int h = 20;
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("一覧（修正・削除・印刷）"), false, h), QSize(168, 30));
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("抽出"), false, h), QSize(100, 30));
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("伝票の抽出"), false, h).width(), 100); // 70
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("締め請求書の作成"), false, h).width(), 112);
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("電卓"), true, h), QSize(140, 26));
    // Half-width katakana are one byte each: 19 bytes, 114 px, so 140.
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("ｵﾘｼﾞﾅﾙﾌｫｰﾑのﾊﾞｯｸｱｯﾌﾟ"), true, h).width(), 140);
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("使用中のデータベースのバックアップ"), true, h).width(),
              204);
    EXPECT_EQ(MenuPopup::MeasureEntry(QStringLiteral("オンラインショップ「Lindqvar」"), true, h).width(),
              6 * 30);
}

// Draws one entry of a frame popup through its style.
QImage DrawEntry(QMenu* menu, QAction* action, bool selected, const QSize& size)
{
    QStyleOptionMenuItem option;
    option.initFrom(menu);
    option.text = action->text();
    option.menuItemType = action->menu() ? QStyleOptionMenuItem::SubMenu : QStyleOptionMenuItem::Normal;
    option.rect = QRect(QPoint(0, 0), size);
    option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    menu->style()->drawControl(QStyle::CE_MenuItem, &option, &painter, menu);
    return image;
}

TEST(MenuPopupTest, FrameBuildsOwnerDrawnPopups)
{
    CMainFrame frame;
    ASSERT_EQ(frame.BuildMenuScreenPopups(), 1);
    for (int n = 0; n < MenuPopup::kCount; ++n) {
        QMenu* menu = MenuScreenPopup(frame, n);
        ASSERT_NE(menu, nullptr) << n;
        EXPECT_EQ(Describe(frame, menu).toStdString(), kExpected[n]) << "popup " << n;
    }
    EXPECT_EQ(frame.m_PopupMenu[7], MenuScreenPopup(frame, 7));
    EXPECT_EQ(frame.m_SubPopupMenu[10], MenuScreenPopup(frame, 24));
    EXPECT_EQ(frame.m_BottomPopupMenu[4], MenuScreenPopup(frame, 29));
    EXPECT_EQ(MenuScreenPopup(frame, 30), nullptr);

    // Measured from the text's CP932 length, whatever the font, plus the
    // room the platform adds.
    QMenu* product = MenuScreenPopup(frame, 0);
    QStyleOptionMenuItem option;
    option.initFrom(product);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.text = product->actions()[1]->text();
    const int h = CMenuPopupStyle::MenuBarHeight();
    EXPECT_EQ(product->style()->sizeFromContents(QStyle::CT_MenuItem, &option, QSize(10, 10), product),
              QSize(168 + CMenuPopupStyle::kCheckRoom, h + 10));
    QMenu* tools = MenuScreenPopup(frame, 28);
    option.text = tools->actions()[2]->text(); // 電卓
    EXPECT_EQ(tools->style()->sizeFromContents(QStyle::CT_MenuItem, &option, QSize(10, 10), tools),
              QSize(140 + CMenuPopupStyle::kCheckRoom, h + 6));

    // A 2-pixel frame in the look's colour around a lighter middle; the
    // selected entry is the look's colour throughout.
    const QSize size(170, 30);
    const QImage orange = DrawEntry(product, product->actions()[0], false, size);
    EXPECT_EQ(orange.pixel(2, 15), qRgb(255, 150, 0));
    EXPECT_EQ(orange.pixel(3, 3), qRgb(255, 225, 150));
    EXPECT_EQ(orange.pixel(0, 15), qRgb(0, 0, 0)); // the outer pixel is left alone
    const QImage selected = DrawEntry(product, product->actions()[0], true, size);
    EXPECT_EQ(selected.pixel(3, 3), qRgb(255, 150, 0));
    EXPECT_EQ(selected.pixel(size.width() - 4, 15), qRgb(255, 150, 0));
    // The online services entry of the help popup is blue though it is a submenu.
    QMenu* help = MenuScreenPopup(frame, 29);
    const QImage online = DrawEntry(help, help->actions()[4], false, size);
    EXPECT_EQ(online.pixel(2, 15), qRgb(0, 150, 255));
    EXPECT_EQ(online.pixel(3, 3), qRgb(200, 225, 255));
}

} // namespace
