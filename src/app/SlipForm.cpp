#include "app/SlipForm.h"

#include <QWidget>

#include "platform/env/ArdoEnv.h"
#include "platform/forms/PloMainData.h"
#include "platform/forms/SelForm.h"
#include "platform/forms/SlipFormCommand.h"
#include "platform/ipc/ClipboardFormats.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "resources/CommandIds.h"

namespace
{

void Repaint(QWidget* view)
{
    if (view)
        view->update();
}

QString BackupFilter(bool withAllFiles)
{
    return ProgramTitle() + QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ(*.vrb)|*.vrb|") +
           (withAllFiles ? QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*||") : QStringLiteral("|"));
}

} // namespace

void FreeStringPtrList(CFormPrintList* list)
{
    if (list)
        list->clear();
}

namespace SlipForm
{

QString ProgramPath()
{
    return CArdoEnv().GetProgramFolder() + QStringLiteral("/MorvekForm");
}

int OpenSlipForm(int kind, const QString& text, long layout)
{
    if (layout == 0) {
        layout = CSelForm().SelectForm(kind, 0);
        if (layout < 1)
            return 0;
    }
    if (kind == 2 && CPloMainData().GetFormBunrui(layout) == 2)
        kind = 3;
    QString commandLine;
    if (kind >= 1 && kind <= 5)
        commandLine = text.isEmpty() ? CSlipFormCommand::NewSlip(layout, kind)
                                     : CSlipFormCommand::NewSlipFor(layout, kind, text);
    else if (kind >= 6 && kind <= 13)
        commandLine = CSlipFormCommand::WorkTables(layout, kind);
    return RunSlipFormProgram(commandLine);
}

int RunSlipFormProgram(const QString& commandLine)
{
    if (commandLine.isEmpty())
        return 0;
    if (RunExe(ProgramPath(), commandLine))
        return 1;
    UiServices::Prompt().MessageBox(QStringLiteral("フォーム画面を起動できません"), MB_OK,
                                    MB_ICONEXCLAMATION);
    return 0;
}

int PutSlipListOnClipboard(const CFormPrintList* list, long layout)
{
    if (!list || list->isEmpty() || layout < 0)
        return -1;
    // The slip-form program could never open such a file, so the batch is
    // refused with a word rather than handed over without it.
    for (const CFormPrintItem& item : *list) {
        const QString problem = UnusableCharsProblem(
            QStringLiteral("伝票ファイル名<%1>").arg(item.m_strFileName), item.m_strFileName);
        if (!problem.isEmpty()) {
            UiServices::Prompt().MessageBox(problem, MB_OK, MB_ICONEXCLAMATION);
            return -1;
        }
    }
    const QByteArray block = EncodeSlipList(*list);
    const uint format = RegisterClipboardFormat(QStringLiteral("CF_RL_MORVEK") + QString::number(layout));
    if (format == 0 || !SetClipboardBlock(format, block))
        return -1;
    return int(format);
}

int NewSlipKindOfCommand(int commandId)
{
    switch (commandId) {
    case ID_ESTIMATE_NEW:
        return 1;
    case ID_SALES_NEW:
        return 2;
    case ID_ORDER_NEW:
        return 4;
    case ID_STOCK_NEW:
        return 5;
    default:
        return 0;
    }
}

void OnNewSlipCommand(int commandId, QWidget* activeView)
{
    OpenSlipForm(NewSlipKindOfCommand(commandId), QString(), 0);
    Repaint(activeView);
}

void OnFormCtrlCommand(QWidget* activeView)
{
    CSelForm().DoModalFormCtrlDlg();
    Repaint(activeView);
}

void OnBackupOrgCommand()
{
    IPrompt& prompt = UiServices::Prompt();
    CPloMainData data;
    if (!data.ReadPickUp()) {
        prompt.MessageBox(
            QStringLiteral("オリジナルフォーム情報を取得できません。\nバックアップできません。"), MB_OK,
            MB_ICONEXCLAMATION);
        return;
    }
    if (data.GetUserForms().isEmpty()) {
        prompt.MessageBox(QStringLiteral("オリジナルフォームがありません。バックアップを中止します。"), MB_OK,
                          MB_ICONEXCLAMATION);
        return;
    }
    prompt.MessageBox(
        QStringLiteral(
            "すべてのオリジナルフォームのバックアップをおこないます。\n"
            "オリジナルフォームのバックアップでは、フォームに含まれる画像データのバックアップは行いません。\n"
            "フォームに画像が含まれている場合は、個別にデータを保存しておく必要があります。"),
        MB_OK, MB_ICONINFORMATION);
    const QString path =
        prompt.GetSaveFileName(QStringLiteral("ｵﾘｼﾞﾅﾙﾌｫｰﾑ情報のﾊﾞｯｸｱｯﾌﾟ"),
                               CArdoEnv().GetDataRoot() + QStringLiteral("/ｵﾘｼﾞﾅﾙﾌｫｰﾑ情報.vrb"),
                               BackupFilter(false), QStringLiteral("vrb"));
    if (!path.isEmpty())
        CSelForm().BackupOrg(path);
}

void OnRestoreOrgCommand()
{
    IPrompt& prompt = UiServices::Prompt();
    const int answer = prompt.MessageBox(
        QStringLiteral(
            "オリジナルフォームの情報をバックアップを取ったときの状態に戻します。"
            "バックアップを取ったあとに行った変更や新しく作成したオリジナルフォームの情報は失われます。\n"
            "復元してよろしいですか？\n"
            "復元してよい場合は【はい】をクリックしたあとバックアップファイルを指定してください。"),
        MB_YESNO, MB_ICONQUESTION, IDNO);
    if (answer != IDYES)
        return;
    const QString path = prompt.GetOpenFileName(QStringLiteral("ｵﾘｼﾞﾅﾙﾌｫｰﾑ情報の復元"),
                                                CArdoEnv().GetDataRoot(), BackupFilter(true));
    if (!path.isEmpty())
        CSelForm().RestoreOrg(path);
}

} // namespace SlipForm
