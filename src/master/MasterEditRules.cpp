#include "master/MasterEditRules.h"

#include "master/MasterDb.h"
#include "master/MasterList.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/data/SqlText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

namespace
{

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE, int defaultButton = 0)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton);
}

// The terms joined by " OR " after "WHERE ", per batch of `size` terms.
QStringList OrBatches(const QStringList& terms, int size)
{
    QStringList conditions;
    for (qsizetype start = 0; start < terms.size(); start += size)
        conditions << QStringLiteral("WHERE ") + terms.mid(start, size).join(QStringLiteral(" OR "));
    return conditions;
}

bool IsTextField(const QString& field)
{
    static const QStringList texts{
        QStringLiteral("CollectType"), QStringLiteral("MyPerson"), QStringLiteral("Class1"),
        QStringLiteral("Class2"),      QStringLiteral("Class3"),   QStringLiteral("Class4"),
        QStringLiteral("Class5"),      QStringLiteral("Keisho"),   QStringLiteral("Keisho2")};
    return texts.contains(field);
}

bool IsClassField(const QString& field)
{
    return field.size() == 6 && field.startsWith(QLatin1StringView("Class")) && field[5] >= u'1' &&
           field[5] <= u'5';
}

} // namespace

CMasterEditRules::CMasterEditRules(CMasterList& list) : m_list(list) {}

QStringList CMasterEditRules::IdBatchConditions(const QList<int>& ids, int size)
{
    QStringList terms;
    terms.reserve(ids.size());
    for (int id : ids)
        terms << QStringLiteral("(ID=%1)").arg(id);
    return OrBatches(terms, size);
}

QString CMasterEditRules::GetPartnerWord() const
{
    return m_list.GetKind().Word();
}

QList<int> CMasterEditRules::SelectedIds(const QList<int>& rows) const
{
    QList<int> ids;
    const QString table = m_list.GetTableName();
    for (int row : rows) {
        const COneRecord* record = m_list.Model().RecordAt(row);
        const CTb* field = record ? record->GetOneField(table, QStringLiteral("ID")) : nullptr;
        int id = 0;
        if (field && field->GetData(id))
            ids << id;
    }
    return ids;
}

QStringList CMasterEditRules::SelectedCodes(const QList<int>& rows) const
{
    QStringList codes;
    const QString table = m_list.GetTableName(), codeField = m_list.GetCodeFieldName();
    for (int row : rows) {
        const COneRecord* record = m_list.Model().RecordAt(row);
        const CTb* field = record ? record->GetOneField(table, codeField) : nullptr;
        codes << (field ? field->GetText() : QString());
    }
    return codes;
}

void CMasterEditRules::Rollback()
{
    QString err;
    m_list.Db().Rollback(err);
}

bool CMasterEditRules::AnySelectedHasValue(const QList<int>& rows, const QString& field, int value) const
{
    const QString table = m_list.GetTableName();
    for (int row : rows) {
        const COneRecord* record = m_list.Model().RecordAt(row);
        const CTb* tb = record ? record->GetOneField(table, field) : nullptr;
        int held = 0;
        if (tb && tb->GetData(held) && held == value)
            return true;
    }
    return false;
}

QString CMasterEditRules::CloseDaySlipTerm(const CTradeSide& side, const QString& code, bool perSlip)
{
    const QString slips = QString::fromLatin1(side.header);
    const QString codeField = QString::fromLatin1(side.code);
    return perSlip
               ? QStringLiteral("((%1.%2='%3') AND (%1.SeikyuID=0))").arg(slips, codeField, SqlQuote(code))
               : QStringLiteral("(%1.%2='%3')").arg(slips, codeField, SqlQuote(code));
}

int CMasterEditRules::CheckCloseDayChange(const QList<int>& rows, int day)
{
    const CTradeSide* side = m_list.GetKind().side;
    if (!side)
        return 1;
    const QString slips = QString::fromLatin1(side->header);
    const bool perSlip = day == 0;
    QStringList terms;
    for (const QString& code : SelectedCodes(rows))
        terms << CloseDaySlipTerm(*side, code, perSlip);
    for (const QString& condition : OrBatches(terms, perSlip ? kUnbilledBatch : kBatch)) {
        CCDSData request;
        request.m_strTable = slips;
        request.m_strCondition = condition;
        int count = 0;
        QString err;
        const int result = m_list.Db().GetDataNum(request, count, err);
        if (result == CMakeMsgID::kFatal) {
            ShowFatalDataMessage();
            return 0;
        }
        if (result != CMakeMsgID::kOk) {
            Message(err.isEmpty() ? FailureAdviceText(QStringLiteral("伝票件数を取得しようとして、")) : err,
                    MB_OK, MB_ICONEXCLAMATION);
            return 0;
        }
        if (count <= 0)
            continue;
        if (perSlip) {
            Message(
                QStringLiteral(
                    "！！！ご注意！！！\n締め処理をしていない伝票がありますので、締日の変更はできません。\n"
                    "締処理を行ってから変更してください。"),
                MB_OK, MB_ICONEXCLAMATION);
            return 0;
        }
        return Message(QStringLiteral("！！！ご注意！！！\n都度請求から締め請求に変更しようとしています。\n"
                                      "次回、締め請求を行った場合、いままでの請求額と入金額が前回請求額と今回"
                                      "入金額に加算されるようになります。\n"
                                      "よろしいですか？"),
                       MB_OKCANCEL, MB_ICONWARNING) == IDOK
                   ? 1
                   : 0;
    }
    return 1;
}

bool CMasterEditRules::StoredSpelling(const QString& field, QString& text)
{
    // The classification list gives "¥" back as "\" (and the other code
    // page 932 aliases as their partners); a value the records already hold
    // in another of these spellings keeps the spelling most of them have.
    // Where spellings are held equally often, the one typed stays if it is
    // among them.
    const QString folded = Cp932::FoldAliases(text);
    const QString table = m_list.GetTableName();
    const QString column = table + u'.' + field;
    const QString compared = SqlFoldedColumn(column, folded);
    if (compared == column)
        return true;
    CCDSData request, spellings;
    request.m_strCondition =
        QStringLiteral("SELECT %1 AS Spelling, COUNT(*) AS Held FROM %2 WHERE %3 = '%4' "
                       "GROUP BY %1 COLLATE BINARY ORDER BY Held DESC, %1 COLLATE BINARY")
            .arg(column, table, compared, SqlQuote(folded));
    QString err;
    const int result = m_list.Db().GetDataList(request, spellings, err);
    if (result == CMakeMsgID::kFatal) {
        ShowFatalDataMessage();
        return false;
    }
    if (result != CMakeMsgID::kOk) {
        Message(err.isEmpty() ? FailureAdviceText(QStringLiteral("データの取得に失敗しました。")) : err,
                MB_OK, MB_ICONEXCLAMATION);
        return false;
    }
    QString chosen;
    int most = -1;
    for (int i = 0; i < spellings.GetCount(); ++i) {
        const CTb* held = spellings.GetAt(i)->GetOneField(QString(), QStringLiteral("Spelling"));
        const CTb* count = spellings.GetAt(i)->GetOneField(QString(), QStringLiteral("Held"));
        int times = 0;
        // The comparison above ignores case; a spelling differing in case is another value.
        if (!held || !count || !count->GetData(times) || Cp932::FoldAliases(held->GetText()) != folded)
            continue;
        if (most >= 0 && times < most)
            break; // by count, most held first
        if (most < 0 || held->GetText() == text)
            chosen = held->GetText();
        most = times;
    }
    if (most >= 0)
        text = chosen;
    return true;
}

bool CMasterEditRules::IsUsedInSlips(const QList<int>& rows, QString& message, bool& fatal)
{
    fatal = false;
    QStringList terms;
    const QString codeField = m_list.GetCodeFieldName();
    for (const QString& code : SelectedCodes(rows))
        terms << QStringLiteral("(%1='%2')").arg(codeField, SqlQuote(code));
    const QStringList tables = m_list.GetKind().UsageTables();
    for (const QString& condition : OrBatches(terms, kBatch)) {
        for (const QString& table : tables) {
            CCDSData request;
            request.m_strTable = table;
            request.m_strCondition = condition;
            int count = 0;
            QString err;
            const int result = m_list.Db().GetDataNum(request, count, err);
            if (result == CMakeMsgID::kFatal) {
                fatal = true;
                return true;
            }
            if (result != CMakeMsgID::kOk) {
                message =
                    err.isEmpty()
                        ? FailureAdviceText(QStringLiteral("削除可能件数を取得しようとして失敗しました。"))
                        : err;
                return true;
            }
            if (count > 0) {
                message = QStringLiteral(
                    "選択されているアイテムは既に取引で利用されています。削除することは出来ません");
                return true;
            }
        }
    }
    return false;
}

int CMasterEditRules::WriteIdBatches(const QList<int>& rows, CCDSData& request,
                                     const std::function<int(CCDSData&, QString&)>& write, QString& err)
{
    CMasterDb& db = m_list.Db();
    int result = CMakeMsgID::kOk;
    for (const QString& condition : IdBatchConditions(SelectedIds(rows))) {
        request.m_strCondition = condition;
        if ((result = write(request, err)) != CMakeMsgID::kOk)
            break;
    }
    if (result == CMakeMsgID::kOk)
        result = db.Commit(err);
    if (result != CMakeMsgID::kOk)
        Rollback();
    return result;
}

bool CMasterEditRules::ReportWrite(int result, const QString& err, const QString& failure)
{
    if (result == CMakeMsgID::kFatal) {
        ShowFatalDataMessage();
        return false;
    }
    if (result != CMakeMsgID::kOk) {
        Message(err.isEmpty() ? FailureAdviceText(failure) : err, MB_OK, MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

int CMasterEditRules::DeleteRows(const QList<int>& rows)
{
    const QString question = QStringLiteral("一旦削除したデータは、元に戻すことは出来ません。\n"
                                            "選択されている%1件のデータを本当に削除してよろしいですか？")
                                 .arg(rows.size());
    if (Message(question, MB_YESNO, MB_ICONQUESTION, IDNO) != IDYES)
        return 0;
    const CWaitCursor wait;
    CMasterDb& db = m_list.Db();
    QString err;
    int result = db.BeginTransaction(err);
    if (result == CMakeMsgID::kOk) {
        QString message;
        bool fatal = false;
        if (IsUsedInSlips(rows, message, fatal)) {
            Rollback();
            if (fatal)
                ShowFatalDataMessage();
            else
                Message(message, MB_OK, MB_ICONEXCLAMATION);
            Message(QStringLiteral("選択されているデータを削除できませんでした。"), MB_OK,
                    MB_ICONEXCLAMATION);
            return 0;
        }
        CCDSData request;
        request.m_strTable = m_list.GetTableName();
        result = WriteIdBatches(
            rows, request, [&db](CCDSData& batch, QString& e) { return db.DeleteData(batch, e); }, err);
    }
    if (!ReportWrite(result, err, QStringLiteral("データの削除に失敗しました。")))
        return 0;
    m_list.Model().RemoveRows(rows);
    m_list.LoadTotalCount();
    Message(QStringLiteral("削除しました。"), MB_OK, MB_ICONINFORMATION);
    return 1;
}

int CMasterEditRules::BulkModify(const QList<int>& rows, const CBulkEditResult& edit)
{
    const CWaitCursor wait;
    const QString table = m_list.GetTableName();
    const QString word = GetPartnerWord();
    const auto name = [&table](const QString& field) -> QString { return table + u'.' + field; };

    QString text = edit.text;
    if (IsClassField(edit.field) && !StoredSpelling(edit.field, text))
        return 0;

    CCDSData request;
    request.m_strTable = table;
    COneRecord* values = request.AddNew();
    if (edit.field == QLatin1StringView("Percent"))
        values->SetField(name(edit.field), edit.money);
    else if (IsTextField(edit.field))
        values->SetField(name(edit.field), text);
    else
        values->SetField(name(edit.field), edit.value1);
    values->SetField(name(QStringLiteral("LastUpdate")), UiServices::Clock().Now());
    if (edit.field == QLatin1StringView("CollectCycle"))
        values->SetField(name(QStringLiteral("CollectDay")), edit.value2);

    if (edit.field == QLatin1StringView("TaxType") && edit.value1 == 1 &&
        AnySelectedHasValue(rows, QStringLiteral("Day"), 0)) {
        Message(
            QStringLiteral("締日が「都度」の") + word +
                QStringLiteral("が含まれているため、\n税転嫁方法を「請求時」にすることができませんでした。\n"
                               "締日を「都度」以外に変更してから、再度変更を行なってください。"),
            MB_OK, MB_ICONEXCLAMATION);
        return 0;
    }
    if (edit.field == QLatin1StringView("Day") && edit.value1 == 0 &&
        AnySelectedHasValue(rows, QStringLiteral("TaxType"), 1)) {
        Message(QStringLiteral("税転嫁方法が「請求時」の") + word +
                    QStringLiteral("が含まれているため、\n締日を「都度」にすることができませんでした。\n"
                                   "税転嫁方法を「請求時」以外に変更してから、再度変更を行なってください。"),
                MB_OK, MB_ICONEXCLAMATION);
        return 0;
    }
    if (edit.field == QLatin1StringView("Day") && !CheckCloseDayChange(rows, edit.value1))
        return 0;

    CMasterDb& db = m_list.Db();
    QString err;
    int result;
    {
        const CWaitDlg indicator;
        result = db.BeginTransaction(err);
        if (result == CMakeMsgID::kOk)
            result = WriteIdBatches(
                rows, request, [&db](CCDSData& batch, QString& e) { return db.UpdateData(batch, e); }, err);
    }
    if (!ReportWrite(result, err, QStringLiteral("データの修正に失敗しました。")))
        return 0;
    QString done = QStringLiteral("一括変更されましたので、データを取得しなおします。");
    // The records' own spelling was written, not the one chosen: say so.
    if (text != edit.text)
        done += QStringLiteral("\n「%1」は、登録済みのデータと同じ表記「%2」で書き込みました。")
                    .arg(edit.text, text);
    Message(done, MB_OK, MB_ICONINFORMATION);
    m_list.Reload(true);
    return 1;
}
