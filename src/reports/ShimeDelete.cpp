// Deleting receipts, payments and stock movements from their lists, and
// taking rows deleted or settled out of a list.

#include "app/MainFrame.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/RecordFields.h"
#include "reports/ReportDelete.h"
#include "reports/ReportModes.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"

#include <algorithm>

namespace
{

QString DeleteQuestion(const CReportModeInfo& info)
{
    if (info.deleteUndoesClosing && !info.side.IsPurchases())
        return QStringLiteral("選択された入金データを削除します。\nこの入金データを削除しても、請求済み一覧は"
                              "入金済みのままです。\n"
                              "※未入金にするには、請求済み一覧の「済」マークをクリックしてください。\n本当に"
                              "削除してもよろしいですか？");
    if (info.deleteUndoesClosing)
        return QStringLiteral(
            "選択された出金データを削除します。\nこの出金データを削除しても、支払一覧は出金済みのままです。\n"
            "※未出金にするには、支払一覧の「済」マークをクリックしてください。\n本当に削除してもよろしいです"
            "か？");
    return QStringLiteral("選択された入出庫データを削除します。本当に削除してもよろしいですか？");
}

} // namespace

void CShimeView::OnDeleteRows()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    const QString table = ReportDeleteTable(info.mode);
    if (table.isEmpty())
        return;
    IPrompt& prompt = UiServices::Prompt();
    if (m_list.Records().GetCount() == 0) {
        prompt.MessageBox(QStringLiteral("処理対象のレコードがありません"));
        return;
    }
    const QList<int> rows = SelectedRowsOrSay(QStringLiteral("削除するレコードを選択してください"));
    if (rows.isEmpty())
        return;
    if (prompt.MessageBox(DeleteQuestion(info), MB_OKCANCEL, MB_ICONQUESTION, IDCANCEL) != IDOK)
        return;

    // Receipts and payments booked to a closing undo it.
    QList<int> closings, ids;
    for (int row : rows) {
        const COneRecord* record = m_list.RecordAt(row);
        if (!record)
            continue;
        ids << IntOf(record, QStringLiteral("ID"));
        const int closing = !info.deleteUndoesClosing ? 0 : IntOf(record, QStringLiteral("SeikyuID"));
        if (closing > 0)
            closings << closing;
    }
    if (!closings.isEmpty() &&
        prompt.MessageBox(
            QStringLiteral(
                "！！！ご注意！！！\n削除しようとしているデータには締め済みの入金が含まれています。\n"
                "このまま削除処理を続行すると締め請求は解除されます。その場合あとで締め処理をおこなってくださ"
                "い。"
                "削除してもよろしいですか？"),
            MB_OKCANCEL, MB_ICONEXCLAMATION, IDCANCEL) != IDOK) {
        prompt.MessageBox(QStringLiteral("削除を中止しました。"), MB_OK, MB_ICONINFORMATION);
        return;
    }
    {
        const CWaitCursor wait;
        // The closings and every batch go together or not at all; a failure
        // leaves the list as it is.
        if (!DeleteReportRows(GetFrame().GetMakeMsgID(), table, info.side, closings, ids))
            return;
    }
    RemoveSettledRows(rows);
}

void CShimeView::RemoveSettledRows(const QList<int>& rows)
{
    // From the last, so that the earlier indexes stay valid; the records go
    // too, so that a later refill cannot show them as open again.
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<CReportRow>& list = m_list.Rows();
    CCDSData& records = m_list.Records();
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it) {
        const int row = *it;
        if (row < 0 || row >= int(list.size()))
            continue;
        const COneRecord* record = list[size_t(row)].record;
        list.erase(list.begin() + row);
        for (int i = 0; record && i < records.GetCount(); ++i) {
            if (records.GetAt(i) == record) {
                records.RemoveAt(i);
                break;
            }
        }
    }
    // The columns keep the widths the user gave them.
    QList<int> widths;
    for (int i = 0; i < m_pModel->columnCount(); ++i)
        widths << m_pListCtrl->columnWidth(i);
    m_pModel->RowsChanged();
    for (int i = 0; i < int(widths.size()) && i < m_pModel->columnCount(); ++i)
        m_pListCtrl->setColumnWidth(i, widths[i]);
    m_strCountText = Q("件数：%1件").arg(m_list.RowCount());
    UpdateLabels();
}
