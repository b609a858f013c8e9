#include "resources/Menus.h"

#include "resources/CommandIds.h"

#include <QMap>

#include <utility>

namespace
{

CMenuEntry Popup(const char* text)
{
    return {CMenuEntry::PopupBegin, 0, text};
}
CMenuEntry End()
{
    return {CMenuEntry::PopupEnd, 0, ""};
}
CMenuEntry Item(int id, const char* text)
{
    return {CMenuEntry::Command, id, text};
}
CMenuEntry Separator()
{
    return {CMenuEntry::Separator, 0, ""};
}

// Every list screen's menu bar starts from these five menus; the screens add
// their own commands to their resource's table.
QList<CMenuEntry> ListScreenMenu()
{
    return {
        Popup("ﾌｧｲﾙ(&F)"),
        Item(ID_BACK_TO_MENU, "メニュー画面に戻る"),
        End(),
        Popup("ﾃﾞｰﾀ(&D)"),
        Item(ID_EDIT_FIND, "検索...\tCtrl+F"),
        End(),
        Popup("設定(&S)"),
        Item(ID_ENV_SETTINGS, "環境設定..."),
        End(),
        Popup("ﾂｰﾙ(&T)"),
        Item(ID_TOOL_SEAL, "社印・印鑑画像作成"),
        Item(ID_TOOL_PHRASES, "定型文の登録"),
        Item(ID_TOOL_CALCULATOR, "電卓"),
        Separator(),
        Item(ID_TOOL_PHONEBOOK, "電話帳・郵便番号検索"),
        Item(ID_TOOL_PHONEBOOK_BACKUP, "電話帳バックアップ"),
        Item(ID_TOOL_PHONEBOOK_RESTORE, "電話帳データの復元"),
        End(),
        Popup("ﾍﾙﾌﾟ(&H)"),
        Item(ID_HELP_SUPPORT, "サポート案内(&S)"),
        Item(ID_HELP_QA, "Ｑ＆Ａ集(&Q)"),
        Item(ID_HELP_PAPER, "用紙問合せ先(&M)"),
        Popup("オンラインサービス"),
        Item(ID_WEB_SOFTWARE, "弊社ソフトウェアページへ(&D)"),
        Item(ID_WEB_SHOP, "オンラインショップ「Lindqvar」(&C)"),
        End(),
        Separator(),
        Item(ID_APP_ABOUT, "バージョン情報(&A)"),
        End(),
    };
}

// The master lists' menu bar: the list screens' menus with the master
// commands. The slip command of the partner lists is put above the label
// printing by the list itself, which also names that item by kind.
QList<CMenuEntry> MasterListMenu()
{
    QList<CMenuEntry> entries{
        Popup("ﾌｧｲﾙ(&F)"),
        Item(ID_MASTER_LABEL_PRINT, "宛名印刷..."),
        Separator(),
        Item(ID_MASTER_PRINT, "一覧印刷(&P)..."),
        Item(ID_MASTER_PRINT_PREVIEW, "一覧印刷ﾌﾟﾚﾋﾞｭｰ(&V)"),
        Item(ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀの設定(&R)..."),
        Separator(),
        Item(ID_MASTER_IMPORT, "外部ﾃﾞｰﾀの読み込み..."),
        Item(ID_MASTER_EXPORT, "外部ﾃﾞｰﾀの書き出し..."),
        Popup("フェニモアシリーズデータコンバート"),
        Item(ID_IMPORT_BRENLO, "ブレンロ３・４のデータ読み込み..."),
        Item(ID_IMPORT_CADMIR, "カドミア３のデータ読み込み..."),
        Item(ID_IMPORT_TOSKEL, "トスケル２・３のデータ読み込み..."),
        Item(ID_IMPORT_VELMIRA, "Velmiraのデータ読み込み..."),
        Item(ID_EXPORT_VELMIRA, "Velmiraへの書き出し..."),
        End(),
        Separator(),
        Item(ID_BACK_TO_MENU, "メニュー画面に戻る"),
        End(),
        Popup("ﾃﾞｰﾀ(&D)"),
        Item(ID_MASTER_NEW, "新規作成..."),
        Item(ID_MASTER_MODIFY, "修正..."),
        Item(ID_MASTER_DELETE, "削除\tDel"),
        Separator(),
        Item(ID_EDIT_FIND, "検索...\tCtrl+F"),
        Item(ID_MASTER_EXTRACT, "抽出..."),
        Item(ID_MASTER_SHOW_ALL, "すべてのデータを表示"),
        Item(ID_MASTER_SELECT_ALL, "すべて選択\tCtrl+A"),
        Separator(),
        Item(ID_MASTER_CODE_CHANGE, "ｺｰﾄﾞ変更..."),
        End(),
        Popup("設定(&S)"),
        Item(ID_MASTER_COLUMN_SET, "一覧の表示設定..."),
        Item(ID_ENV_SETTINGS, "環境設定..."),
        End(),
    };
    // Tools and help as on every list.
    return entries + ListScreenMenu().mid(9);
}

// A report list's menu bar: its own file, data and settings commands above
// the list screens' common ones.
QList<CMenuEntry> ReportMenu(const QList<CMenuEntry>& file, const QList<CMenuEntry>& data,
                             const QList<CMenuEntry>& settings)
{
    QList<CMenuEntry> entries{Popup("ﾌｧｲﾙ(&F)")};
    entries += file;
    if (!file.isEmpty())
        entries += Separator();
    entries += {Item(ID_BACK_TO_MENU, "メニュー画面に戻る"), End(), Popup("ﾃﾞｰﾀ(&D)")};
    entries += data;
    if (!data.isEmpty())
        entries += Separator();
    entries += {Item(ID_EDIT_FIND, "検索...\tCtrl+F"), End(), Popup("設定(&S)")};
    entries += settings;
    if (!settings.isEmpty())
        entries += Separator();
    entries += {Item(ID_ENV_SETTINGS, "環境設定..."), End()};
    return entries + ListScreenMenu().mid(9);
}

void AddReportMenus(QMap<int, QList<CMenuEntry>>& menus)
{
    const CMenuEntry print = Item(ID_REPORT_LIST_PRINT, "一覧印刷(&P)...");
    const CMenuEntry preview = Item(ID_REPORT_LIST_PREVIEW, "一覧印刷ﾌﾟﾚﾋﾞｭｰ(&V)");
    const CMenuEntry selectAll = Item(ID_REPORT_SELECT_ALL, "すべて選択\tCtrl+A");
    const CMenuEntry reprint = Item(ID_REPORT_REPRINT, "ブレンロ...");
    const CMenuEntry labels = Item(ID_MASTER_LABEL_PRINT, "宛名印刷...");
    const CMenuEntry carryOver = Item(ID_REPORT_CARRY_OVER, "繰越額を今回請求額に含める");
    const CMenuEntry del = Item(ID_REPORT_DELETE, "削除\tDel");
    const CMenuEntry period = Item(ID_REPORT_DISPLAY_PERIOD, "表示期間の変更..");
    const CMenuEntry summary = Item(ID_REPORT_SUMMARY_CONDITION, "条件設定...");
    const CMenuEntry ledgerPrint = Item(ID_LIST_PRINT, "元帳印刷...");
    // Closing candidates, schedules and billed lists.
    menus.insert(
        149, ReportMenu({reprint, labels},
                        {Item(ID_REPORT_CLOSE_PRINT, "締めて印刷"), Item(ID_REPORT_UNDO_CLOSE, "締めの取消"),
                         Item(ID_REPORT_CLOSING_DATE, "締日の変更"), selectAll},
                        {Item(ID_REPORT_NUMBER_SETTINGS, "伝票番号の設定..."), carryOver}));
    menus.insert(153, ReportMenu({print, preview},
                                 {Item(ID_REPORT_RECEIPT, "入金処理..."),
                                  Item(ID_REPORT_BULK_RECEIPT, "一括入金処理"), selectAll},
                                 {Item(ID_REPORT_NUMBER_SETTINGS, "入金番号の設定..."),
                                  Item(ID_REPORT_SCHEDULE_DATE, "予定日の変更..."),
                                  Item(ID_REPORT_CARRY_OVER, "繰越額を入金予定額に含める")}));
    menus.insert(169, ReportMenu({Item(ID_REPORT_TRANSFER, "振込依頼書の印刷..."), print, preview},
                                 {Item(ID_REPORT_RECEIPT, "出金処理..."),
                                  Item(ID_REPORT_BULK_RECEIPT, "一括出金処理"), selectAll},
                                 {Item(ID_REPORT_NUMBER_SETTINGS, "出金番号の設定..."),
                                  Item(ID_REPORT_CARRY_OVER, "繰越額を出金予定額に含める")}));
    menus.insert(184, ReportMenu({reprint, labels, print, preview},
                                 {Item(ID_REPORT_UNDO_CLOSE, "締めの取消"), period, selectAll}, {carryOver}));
    // Receipts, payments, detail and stock movement lists.
    menus.insert(190, ReportMenu({Item(ID_REPORT_RECEIPT_PRINT, "領収証印刷...")},
                                 {Item(ID_REPORT_RECEIPT, "修正..."), del,
                                  Item(ID_REPORT_DISPLAY_PERIOD, "表示期間の変更..."), selectAll},
                                 {}));
    menus.insert(197, ReportMenu({Item(ID_REPORT_EXPORT, "外部ﾃﾞｰﾀの書き出し..."),
                                  Item(ID_REPORT_EXCEL, "Excelへの書き出し"), print, preview},
                                 {period}, {}));
    menus.insert(209, ReportMenu({Item(ID_FILE_PRINT, "一覧印刷(&P)...\tCtrl+P"), preview},
                                 {Item(ID_REPORT_RECEIPT, "修正..."), del, period, selectAll}, {}));
    menus.insert(173, ReportMenu({Item(ID_REPORT_EXPORT, "外部ﾃﾞｰﾀの書き出し..."),
                                  Item(ID_REPORT_EXCEL, "Excelへの書き出し"), print, preview},
                                 {Item(ID_REPORT_STOCK_EDIT, "修正..."), del, period, selectAll}, {}));
    // Balances, aggregations and stock.
    menus.insert(192, ReportMenu({Item(ID_REPORT_EXPORT, "外部ﾃﾞｰﾀの書き出し..."),
                                  Item(ID_REPORT_EXCEL, "Excelへの書き出し..."), ledgerPrint, print, preview},
                                 {Item(ID_REPORT_BALANCE_CONDITION, "条件設定..."), selectAll}, {}));
    menus.insert(151, ReportMenu({Item(ID_REPORT_EXPORT, "外部データへの書き出し..."),
                                  Item(ID_REPORT_EXCEL, "Excelへの書き出し"), print, preview},
                                 {summary}, {}));
    menus.insert(155, ReportMenu({Item(ID_REPORT_EXCEL, "Excelへの書き出し..."), print, preview},
                                 {Item(ID_REPORT_STOCK_EDIT, "棚卸調整..."), summary, selectAll}, {}));
    // Ledgers.
    menus.insert(
        228, ReportMenu({Item(ID_LIST_PRINT, "印刷(&P)..."), Item(ID_REPORT_LIST_PREVIEW, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)")},
                        {}, {}));
    menus.insert(206, ReportMenu({ledgerPrint}, {Item(ID_LEDGER_CONDITION, "条件設定...")}, {}));
}

// The slip lists' menu bar: the slip commands with the list screens'
// settings, tools and help.
QList<CMenuEntry> SlipListMenu()
{
    QList<CMenuEntry> entries{
        Popup("ﾌｧｲﾙ(&F)"),
        Item(ID_SLIP_BATCH_PRINT, "一括印刷"),
        Item(ID_SLIP_ADDRESS_PRINT, "宛名印刷"),
        Separator(),
        Item(ID_SLIP_TRANSCRIBE, "別フォームへ転記..."),
        Item(ID_SLIP_EXPORT, "Velmiraへの書き出し"),
        Separator(),
        Item(ID_BACK_TO_MENU, "メニュー画面に戻る"),
        End(),
        Popup("ﾃﾞｰﾀ(&D)"),
        Item(ID_SLIP_NEW, "新規作成..."),
        Item(ID_SLIP_MODIFY, "修正..."),
        Item(ID_SLIP_DELETE, "削除\tDel"),
        Separator(),
        Item(ID_EDIT_FIND, "検索...\tCtrl+F"),
        Item(ID_SLIP_EXTRACT, "抽出..."),
        Item(ID_SLIP_SELECT_ALL, "すべて選択\tCtrl+A"),
        End(),
    };
    return entries + ListScreenMenu().mid(6);
}

const QMap<int, QList<CMenuEntry>>& MenuTable()
{
    static const QMap<int, QList<CMenuEntry>> table = [] {
        QMap<int, QList<CMenuEntry>> menus;
        menus.insert(147, SlipListMenu());
        for (int id : {149, 151, 153, 155, 169, 173, 184, 190, 192, 197, 206, 209, 228})
            menus.insert(id, ListScreenMenu());
        menus.insert(145, MasterListMenu());
        AddReportMenus(menus);
        return menus;
    }();
    return table;
}

} // namespace

const QList<CMenuEntry>& GetMenuResource(int menuId)
{
    static const QList<CMenuEntry> none;
    const auto& table = MenuTable();
    const auto it = table.find(menuId);
    return it == table.end() ? none : *it;
}

const QList<CToolBarDef>& GetToolBarDefs()
{
    // Every list toolbar offers find and the way back; the ledger screens'
    // toolbar has its own set, and 206 adds "back to the list".
    static const QList<int> common{ID_EDIT_FIND, 0, ID_BACK_TO_MENU};
    static const QList<int> report{ID_EDIT_FIND, ID_LIST_HELP, 0, ID_BACK_TO_MENU};
    // The master lists: the products' bar (404) and the partners' (145)
    // offer the same buttons.
    static const QList<int> master{ID_MASTER_NEW,
                                   ID_MASTER_MODIFY,
                                   ID_MASTER_DELETE,
                                   0,
                                   ID_EDIT_FIND,
                                   ID_MASTER_EXTRACT,
                                   ID_MASTER_SHOW_ALL,
                                   0,
                                   ID_MASTER_LABEL_PRINT,
                                   ID_MASTER_IMPORT,
                                   ID_MASTER_EXPORT,
                                   0,
                                   ID_MASTER_COLUMN_SET,
                                   ID_MASTER_HELP,
                                   0,
                                   ID_BACK_TO_MENU};
    static const QList<CToolBarDef> defs{
        {145, 0xE821, master},
        {404, 0xE830, master},
        {149, 0xE822, report},
        {153, 0xE823, report},
        {169, 0xE82F, report},
        {184, 0xE824, report},
        {190, 0xE82D, common},
        {209, 0xE82E, common},
        {192, 0xE826, common},
        {155, 0xE827, common},
        {151, 0xE828, common},
        {173, 0xE829, common},
        {206,
         0xE82C,
         {ID_LEDGER_CONDITION, ID_LIST_PRINT, ID_EDIT_FIND, ID_LIST_HELP, ID_BACK_TO_LIST, 0,
          ID_BACK_TO_MENU}},
        {446, 0xE831, {ID_LEDGER_CONDITION, ID_LIST_PRINT, ID_EDIT_FIND, ID_LIST_HELP, 0, ID_BACK_TO_MENU}},
        {197, 0xE82A, common},
        {147,
         0xE82B,
         {ID_SLIP_NEW, ID_SLIP_MODIFY, ID_SLIP_DELETE, ID_SLIP_TRANSCRIBE, 0, ID_SLIP_EXTRACT, ID_EDIT_FIND,
          0, ID_SLIP_BATCH_PRINT, ID_SLIP_ADDRESS_PRINT, 0, ID_SLIP_HELP, ID_BACK_TO_MENU}},
    };
    return defs;
}

const QMap<int, QString>& GetCommandStrings()
{
    // Prompt, line break, tip: the prompts show in the status bar, the tips
    // on the toolbar buttons and in their tool tips.
    static const QMap<int, QString> strings = [] {
        const std::pair<int, const char*> entries[] = {
            {ID_BACK_TO_MENU, "\nメニュー画面に戻る"},
            {ID_ENV_SETTINGS, "\n環境設定"},
            {ID_EDIT_FIND, "\n検索"},
            {ID_ITEM_LIST, "\n商品一覧"},
            {ID_CUSTOMER_LIST, "\n得意先一覧"},
            {ID_SUPPLIER_LIST, "\n仕入先一覧"},
            {ID_ESTIMATE_LIST, "\n見積書一覧"},
            {ID_HEADER_VIEW, "\nヘッダー画面を表示"},
            {ID_SALES_LIST, "\n売上伝票一覧"},
            {ID_ORDER_LIST, "\n注文書一覧"},
            {ID_STOCK_LIST, "\n仕入伝票一覧"},
            {ID_CLOSE_INVOICE, "\n締請求書の作成"},
            {ID_ESTIMATE_DETAIL, "\n見積明細表"},
            {ID_ORDER_DETAIL, "\n注文明細表"},
            {ID_TRANSFER_FEE, "支払手数料を設定します\n支払手数料の設定"},
            {ID_TOOL_SEAL, "\n社印・印鑑画像作成"},
            {ID_TOOL_PHRASES, "\n定型文の登録"},
            {ID_TOOL_CALCULATOR, "\n電卓"},
            {ID_TOOL_PHONEBOOK, "\n電話帳・郵便番号検索"},
            {ID_TOOL_PHONEBOOK_BACKUP, "\n電話帳バックアップ"},
            {ID_TOOL_PHONEBOOK_RESTORE, "\n電話帳データの復元"},
            {ID_LEDGER_CONDITION, "元帳の作成期間を指定してください。\n条件設定"},
            {ID_LIST_PRINT, "元帳を印刷します\n元帳印刷"},
            {ID_REPORT_REPRINT, "選択した伝票の印刷"},
            {ID_LIST_HELP, "\n一覧画面のヘルプを表示します"},
            {ID_BACK_TO_LIST, "元のリストにもどります\n元にもどる"},
            {ID_MASTER_IMPORT, "\n読み込み"},
            {ID_MASTER_EXPORT, "\n書き出し"},
            {ID_IMPORT_BRENLO, "\nブレンロ3･4のﾃﾞｰﾀ取り込み"},
            {ID_IMPORT_CADMIR, "\nカドミア3のﾃﾞｰﾀ取り込み"},
            {ID_IMPORT_TOSKEL, "\nトスケル2･3のﾃﾞｰﾀ取り込み"},
            {ID_IMPORT_VELMIRA, "\nVelmiraのﾃﾞｰﾀ取り込み"},
            {ID_EXPORT_VELMIRA, "\nVelmiraへのﾃﾞｰﾀ書き出し"},
            {ID_MASTER_LABEL_PRINT, "選択した伝票の宛名印刷\n宛名印刷"},
            {ID_MASTER_PRINT, "一覧印刷します\n一覧印刷"},
            {ID_MASTER_PRINT_PREVIEW, "印刷のﾌﾟﾚﾋﾞｭｰを表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
            {ID_MASTER_NEW, "\n新規登録"},
            {ID_MASTER_MODIFY, "\n修正"},
            {ID_MASTER_DELETE, "\n削除"},
            {ID_MASTER_EXTRACT, "\n抽出"},
            {ID_MASTER_SELECT_ALL, "\nすべてのデータを選択"},
            {ID_MASTER_SHOW_ALL, "\nすべてのデータを表示"},
            {ID_MASTER_CODE_CHANGE, "\nｺｰﾄﾞ変更"},
            {ID_MASTER_COLUMN_SET, "\n一覧の表示設定"},
            {ID_MASTER_HELP, "\n一覧画面のヘルプを表示"},
            {ID_SLIP_NEW, "\n新規作成"},
            {ID_SLIP_MODIFY, "\n修正"},
            {ID_SLIP_EXTRACT, "\n抽出"},
            {ID_SLIP_TRANSCRIBE, "\n別フォームへ転記"},
            {ID_SLIP_BATCH_PRINT, "\n一括印刷"},
            {ID_SLIP_EXPORT, "Velmiraへﾃﾞｰﾀを書き出します"},
            {ID_SLIP_STATUS, "ｽﾃｰﾀｽを変更します"},
            {ID_SLIP_HELP, "\n一覧画面のヘルプを表示します"},
        };
        QMap<int, QString> map;
        for (const auto& [id, text] : entries)
            map.insert(id, QString::fromUtf8(text));
        return map;
    }();
    return strings;
}

QString GetCommandText(int id)
{
    const QString entry = GetCommandStrings().value(id);
    const qsizetype cut = entry.indexOf(u'\n');
    return cut < 0 ? QString() : entry.mid(cut + 1);
}

QString GetCommandPrompt(int id)
{
    return GetCommandStrings().value(id).section(u'\n', 0, 0);
}

QList<int> GetAcceleratorCommands()
{
    return {ID_EDIT_FIND, ID_MASTER_DELETE, ID_MASTER_SELECT_ALL};
}

QString GetCommandShortcut(int id)
{
    switch (id) {
    case ID_EDIT_FIND:
        return QStringLiteral("Ctrl+F");
    case ID_MASTER_DELETE:
        return QStringLiteral("Del");
    case ID_MASTER_SELECT_ALL:
        return QStringLiteral("Ctrl+A");
    default:
        return {};
    }
}
