#include "reports/KurikoshiDlg.h"

#include "app/MainFrame.h"
#include "app/Period.h"
#include "app/ViewRegistry.h"
#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/SqlText.h"
#include "platform/sql/SlipListSql.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace
{

QString Japanese(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy年MM月dd日"));
}

// Tells a failing library call; 1 passes through.
int Report(int result, const QString& err)
{
    if (result != CMakeMsgID::kOk)
        ShowReportFailure(result, Q("データの取得に失敗しました。"), err);
    return result;
}

} // namespace

QString CKurikoshiRules::PreviousText(const QDate& previous)
{
    return Q("前回の繰越日：") + (previous.isValid() ? Japanese(previous) : Q("なし"));
}

QDate CKurikoshiRules::ProposedDate(const QDate& previous, const QDate& today)
{
    if (previous.isValid())
        return previous.addDays(1);
    return QDate(today.year(), today.month(), 1).addDays(-1);
}

QString CKurikoshiRules::Check(const QDate& date, const QDate& previous, const QDate& today)
{
    if (!date.isValid())
        return Q("日時の形式が正しくありません。\n");
    if (date.year() * 12 + date.month() >= today.year() * 12 + today.month())
        return Q("現在の月以降は指定できません。");
    if (previous.isValid() && date < previous)
        return Q("前回の繰越日より前の日付は指定できません。");
    return QString();
}

QString CKurikoshiRules::BackupMessage(int result)
{
    switch (result) {
    case 1:
        return QString();
    case 0:
        return Q("処理を中止します。");
    case -10:
        return Q("データベースへの接続に失敗しました。アプリケーションを終了してもう一度起動しなおしてくださ"
                 "い。1");
    case -20:
        return Q("データベースへの接続に失敗しました。アプリケーションを終了してもう一度起動しなおしてくださ"
                 "い。2");
    case -100:
        return Q("バックアップとデータベースへの接続に失敗しました。アプリケーションを終了してもう一度起動し"
                 "なおしてください。");
    default:
        return Q("バックアップに失敗しました。");
    }
}

int CKurikoshiRules::LoadStatus(CMakeMsgID& db, QList<StatusRow>& rows)
{
    rows.clear();
    struct Kind {
        const char* name;
        const char* table;
        const char* condition;
    };
    static const Kind kKinds[] = {
        {"得意先台帳", "Customer", ""},
        {"商品台帳", "Item", ""},
        {"見積書", "Estimate_H", ""},
        {"見積書明細", "Estimate_B", ""},
        {"売上伝票", "Sales_H", "WHERE DenpyoType = 0"},
        {"売上明細", "Sales_B", ""},
        {"請求書", "Sales_Close", ""},
        {"入金伝票", "Receipt_H", ""},
        {"入金明細", "Receipt_B", ""},
    };
    QList<StatusRow> made;
    int total = 0;
    for (const Kind& kind : kKinds) {
        StatusRow row;
        row.kind = Q(kind.name);
        CCDSData request;
        request.m_strTable = QString::fromLatin1(kind.table);
        request.m_strCondition = QString::fromLatin1(kind.condition);
        QString err;
        if (const int result = Report(db.GetDataNum(request, row.count, err), err); result != CMakeMsgID::kOk)
            return result;
        // The customer master holds the one-time partner besides the real ones.
        if (row.kind == Q("得意先台帳"))
            row.count = std::max(row.count - 1, 0);
        if (!request.m_strTable.contains(QLatin1String("_B"))) {
            CCDSData range, result;
            range.m_strCondition = MakeDateRangeSQL(request.m_strTable);
            if (const int r = Report(db.GetDataList(range, result, err), err); r != CMakeMsgID::kOk)
                return r;
            if (result.GetCount() > 0 && result.GetAt(0)->GetCount() >= 2) {
                QDate oldest, newest;
                if (result.GetAt(0)->GetAt(0)->GetData(oldest))
                    row.oldest = oldest.toString(QStringLiteral("yyyy/MM/dd"));
                if (result.GetAt(0)->GetAt(1)->GetData(newest))
                    row.newest = newest.toString(QStringLiteral("yyyy/MM/dd"));
            }
        }
        total += row.count;
        made << row;
    }
    StatusRow sum;
    sum.kind = Q("総データ件数");
    sum.count = total;
    made << sum;
    rows = made;
    return CMakeMsgID::kOk;
}

QString CKurikoshiRules::DoneMessage(CMakeMsgID& db, const QDate& date, const CCarryForwardCounts& counts)
{
    if (counts.closings > 0)
        return Q("繰越処理が完了しました。\n\n繰越したデータ\n　締め（請求・支払）：%1 "
                 "件\n　売上・仕入伝票：%2 件\n"
                 "　入金伝票：%3 件\n　支払伝票：%4 件")
            .arg(counts.closings)
            .arg(counts.slips)
            .arg(counts.receipts)
            .arg(counts.payments);
    // Why none went: no closing up to the date, or each one waits for its
    // money or follows one of its partner's that does.
    int closed = 0;
    for (const char* table : {"Sales_Close", "Stock_Close"}) {
        CCDSData request;
        request.m_strTable = QString::fromLatin1(table);
        request.m_strCondition = QStringLiteral("WHERE CloseDate <= %1").arg(SqlDate(date));
        int count = 0;
        QString err;
        if (db.GetDataNum(request, count, err) == CMakeMsgID::kOk)
            closed += count;
    }
    const QString day = Japanese(date);
    const QString why =
        closed == 0
            ? Q("%1までに締め処理をした請求・支払がありません。").arg(day)
            : Q("%1までに締めた請求・支払 %2 件は、どれも入金・支払が済んでいないか、同じ取引先にそれより前の"
                "入金・支払の済んでいない締めがあるため、繰越の対象になりません。")
                  .arg(day)
                  .arg(closed);
    return Q("繰越の対象となる締めがなかったため、伝票・締め・入金・支払のデータは削除していません。\n") +
           why + Q("\n\n商品の在庫数は%1までの入出庫を繰越し、前回の繰越日を%1にしました。").arg(day);
}

CKurikoshiDlg::CKurikoshiDlg(CMainFrame& frame, QWidget* parent)
    : QDialog(parent), m_frame(frame), m_pDate(new QDateEdit(this)), m_pPrevious(new QLabel(this)),
      m_pStatus(new QTableWidget(0, 4, this))
{
    setWindowTitle(Q("データベースの繰越処理"));
    m_backup = [this] { return m_frame.BackupDatabase(3); };
    auto* carry = new QGroupBox(Q("データベースの繰越処理"), this);
    auto* text = new QLabel(
        Q("年度末など一年に一度をめやすに、データベースを整頓し販売管理を再開します。この処理はデータが多くな"
          "ってソフトの動きが鈍くなった場合にも、有効です。\n"
          "指定された日付までの請求済みのデータを削除し、得意先台帳の導入時売掛残を書き換えます。\n\n"
          "※繰越日以前の資料は作成できなくなるので、必要な場合はあらかじめ作成して印刷しておいてください。ま"
          "た繰越日以前の宛名や商品の履歴参照もできなくなります。"),
        carry);
    text->setWordWrap(true);
    m_pDate->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
    m_pDate->setCalendarPopup(true);
    auto* start = new QPushButton(Q("繰越開始"), carry);
    auto* carryLayout = new QGridLayout(carry);
    carryLayout->addWidget(text, 0, 0, 1, 3);
    carryLayout->addWidget(m_pDate, 1, 0);
    carryLayout->addWidget(m_pPrevious, 1, 1);
    carryLayout->addWidget(start, 1, 2);
    auto* status = new QGroupBox(Q("現在の状況"), this);
    auto* statusLayout = new QGridLayout(status);
    statusLayout->addWidget(m_pStatus, 0, 0);
    m_pStatus->setHorizontalHeaderLabels({Q("種類"), Q("件数"), Q("入力開始日付"), Q("最終入力日付")});
    m_pStatus->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_pStatus->verticalHeader()->hide();
    m_pStatus->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pStatus->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pStatus->setShowGrid(true);
    auto* close = new QPushButton(Q("とじる"), this);
    auto* help = new QPushButton(Q("？"), this);
    auto* layout = new QGridLayout(this);
    layout->addWidget(carry, 0, 0, 1, 3);
    layout->addWidget(status, 1, 0, 1, 3);
    layout->addWidget(help, 2, 0);
    layout->addWidget(close, 2, 2);
    resize(560, 520);
    connect(start, &QPushButton::clicked, this, &CKurikoshiDlg::OnStart);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(4901); });

    m_dtPrevious = GetLastCarryForwardDate(m_frame.GetMakeMsgID());
    m_pPrevious->setText(CKurikoshiRules::PreviousText(m_dtPrevious));
    m_pDate->setDate(CKurikoshiRules::ProposedDate(m_dtPrevious, UiServices::Clock().Today()));
    FillStatusList();
}

void CKurikoshiDlg::FillStatusList()
{
    m_pStatus->setRowCount(0);
    QList<CKurikoshiRules::StatusRow> rows;
    if (CKurikoshiRules::LoadStatus(m_frame.GetMakeMsgID(), rows) != CMakeMsgID::kOk)
        return;
    m_pStatus->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        const QString texts[] = {row.kind, QStringLiteral("%1 件").arg(row.count), row.oldest, row.newest};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c == 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_pStatus->setItem(i, c, item);
        }
    }
}

void CKurikoshiDlg::OnStart()
{
    const QDate date = m_pDate->date();
    const QString refused = CKurikoshiRules::Check(date, m_dtPrevious, UiServices::Clock().Today());
    if (!refused.isEmpty()) {
        UiServices::Prompt().MessageBox(refused);
        return;
    }
    if (UiServices::Prompt().MessageBox(Q("現在のデータをバックアップしてから、指定された日付までの請求済みデ"
                                          "ータを削除します。\nよろしいですか？"),
                                        MB_OKCANCEL, MB_ICONQUESTION, IDCANCEL) != IDOK)
        return;
    const QString backup = CKurikoshiRules::BackupMessage(m_backup ? m_backup() : 0);
    if (!backup.isEmpty()) {
        UiServices::Prompt().MessageBox(backup);
        return;
    }
    if (UiServices::Prompt().MessageBox(Q("続いてデータの削除を行います。\nよろしいですか？"), MB_OKCANCEL,
                                        MB_ICONQUESTION) != IDOK)
        return;
    CCarryForwardOutcome carried;
    {
        CDataWait wait(m_frame.GetMakeMsgID(), kWaitCarryForward);
        // Beside the window's thread, which paints under the dialog meanwhile.
        carried = m_frame.GetMakeMsgID()
                      .RunBeside([&] {
                          return CClosingService(m_frame.GetMakeMsgID()).CarryForward(date, m_dtPrevious);
                      })
                      .value;
    }
    if (carried.balancesRemade)
        UiServices::Prompt().MessageBox(CMakeMsgID::BookedBalancesRemadeText(), MB_OK, MB_ICONINFORMATION);
    if (!carried.refusal.IsDone()) {
        // The library's reason (the free disk space it needs) on its own line.
        const QString& err = carried.refusal.text;
        ShowClosingRefusal(carried.refusal, Q("処理に失敗しました。"), err.isEmpty() ? err : u'\n' + err);
        return;
    }
    FillStatusList();
    // The stored date, read back, is what the next run checks against. The
    // report conditions are left alone: the stock lists read the date afresh
    // when they are asked for, and no other list checks it.
    m_dtPrevious = GetLastCarryForwardDate(m_frame.GetMakeMsgID());
    m_pPrevious->setText(CKurikoshiRules::PreviousText(m_dtPrevious));
    UiServices::Prompt().MessageBox(
        CKurikoshiRules::DoneMessage(m_frame.GetMakeMsgID(), date, carried.counts), MB_OK,
        MB_ICONINFORMATION);
}

void OnCarryForwardCommand(CMainFrame& frame)
{
    CKurikoshiDlg dialog(frame, &frame);
    RunModal(dialog);
    if (frame.ReloadCalendar())
        ResetMenuCalendar(frame.GetActiveView());
}
