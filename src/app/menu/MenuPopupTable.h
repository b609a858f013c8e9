#pragma once

#include <QList>
#include <QSize>
#include <QStringView>

// The menu screen's 30 popup menus. Popups 0-13 belong to the business
// buttons (商品, 得意先, 仕入先, 見積, 売上, 注文, 仕入, 請求・入金,
// 得意先元帳, 支払・出金, 仕入先元帳, 売上分析, 仕入分析, 在庫), 14-24 are
// their submenus, 25-29 belong to the bottom buttons (データベース, 設定,
// フォーム, ツール, ヘルプ).
namespace MenuPopup
{

constexpr int kCount = 30;
constexpr int kOnlineServices = 24;

// One entry: a command, or a submenu when `subPopup` is not -1 (then `id`
// is 0).
struct SEntry {
    int id;
    QStringView text;
    int subPopup;
};

const QList<SEntry>& Entries(int popup);

// The popups in the order they are built: each submenu just before the
// entry that holds it.
QList<int> BuildOrder();

// Which popup a button opens; -1 when none. Page 0 is the sales side,
// page 1 the purchase side.
int FilePopup(int page, int button);
int BottomPopup(int button);

// True when a command entry is drawn in the blue look of the bottom
// buttons' popups (else orange).
bool IsBottomMenuItem(int id);
// The same for any entry: a submenu entry is blue when it opens the online
// services.
bool IsBottomEntry(const SEntry& entry);

// The size of an entry: blue entries are 6 px per CP932 byte of their text
// and at least 140 wide, `menuHeight` + 6 high; orange ones 7 px per byte,
// at least 100 wide, `menuHeight` + 10 high.
QSize MeasureEntry(const QString& text, bool bottom, int menuHeight);

} // namespace MenuPopup
