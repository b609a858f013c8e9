// The data library's closing interface over the closing service, the invoice
// work tables, and the progress of its long calls.

#include "platform/data/BesideWork.h"
#include "platform/data/BookedTotals.h"
#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/ProgressHandler.h"
#include "platform/data/TradeSide.h"

#include <sqlite3.h>

#include <QStringBuilder>
#include <QStringList>

#include <chrono>

namespace
{

QString L(const char* text)
{
    return QString::fromLatin1(text);
}

// How often SQLite calls back while a statement runs (in its virtual
// machine's steps), and how often of those calls the listener hears.
constexpr int kTickSteps = 1000;
constexpr qint64 kTickMs = 100;

qint64 NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

IDataProgress* CMakeMsgID::SetProgress(IDataProgress* progress)
{
    IDataProgress* before = std::exchange(m_pProgress, progress);
    m_nStepsDone = m_nStepsTotal = 0;
    m_nLastTick = NowMs();
    if (!m_pProgress)
        m_pTicks.reset();
    else
        KeepTicking();
    return before;
}

void CMakeMsgID::KeepTicking()
{
    if (m_db && m_pProgress && !m_pTicks)
        m_pTicks = std::make_unique<CProgressHandlerScope>(m_db, kTickSteps, &CMakeMsgID::ProgressTick, this);
}

int CMakeMsgID::ProgressTick(void* self)
{
    auto* me = static_cast<CMakeMsgID*>(self);
    if (me->m_bInTick || !me->m_pProgress)
        return 0;
    const qint64 now = NowMs();
    if (now - me->m_nLastTick < kTickMs)
        return 0;
    me->m_nLastTick = now;
    me->m_bInTick = true;
    BesideWork::Heard(*me->m_pProgress).Working();
    me->m_bInTick = false;
    return 0; // never interrupts the statement
}

void CMakeMsgID::BeginSteps(int total)
{
    m_nStepsDone = 0;
    m_nStepsTotal = total;
    if (m_pProgress && !m_bInTick)
        BesideWork::Heard(*m_pProgress).PartsDone(m_nStepsDone, m_nStepsTotal);
}

void CMakeMsgID::StepDone(int steps)
{
    m_nStepsDone = qMin(m_nStepsDone + steps, m_nStepsTotal);
    m_nLastTick = NowMs();
    if (m_pProgress && !m_bInTick)
        BesideWork::Heard(*m_pProgress).PartsDone(m_nStepsDone, m_nStepsTotal);
}

int CMakeMsgID::RunBeside(const std::function<int()>& work)
{
    static IDataProgress noOne;
    return BesideWork::Run(m_pProgress ? *m_pProgress : noOne, [&work](IDataProgress&) { return work(); });
}

int CMakeMsgID::Close_Sales(CCDSData& headers, CCDSData& taxSlips, const QDate& closeDate, QString& err,
                            CCloseCheck* check)
{
    return CClosingService(*this).CloseRecords(headers, taxSlips, closeDate, check).Answer(err);
}

int CMakeMsgID::Reset_SalesClose(const CCDSData& closings, QString& err)
{
    return CClosingService(*this).UndoRecords(closings).Answer(err);
}

int CMakeMsgID::DataMaintenance(const QDate& date, const QDate& previous, QString& err,
                                CCarryForwardCounts* counts, bool* balancesRemade)
{
    const CCarryForwardOutcome carried = CClosingService(*this).CarryForward(date, previous);
    if (counts)
        *counts = carried.counts;
    if (balancesRemade)
        *balancesRemade = carried.balancesRemade;
    return carried.refusal.Answer(err);
}

int CMakeMsgID::SetWShime(CCDSData& request, QString& err)
{
    if (!m_db)
        return NoConnection(err);
    const QStringList parts = request.m_strCondition.split(u',');
    const CTradeSide* side = parts.size() == 2 ? CTradeSide::OfClosing(parts[0].trimmed()) : nullptr;
    const QString flag = parts.value(1).trimmed();
    if (!side || (flag != QLatin1String("0") && flag != QLatin1String("1")) ||
        request.m_strTable.compare(QLatin1String("WShime_H"), Qt::CaseInsensitive) != 0) {
        err = QStringLiteral("請求書作成の条件が正しくありません。（%1）").arg(request.m_strCondition);
        return kFailed;
    }
    for (int i = 0; i < request.GetCount(); ++i)
        request.GetAt(i)->SetField(QStringLiteral("WShime_H.ID"), i + 1);

    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    if ((result = Execute(QStringLiteral("DELETE FROM WShime_B"), err)) != kOk ||
        (result = Execute(QStringLiteral("DELETE FROM WShime_H"), err)) != kOk)
        return result;
    if (request.GetCount() == 0)
        return run.Commit(err);
    if ((result = InsertData(request, err)) != kOk)
        return result;
    // The work table leads: it holds the few closings asked for, and the
    // slips and lines are found from them by index, never by walking the
    // lines of the books (which the planner would, knowing no row counts).
    // The lines go in in their order into the emptied table, so each one's
    // row number is its place in it: the numbering is set from that
    // afterwards, which costs less than a numbering window, which holds
    // every line once more.
    const QString lines =
        QStringLiteral(
            "INSERT INTO WShime_B(HeaderID, \"Date\", \"No\", LineNo, ItemType, ItemCode, ItemName, "
            "Number, Unit, Price, Amount, TaxFlg, Tax, Remarks) "
            "SELECT W.ID, H.\"Date\", H.\"No\", B.LineNo, B.ItemType, B.ItemCode, B.ItemName, B.Number, "
            "B.Unit, B.Price, B.Amount, B.TaxFlg, B.Tax, B.Remarks "
            "FROM WShime_H W CROSS JOIN \"%1\" H ON H.SeikyuID = W.SalesCloseID AND W.SalesCloseID <> 0 "
            "CROSS JOIN \"%2\" B ON B.HeaderID = H.ID ORDER BY W.ID, H.\"Date\", H.\"No\", B.LineNo, B.ID")
            .arg(L(side->header), L(side->lines));
    if ((result = Execute(lines, err)) != kOk ||
        (result = Execute(QStringLiteral("UPDATE WShime_B SET ID = rowid"), err)) != kOk)
        return result;
    return run.Commit(err);
}

int CMakeMsgID::RecheckBookedBalances(bool& remade, QString& err)
{
    remade = false;
    if (!m_db)
        return NoConnection(err);
    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    for (const CTradeSide* side : CTradeSide::Both()) {
        CCDSData request, differing;
        request.m_strCondition = BookedTotals::MismatchSql(*side);
        if ((result = GetDataList(request, differing, err)) != kOk)
            return result;
        StepDone();
        if (differing.GetCount() == 0)
            continue;
        for (const QString& sql : BookedTotals::RefillSql(*side))
            if ((result = Execute(sql, err)) != kOk)
                return result;
        remade = true;
    }
    return run.Commit(err);
}
