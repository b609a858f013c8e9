#include "slips/SlipCommands.h"

#include "app/SlipPeriod.h"
#include "slips/SlipList.h"
#include "slips/SlipListRules.h"

#include "app/SlipForm.h"
#include "platform/archive/SafeFile.h"
#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/SqlText.h"
#include "platform/data/TradeSide.h"
#include "platform/forms/PloMainData.h"
#include "platform/forms/SelForm.h"
#include "platform/forms/SlipFormCommand.h"
#include "platform/office/QRTData.h"
#include "platform/text/Cp932.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace
{

constexpr int kBatch = 250;

int Ask(const QString& text, int buttons, int icon, int defaultButton = 0)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton);
}

void Tell(const QString& text, int icon = MB_ICONNONE)
{
    UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

// A failed step: the fatal message, or the step's line and the library's text.
void TellFailure(int result, const QString& firstLine, const QString& err)
{
    if (result == CMakeMsgID::kFatal)
        ShowSlipFatalMessage();
    else
        Tell(firstLine + err);
}

// Runs the writes as one unit: all of them or none. A step may name its
// own first line for the failure message.
template <class Steps> int InTransaction(CMakeMsgID& data, QString failureLine, Steps steps)
{
    QString err;
    int result = data.BeginTransaction(err);
    if (result != CMakeMsgID::kOk) {
        TellFailure(result, failureLine, err);
        return 0;
    }
    result = steps(err, failureLine);
    if (result == CMakeMsgID::kOk)
        result = data.Commit(err);
    if (result != CMakeMsgID::kOk) {
        QString ignored;
        data.Rollback(ignored);
        TellFailure(result, failureLine, err);
        return 0;
    }
    return 1;
}

} // namespace

QString CSlipCommands::FindFormFile(const QString& databaseFolder, const QString& fileName)
{
    if (databaseFolder.isEmpty() || fileName.isEmpty() || fileName.contains(u'/') ||
        fileName.contains(u'\\') || fileName == u"." || fileName == u"..")
        return {};
    QString files = databaseFolder + QStringLiteral("/Files");
    if (!QFileInfo(files).isDir()) {
        files.clear();
        for (const QString& name : QDir(databaseFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (name.compare(QStringLiteral("Files"), Qt::CaseInsensitive) == 0)
                files = databaseFolder + u'/' + name;
        }
        if (files.isEmpty())
            return {};
    }
    return FindFileNoCase(files, fileName);
}

int CSlipCommands::OnNew()
{
    return SlipForm::OpenSlipForm(m_list.GetSlipKind(), QString(), 0) ? 1 : 0;
}

int CSlipCommands::OnModify(const QList<int>& rows)
{
    if (rows.isEmpty()) {
        Tell(QStringLiteral("修正するデータを選択してください。\n"));
        return 0;
    }
    if (rows.size() > 1) {
        Tell(QStringLiteral("修正するデータを１つだけ選択してください。\n"));
        return 0;
    }
    const COneRecord* record = m_list.Model().RecordAt(rows[0]);
    if (!record) {
        Tell(QStringLiteral("レコードが設定されてません\n"));
        return 0;
    }
    const CTb* file = SlipField(record, QStringLiteral("FileName"));
    if (!file) {
        Tell(QStringLiteral("FileNameがありません\n"));
        return 0;
    }
    const QString fileName = file->GetText();
    if (fileName.isEmpty()) {
        Tell(QStringLiteral("以前起動したファイルがありません\n"));
        return 0;
    }
    int id = 0, formId = 0;
    if (!SlipFieldInt(record, QStringLiteral("ID"), id)) {
        Tell(QStringLiteral("IDがありません\n"));
        return 0;
    }
    if (!SlipFieldInt(record, QStringLiteral("FormID"), formId)) {
        Tell(QStringLiteral("LayoutIDがありません\n"));
        return 0;
    }
    CPloMainData layouts;
    if (formId > CLayoutInfo::kUserFormBase && !layouts.GetLayoutInfo(formId)) {
        Tell(QStringLiteral("オリジナルフォームが削除されたため、修正できません。\n別フォームへデータを転記し"
                            "、保存しなおしてください。\n"));
        return 0;
    }
    int kind = m_list.GetSlipKind();
    if (kind == 2 && layouts.GetFormBunrui(formId) == 2)
        kind = 3;
    return SlipForm::RunSlipFormProgram(CSlipFormCommand::Reopen(fileName, kind, id));
}

int CSlipCommands::OnDelete(const QList<int>& rows)
{
    const CWaitCursor wait;
    if (rows.isEmpty()) {
        Tell(QStringLiteral("削除するデータを選択してください。\n"));
        return 0;
    }
    const CSlipMode* mode = m_list.GetMode();
    if (!mode)
        return 0;
    CSlipListModel& model = m_list.Model();
    CMakeMsgID& data = m_list.Data();
    QList<qint64> ids;
    QStringList files;
    QList<qint64> billedBy; // the closing of each billed slip, in row order
    for (int row : rows) {
        const COneRecord* record = model.RecordAt(row);
        if (!record) {
            Tell(QStringLiteral("レコードが設定されてません\n"));
            return 0;
        }
        if (mode->closing) {
            int seikyu = 0;
            if (!SlipFieldInt(record, QStringLiteral("SeikyuID"), seikyu)) {
                Tell(QStringLiteral("SeikyuIDがありません\n"));
                return 0;
            }
            if (seikyu != 0 && !billedBy.contains(seikyu))
                billedBy << seikyu;
        }
        int id = 0;
        if (SlipFieldInt(record, QStringLiteral("ID"), id))
            ids << id;
        files << SlipFieldText(record, QStringLiteral("FileName"));
    }
    // The closings that billed the slips: account closings (TudoFlg 1) and
    // per-slip invoices (0), read in batches.
    QList<qint64> accountClosings, slipInvoices;
    const QString closingTable = mode->closing ? QString::fromLatin1(mode->closing) : QString();
    for (const QString& condition : MakeIdConditions(billedBy, kBatch)) {
        CCDSData request, result;
        request.m_strTable = closingTable;
        request.m_strCondition = condition;
        QString err;
        const int answer = data.GetDataList(request, result, err);
        if (answer != CMakeMsgID::kOk) {
            TellFailure(answer, QStringLiteral("データの取得に失敗しました。\n"), err);
            return 0;
        }
        for (int i = 0; i < result.GetCount(); ++i) {
            const COneRecord* closing = result.GetAt(i);
            int id = 0, tudo = -1;
            SlipFieldInt(closing, QStringLiteral("ID"), id);
            if (!SlipFieldInt(closing, QStringLiteral("TudoFlg"), tudo)) {
                Tell(QStringLiteral("TudoFlgがありません\n"));
                return 0;
            }
            if (tudo == 1)
                accountClosings << id;
            else if (tudo == 0)
                slipInvoices << id;
        }
    }
    QString question =
        QStringLiteral("一旦削除したデータは、元に戻すことは出来ません。\n本当に削除してよろしいですか？");
    if (!accountClosings.isEmpty())
        question = QStringLiteral(
            "注意！\n\n　請求済みの伝票を削除しようとしています。\n"
            "　この伝票を削除すると、この得意先の締め処理は取り消されます。\n"
            "　必要であれば、削除後に再度締め処理を行なってください。\n"
            "　（詳しくはマニュアル、またはヘルプをご覧ください。）\n\n本当に削除してもよろしいですか？");
    else if (!slipInvoices.isEmpty())
        question = QStringLiteral("請求済みの伝票を削除しようとしています。\n本当に削除してよろしいですか？");
    if (Ask(question, MB_YESNO, MB_ICONEXCLAMATION, IDNO) != IDYES)
        return 0;

    const QStringList conditions = MakeIdConditions(ids, kBatch);
    const int done = InTransaction(
        data, QStringLiteral("データの削除に失敗しました。\n"), [&](QString& err, QString& line) {
            // The closings go first, releasing the money booked to them; only
            // then the slips they billed.
            if (const CTradeSide* side = CTradeSide::OfClosing(closingTable);
                side && (!accountClosings.isEmpty() || !slipInvoices.isEmpty())) {
                QList<int> undo;
                for (qint64 id : accountClosings + slipInvoices)
                    undo << int(id);
                const int result = CClosingService(data).Undo(*side, undo).Answer(err);
                if (result != CMakeMsgID::kOk) {
                    line = QStringLiteral("締め請求の取り消しに失敗しました。\n");
                    return result;
                }
            }
            line = QStringLiteral("データの削除に失敗しました。\n");
            for (const QString& condition : conditions) {
                CCDSData request;
                request.m_strTable = m_list.GetHeaderTable();
                request.m_strCondition = condition;
                const int result = data.DeleteData(request, err);
                if (result != CMakeMsgID::kOk)
                    return result;
            }
            return int(CMakeMsgID::kOk);
        });
    if (!done)
        return 0;

    // The form files go only once the slips are gone for good.
    int missing = 0;
    for (const QString& name : files) {
        if (name.isEmpty())
            continue;
        const QString path = FindFormFile(data.GetFolder(), name);
        if (path.isEmpty() || !QFile::remove(path))
            ++missing;
    }
    if (missing)
        Tell(QStringLiteral("削除するファイル（*.vrh）が存在しませんでした。"));
    m_list.Reload();
    Tell(QStringLiteral("削除しました。"), MB_ICONINFORMATION);
    return 1;
}

int CSlipCommands::OnChangeStatus(const QList<int>& rows)
{
    const int kind = m_list.GetViewKind();
    if (kind == 5) {
        Tell(QStringLiteral("売上一覧は変更できません。\n"));
        return 0;
    }
    if (kind == 7) {
        Tell(QStringLiteral("仕入一覧は変更できません。\n"));
        return 0;
    }
    if (rows.isEmpty()) {
        Tell(QStringLiteral("データを選択してください。\n"));
        return 0;
    }
    QList<int> statuses;
    for (int row : rows) {
        int status = 0;
        if (SlipFieldInt(m_list.Model().RecordAt(row), QStringLiteral("Status"), status))
            statuses << status;
    }
    const int status = DecideNewStatus(statuses);
    const QString question =
        status == 1 ? QStringLiteral("選択したデータの状況を「成立」に変更してもよろしいですか？")
                    : QStringLiteral("選択したデータの状況を「未成立」に変更してもよろしいですか？");
    if (Ask(question, MB_YESNO, MB_ICONQUESTION, IDNO) != IDYES)
        return 0;
    if (!SetStatusOfRows(rows, status))
        return 0;
    Tell(QStringLiteral("変更しました。"), MB_ICONINFORMATION);
    return 1;
}

int CSlipCommands::OnStateIconClick(int row, const QList<int>& selected)
{
    const int kind = m_list.GetViewKind();
    if ((kind != 4 && kind != 6) || !m_list.Model().RecordAt(row))
        return 0;
    const bool ticked = m_list.Model().IsChecked(row);
    const QString question =
        !ticked ? QStringLiteral("選択したデータの状況を「成立」に変更してもよろしいですか？")
                : QStringLiteral("選択したデータの状況を「未成立」に変更してもよろしいですか？");
    if (Ask(question, MB_OKCANCEL, MB_ICONQUESTION) != IDOK)
        return 0;
    return SetStatusOfRows(selected.contains(row) ? selected : QList<int>{row}, ticked ? 0 : 1);
}

int CSlipCommands::SetStatusOfRows(const QList<int>& rows, int status)
{
    CSlipListModel& model = m_list.Model();
    QList<qint64> ids;
    for (int row : rows) {
        int id = 0;
        if (SlipFieldInt(model.RecordAt(row), QStringLiteral("ID"), id))
            ids << id;
    }
    CMakeMsgID& data = m_list.Data();
    const QString header = m_list.GetHeaderTable();
    const QStringList conditions = MakeIdConditions(ids, kBatch);
    const int done =
        InTransaction(data, QStringLiteral("データの変更に失敗しました。\n"), [&](QString& err, QString&) {
            for (const QString& condition : conditions) {
                CCDSData set;
                set.m_strTable = header;
                set.m_strCondition = condition;
                set.AddNew()->SetField(header + QStringLiteral(".Status"), status);
                const int result = data.UpdateData(set, err);
                if (result != CMakeMsgID::kOk)
                    return result;
            }
            return int(CMakeMsgID::kOk);
        });
    if (!done)
        return 0;
    for (int row : rows) {
        COneRecord* record = model.RecordAt(row);
        if (CTb* field = record ? record->GetOneField(QString(), QStringLiteral("Status")) : nullptr)
            *field = status;
        model.RefreshRow(row);
    }
    return 1;
}

int CSlipCommands::OnBatchPrint(const QList<int>& rows)
{
    if (rows.isEmpty()) {
        Tell(QStringLiteral("データを選択してください。\n"));
        return 0;
    }
    CSlipListModel& model = m_list.Model();
    const CQXColSet& columns = model.GetColumns();
    const int noColumn = columns.IndexOf(QStringLiteral("No"));
    const int nameColumn = columns.IndexOf(QStringLiteral("Company_Section_Name"));
    CPloMainData layouts;
    QString lost;
    QList<CBatchSlip> slips;
    for (int row : rows) {
        const COneRecord* record = model.RecordAt(row);
        if (!record)
            continue;
        int formId = 0;
        SlipFieldInt(record, QStringLiteral("FormID"), formId);
        const CLayoutInfo* info = layouts.GetLayoutInfo(formId);
        if (formId > CLayoutInfo::kUserFormBase && !info) {
            lost += QStringLiteral("伝票番号：%1　得意先名：%2\n")
                        .arg(model.GetCellText(row, noColumn), model.GetCellText(row, nameColumn));
            continue;
        }
        CBatchSlip slip;
        int id = 0;
        SlipFieldInt(record, QStringLiteral("ID"), id);
        slip.id = id;
        slip.fileName = SlipFieldText(record, QStringLiteral("FileName"));
        slip.layout = formId > CLayoutInfo::kUserFormBase ? info->m_nLayout : formId;
        slips << slip;
    }
    if (!lost.isEmpty())
        Tell(lost + QStringLiteral("\n上記の伝票は、オリジナルフォームが削除されたため印刷できません。\n"));
    if (slips.isEmpty())
        return 0;
    const QList<CBatchPass> passes = PlanBatchPrint(slips);
    if (passes.isEmpty()) {
        Tell(QStringLiteral("印刷フォームの情報が取得できませんでした。"));
        return 0;
    }
    for (qsizetype i = 0; i < passes.size(); ++i) {
        const CBatchPass& pass = passes[i];
        if (i > 0 &&
            Ask(QStringLiteral("次の印刷フォームを起動しますか？"), MB_YESNO, MB_ICONQUESTION) != IDYES)
            return 0;
        if (i == 0 && pass.slips.size() < slips.size())
            Tell(QStringLiteral("選択した得意先の印刷フォームが異なります。\nフォーム別に起動します。\n"));
        CFormPrintList list;
        for (const CBatchSlip& slip : pass.slips)
            list.append(CFormPrintItem{quint32(slip.id), slip.fileName});
        const int format = SlipForm::PutSlipListOnClipboard(&list, pass.layout);
        FreeStringPtrList(&list);
        if (format < 0) {
            Tell(QStringLiteral("クリップボードにデータ転送できないため、印刷できません。"));
            return 0;
        }
        SlipForm::RunSlipFormProgram(CSlipFormCommand::Clipboard(pass.layout, m_list.GetSlipKind(), format));
    }
    // Slips whose form names no layout could not go with any pass.
    qsizetype printed = 0;
    for (const CBatchPass& pass : passes)
        printed += pass.slips.size();
    if (printed < slips.size())
        Tell(QStringLiteral("印刷フォームの情報が取得できませんでした。"));
    return 1;
}

int CSlipCommands::OnAddressPrint(const QList<int>& rows)
{
    if (rows.isEmpty()) {
        Tell(QStringLiteral("データを選択してください。\n"));
        return 0;
    }
    const CSlipMode* mode = m_list.GetMode();
    if (!mode)
        return 0;
    CSlipListModel& model = m_list.Model();
    const QString codeField = QString::fromLatin1(mode->partner);
    const QString partnerTable = QString::fromLatin1(mode->partnerTable);
    QStringList codes;
    QSet<QString> seen;
    for (int row : rows) {
        const QString code = SlipFieldText(model.RecordAt(row), codeField);
        if (!seen.contains(code)) {
            seen.insert(code);
            codes << code;
        }
    }
    // The masters in batches: one condition of thousands of codes is more
    // than the database takes.
    CMakeMsgID& data = m_list.Data();
    CCDSData masters;
    for (qsizetype start = 0; start < codes.size(); start += kBatch) {
        QStringList quoted;
        for (qsizetype i = start; i < codes.size() && i < start + kBatch; ++i)
            quoted << u'\'' + SqlQuote(codes[i]) + u'\'';
        CCDSData request;
        request.m_strTable = partnerTable;
        request.m_strCondition = QStringLiteral("WHERE %1 IN (%2)").arg(codeField, quoted.join(u','));
        QString err;
        const int result = data.GetDataList(request, masters, err);
        if (result != CMakeMsgID::kOk) {
            TellFailure(result, QStringLiteral("データの取得に失敗しました。\n"), err);
            masters.RemoveAll();
            break;
        }
    }
    QHash<QString, const COneRecord*> masterOf;
    for (int i = 0; i < masters.GetCount(); ++i) {
        const COneRecord* master = masters.GetAt(i);
        masterOf.insert(SlipFieldText(master, codeField), master);
    }
    const bool telFromSlip = mode->closing != nullptr;
    CCDSData labels;
    labels.m_strTable = QStringLiteral("WAtena");
    for (int row : rows) {
        const COneRecord* slip = model.RecordAt(row);
        if (!slip)
            continue;
        const QString code = SlipFieldText(slip, codeField);
        const COneRecord* master = masterOf.value(code);
        COneRecord* label = labels.AddNew();
        auto put = [&](const char* field, const QString& value) {
            label->SetField(QStringLiteral("WAtena.") + QLatin1String(field), value);
        };
        label->SetField(QStringLiteral("WAtena.ID"), 0);
        put("CustomerCode", code);
        for (const char* field : {"Company", "Section", "Name", "Keisho", "Keisho2", "Zip", "Address"})
            put(field, SlipFieldText(slip, QLatin1String(field)));
        put("TEL", telFromSlip ? SlipFieldText(slip, QStringLiteral("TEL"))
                               : SlipFieldText(master, QStringLiteral("TEL")));
        put("FAX", SlipFieldText(master, QStringLiteral("FAX")));
        put("MyPerson", SlipFieldText(slip, QStringLiteral("MyPerson")));
        int total = 0;
        if (const CTb* field = SlipField(slip, QStringLiteral("Total")))
            field->GetData(total);
        label->SetField(QStringLiteral("WAtena.Amount"), total);
    }
    QString err;
    const int result = data.InsertData(labels, err);
    if (result != CMakeMsgID::kOk) {
        // The slip-form program would print whatever the work table held before.
        TellFailure(result, QStringLiteral("データ書き出しに失敗しました。\n"), err);
        return 0;
    }
    return SlipForm::OpenSlipForm(11, QString(), 0) ? 1 : 0;
}

int CSlipCommands::OnTranscribe(const QList<int>& rows)
{
    if (rows.isEmpty()) {
        Tell(QStringLiteral("転記するデータを選択してください。\n"));
        return 0;
    }
    if (rows.size() > 1) {
        Tell(QStringLiteral("転記するデータを一つ選択してください。\n"));
        return 0;
    }
    int id = 0;
    if (!SlipFieldInt(m_list.Model().RecordAt(rows[0]), QStringLiteral("ID"), id)) {
        Tell(QStringLiteral("選択したデータの情報が取得できませんでした。\n"));
        return 0;
    }
    const int listKind = m_list.GetSlipKind();
    int target = listKind;
    if (listKind == 1) {
        int choice = 0;
        if (RunChoiceDialog(7, choice) != IDOK)
            return 0;
        target = choice == 0 ? 2 : 1;
    }
    const long layout = CSelForm().SelectForm(target, 0);
    if (layout < 1)
        return 0;
    const int mode = target == listKind ? 1 : 2;
    if (target == 2 && CPloMainData().GetFormBunrui(layout) == 2)
        target = 3;
    return SlipForm::RunSlipFormProgram(CSlipFormCommand::Transfer(layout, target, id, mode));
}

QString CSlipCommands::MakeExportMemo(const QList<QStringList>& lines, const QString& tax)
{
    QString memo = QStringLiteral("品番 品名 数量 単位 単価 金額 備考\r\n");
    for (const QStringList& line : lines)
        memo += line.join(u' ') + QStringLiteral("\r\n");
    memo += QStringLiteral("（税額：") + tax + QStringLiteral("）");
    return Cp932::TruncateToBytes(memo, 2000);
}

int CSlipCommands::OnExport(const QList<int>& rows)
{
    const CWaitCursor wait;
    if (m_list.GetViewKind() != 5)
        return 0;
    CExportRireki exporter;
    if (exporter.CheckInstVer() != 1) {
        Tell(exporter.GetError(), MB_ICONEXCLAMATION);
        return 0;
    }
    if (rows.isEmpty()) {
        Tell(QStringLiteral("書き出すデータを選択してください。\n"));
        return 0;
    }
    if (Ask(QStringLiteral("選択されている%1件の情報を書き出します。よろしいですか？").arg(rows.size()),
            MB_YESNO, MB_ICONQUESTION) != IDYES)
        return 0;
    CSlipListModel& model = m_list.Model();
    QList<const COneRecord*> slips;
    QList<qint64> ids;
    for (int row : rows) {
        if (const COneRecord* record = model.RecordAt(row)) {
            slips << record;
            int id = 0;
            SlipFieldInt(record, QStringLiteral("ID"), id);
            ids << id;
        }
    }
    // The lines of every slip, read in batches rather than slip by slip.
    CMakeMsgID& data = m_list.Data();
    CCDSData lines;
    for (const QString& condition : MakeIdConditions(ids, kBatch, QStringLiteral("HeaderID"))) {
        CCDSData request;
        request.m_strTable = QStringLiteral("Sales_B");
        request.m_strCondition = condition + QStringLiteral(" ORDER BY HeaderID, LineNo, ID");
        QString err;
        const int result = data.GetDataList(request, lines, err);
        if (result == CMakeMsgID::kFatal) {
            ShowSlipFatalMessage();
            return 0;
        }
        if (result != CMakeMsgID::kOk) {
            Tell(QStringLiteral("データの取得に失敗しました。\n") + err);
            lines.RemoveAll();
            break;
        }
    }
    QHash<qint64, QList<QStringList>> linesOf;
    for (int i = 0; i < lines.GetCount(); ++i) {
        const COneRecord* line = lines.GetAt(i);
        int header = 0, type = 0;
        SlipFieldInt(line, QStringLiteral("HeaderID"), header);
        if (SlipFieldInt(line, QStringLiteral("ItemType"), type) && type == 9)
            continue;
        QStringList texts;
        for (const char* field : {"ItemCode", "ItemName", "Number", "Unit", "Price", "Amount", "Remarks"})
            texts << SlipFieldText(line, QLatin1String(field));
        linesOf[header] << texts;
    }
    for (qsizetype i = 0; i < slips.size(); ++i) {
        const COneRecord* slip = slips[i];
        CQXRireki record;
        if (const CTb* date = SlipField(slip, QStringLiteral("Date")))
            date->GetData(record.m_dtDate);
        record.m_strPerson = SlipFieldText(slip, QStringLiteral("MyPerson"));
        int total = 0;
        if (const CTb* field = SlipField(slip, QStringLiteral("Total")))
            field->GetData(total);
        record.m_dTotal = total;
        record.m_strKind = QStringLiteral("購入");
        record.m_strTitle = QStringLiteral("Corvanta");
        record.m_strMemo = MakeExportMemo(linesOf.value(ids[i]), SlipFieldText(slip, QStringLiteral("Tax")));
        exporter.SetRireki(SlipFieldText(slip, QStringLiteral("CustomerCode")), record);
    }
    if (exporter.Export() != 1) {
        Tell(QStringLiteral("書き出しに失敗しました。\n") + exporter.GetError(), MB_ICONEXCLAMATION);
        return 0;
    }
    Tell(QStringLiteral("書き出しを完了しました。"), MB_ICONINFORMATION);
    return 1;
}
