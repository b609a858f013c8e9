#include "settings/DocumentNumbers.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/StoredNumbers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/SettingsArchive.h"

#include <QDir>

#include <algorithm>

namespace
{

// A counter file moved by another user between the look-up and the save is
// looked up again; after this many tries the save counts as failed.
constexpr int kTries = 3;

struct KindInfo {
    int kind;
    const char* table;
    const char* document;
    const char* stored; // how the stored documents are called
};

constexpr KindInfo kKinds[] = {
    {COUNTER_INVOICE, "Sales_Close", "請求書", "締め済み"},
    {COUNTER_PAYMENT_STATEMENT, "Stock_Close", "支払明細書", "締め済み"},
    {COUNTER_RECEIPT, "Receipt_H", "入金", "登録済み"},
    {COUNTER_PAYMENT, "Pay_H", "出金", "登録済み"},
    {COUNTER_STOCK, "StockChange", "入出庫", "登録済み"},
};

const KindInfo* InfoOf(int kind)
{
    const auto found = std::find_if(std::begin(kKinds), std::end(kKinds),
                                    [kind](const KindInfo& info) { return info.kind == kind; });
    return found == std::end(kKinds) ? nullptr : found;
}

// The values of `count` numbers from `from` on, stepping as the counter
// steps: past the last number the digits hold, 1 again.
CNumberRun RunOf(qint64 from, int count, int digits)
{
    const qint64 last = CCounterInfoElem::LastNumber(digits);
    CNumberRun run;
    run.ceiling = last;
    run.first = from;
    qint64 rest = 0;
    if (from > last) {
        run.last = from;
        rest = count - 1;
    } else {
        run.last = std::min(from + count - 1, last);
        rest = from + count - 1 - run.last;
    }
    if (rest > 0)
        run.wrapLast = std::min(rest, last);
    return run;
}

// Whether the numbering must continue after the highest stored number of
// the form to give the run of `count` from `from`: the books hold one of
// them, or a counter without a number of its own stands at or below their
// highest. Reads the books once: false with `rc` not 1 when they cannot.
bool MustMove(CMakeMsgID& data, const QString& table, const QString& prefix, const QString& suffix,
              int digits, qint64 from, int count, bool fresh, CStoredNumbers& found, int& rc, QString& err)
{
    rc = CMakeMsgID::kOk;
    if (table.isEmpty() || !data.IsOpen())
        return false;
    rc = data.ReadStoredNumbers(table, prefix, suffix, RunOf(from, count, digits), found, err);
    if (rc != CMakeMsgID::kOk)
        return false;
    return found.held > 0 || (fresh && found.highest >= from);
}

QString FormatWith(const CCounterInfoElem& elem, qint64 number)
{
    return elem.m_strPrefix + CCounterInfoElem::FormatNumber(int(number), elem.m_nDigits, elem.m_nZeroFill) +
           elem.m_strSuffix;
}

QString CounterFilePath()
{
    const QString path = GetSettingsFilePath(QString::fromLatin1(CCounterInfo::kFileName));
    return QDir::toNativeSeparators(path.isEmpty() ? QString::fromLatin1(CCounterInfo::kFileName) : path);
}

} // namespace

CDocumentNumbers::CDocumentNumbers(CMakeMsgID& data, int kind) : m_data(data), m_nKind(kind) {}

QString CDocumentNumbers::TableOf(int kind)
{
    const KindInfo* info = InfoOf(kind);
    return info ? QString::fromLatin1(info->table) : QString();
}

CDocumentNumbers::EResult CDocumentNumbers::Plan(const CCounterInfoElem& elem, int count, int& from)
{
    m_strNotice.clear();
    m_strHighest.clear();
    m_nDigits = CCounterInfoElem::ClampDigits(elem.m_nDigits);
    const bool fresh = m_counter.IsFresh();
    CStoredNumbers found;
    if (!MustMove(m_data, TableOf(m_nKind), elem.m_strPrefix, elem.m_strSuffix, elem.m_nDigits, from, count,
                  fresh, found, m_nDataResult, m_strDataError))
        return m_nDataResult == CMakeMsgID::kOk ? EResult::Taken : EResult::NotRead;
    m_strHighest = found.highestText;
    if (!CCounterInfoElem::Fits(found.highest + count, elem.m_nDigits))
        return EResult::Exhausted;
    const KindInfo& info = *InfoOf(m_nKind);
    const QString document = QString::fromUtf8(info.document), stored = QString::fromUtf8(info.stored);
    const QString next = FormatWith(elem, found.highest + 1);
    m_strNotice =
        fresh
            ? QStringLiteral("番号の設定ファイル<%1>に%2の番号がなかったため、%3の%2の番号「%4」の次の"
                             "「%5」から番号を付けます。")
                  .arg(CounterFilePath(), document, stored, found.highestText, next)
            : QStringLiteral("番号の設定ファイル<%1>の%2の番号「%3」からの番号は%4の%2の番号と重なるため、"
                             "%4の%2の番号「%5」の次の「%6」から番号を付けます。")
                  .arg(CounterFilePath(), document, FormatWith(elem, from), stored, found.highestText, next);
    from = int(found.highest + 1);
    return EResult::Taken;
}

CDocumentNumbers::EResult CDocumentNumbers::Claim(int count, int& first, const CCounterInfoElem*& elem)
{
    elem = nullptr;
    for (int tries = 0; tries < kTries; ++tries) {
        CCounterInfoElem* current = m_counter.GetElem(m_nKind);
        if (!current)
            return EResult::NoCounter;
        elem = current;
        const int seen = current->m_nNumber;
        first = seen;
        const EResult planned = Plan(*current, std::max(count, 1), first);
        if (planned != EResult::Taken || (count == 0 && first == seen)) {
            first = seen;
            return planned;
        }
        int taken = 0;
        const int reserved = m_counter.ReserveFrom(seen, first, count, taken);
        if (reserved == CCounterInfo::kMoved)
            continue;
        if (count > 0)
            first = taken;
        return reserved == 0 ? EResult::NotSaved : EResult::Taken;
    }
    return EResult::NotSaved;
}

CDocumentNumbers::EResult CDocumentNumbers::Take(int count, QStringList& numbers)
{
    numbers.clear();
    m_strNotice.clear();
    if (count <= 0)
        return EResult::Taken;
    int number = 0;
    const CCounterInfoElem* elem = nullptr;
    const EResult result = Claim(count, number, elem);
    if (result != EResult::Taken)
        return result;
    for (int i = 0; i < count; ++i) {
        numbers << FormatWith(*elem, number);
        number = CCounterInfoElem::NextNumber(number, elem->m_nDigits);
    }
    return result;
}

CDocumentNumbers::EResult CDocumentNumbers::Next(QString& number)
{
    number.clear();
    m_strNotice.clear();
    int first = 0;
    const CCounterInfoElem* elem = nullptr;
    const EResult result = Claim(0, first, elem);
    // Unsaved, the document still gets the free number; the counter file's
    // failure is said when it is advanced.
    if (elem)
        number = FormatWith(*elem, first);
    return result;
}

QString CDocumentNumbers::RefusalText(const QString& notDone, const QString& again) const
{
    const KindInfo* info = InfoOf(m_nKind);
    if (!info)
        return QString();
    return QStringLiteral("%1の番号を%2桁では付けられないため、%3。\n%4の%1の番号「%5」の次からの番号は%2桁に"
                          "収まりません。「伝票番号の設定」で%6から、もう一度%7ください。")
        .arg(QString::fromUtf8(info->document))
        .arg(m_nDigits)
        .arg(notDone, QString::fromUtf8(info->stored), m_strHighest, WiderForm(m_nDigits), again);
}

QString CDocumentNumbers::MissingText(EResult result, const QString& notDone, const QString& again) const
{
    const KindInfo* info = InfoOf(m_nKind);
    if (!info)
        return QString();
    const QString text =
        result == EResult::NoCounter
            ? QStringLiteral("%1の番号を読み込めなかったため、%2。\n番号の設定ファイル<%3>を読み込めません。"
                             "「設定」－「伝票番号の設定」で番号を設定し直してから、もう一度%4ください。")
            : QStringLiteral("%1の番号を保存できなかったため、%2。\n番号の設定ファイル<%3>に書き込めるか"
                             "（ディスクの空き容量や書き込みの権限）を確認してから、もう一度%4ください。");
    return text.arg(QString::fromUtf8(info->document), notDone, CounterFilePath(), again);
}

QString CDocumentNumbers::WiderForm(int digits)
{
    // Nine digits are all a counter has: only another form frees numbers.
    return CCounterInfoElem::ClampDigits(digits) < 9 ? QStringLiteral("桁数を増やして")
                                                     : QStringLiteral("接頭文字か接尾文字を変えて");
}

int CDocumentNumbers::Propose(CMakeMsgID& data, int kind, const QString& prefix, const QString& suffix,
                              int digits, int number, bool fresh, QString* highest)
{
    CStoredNumbers found;
    int rc = CMakeMsgID::kOk;
    QString err;
    if (!MustMove(data, TableOf(kind), prefix, suffix, digits, number, 1, fresh, found, rc, err))
        return number;
    if (!CCounterInfoElem::Fits(found.highest + 1, digits)) {
        if (highest)
            *highest = found.highestText;
        return number;
    }
    return int(found.highest + 1);
}

QString CDocumentNumbers::FullText(int kind, int digits, const QString& highest)
{
    const KindInfo* info = InfoOf(kind);
    if (!info)
        return QString();
    return QStringLiteral("%1の%2の番号「%3」の次からの番号は%4桁に収まらないため、%2の番号と重ならない番号を"
                          "お勧めできません。%5ください。")
        .arg(QString::fromUtf8(info->stored), QString::fromUtf8(info->document), highest)
        .arg(CCounterInfoElem::ClampDigits(digits))
        .arg(WiderForm(digits));
}

void CDialogNumber::TellNotice() const
{
    if (!m_numbers.Notice().isEmpty())
        UiServices::Prompt().MessageBox(m_numbers.Notice(), MB_OK, MB_ICONINFORMATION);
}

QString CDialogNumber::Propose()
{
    m_numbers.Next(m_strProposed);
    TellNotice();
    return m_strProposed;
}

CDocumentNumbers::EResult CDialogNumber::Confirm(QString& number)
{
    if (number != m_strProposed || m_strProposed.isEmpty())
        return CDocumentNumbers::EResult::Taken;
    QString next;
    const CDocumentNumbers::EResult result = m_numbers.Next(next);
    if (result == CDocumentNumbers::EResult::Exhausted)
        UiServices::Prompt().MessageBox(
            m_numbers.RefusalText(QStringLiteral("登録しませんでした"), QStringLiteral("登録して")), MB_OK,
            MB_ICONEXCLAMATION);
    if (result == CDocumentNumbers::EResult::Exhausted || result == CDocumentNumbers::EResult::NotRead)
        return result;
    TellNotice();
    if (!next.isEmpty())
        number = m_strProposed = next;
    return CDocumentNumbers::EResult::Taken;
}

QString CDialogNumber::Advance()
{
    CCounterInfo counter;
    if (counter.Load(m_nKind))
        counter.Increment();
    return Propose();
}
