#include "settings/db/Compaction.h"

#include "platform/data/Compact.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/db/DbSession.h"

namespace
{

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon);
}

} // namespace

int CompactDatabase(IDbSession& session)
{
    const QString title = ProgramTitle();
    const int answer = session.Release();
    if (answer == 50) {
        Message(QStringLiteral("データベースを最適化するには、メニュー画面以外の『") + title +
                QStringLiteral("』の各画面を閉じる必要があります。\n画面を閉じてから再度操作してください。"));
        return 0;
    }
    if (answer == -4) {
        Message(QStringLiteral("現在、データベース処理が行われているため最適化できません。\n"
                               "処理が終了してから再度操作してください。"));
        return 0;
    }
    if (answer != 1) {
        Message(QStringLiteral("データベースとの接続を切断できませんでした。最適化できません。\n一旦『") +
                title + QStringLiteral("』を終了して再起動してください。"));
        return 0;
    }
    if (session.Connect() != 1) {
        Message(
            QStringLiteral(
                "データベースへの再接続ができませんでした。最適化できません。\nこのまま『%1』を使用することは"
                "できません。\n\nアプリケーションを終了して起動しなおしてください。")
                .arg(title),
            MB_OK, MB_ICONSTOP);
        return 0;
    }
    if (Message(
            QStringLiteral("データベースの最適化を行います。データ量によっては時間がかかる場合がありますが、"
                           "途中でキャンセルすることはできません。\n最適化を開始してよろしいですか？"),
            MB_YESNO, MB_ICONINFORMATION) != IDYES)
        return 0;

    QString info, err;
    int result;
    bool remade = false;
    {
        CWaitCursor wait;
        result = CompactDB(session.GetMakeMsgID(), info, err, &remade);
    }
    if (remade)
        Message(CMakeMsgID::BookedBalancesRemadeText(), MB_OK, MB_ICONINFORMATION);
    if (result == 1) {
        Message(QStringLiteral("最適化が終了しました"), MB_OK, MB_ICONINFORMATION);
    } else if (result == -100) {
        QString text =
            QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + title +
            QStringLiteral("』を使用することはできません。\nすみやかにアプリケーションを終了してください。");
        if (!err.isEmpty())
            text += QStringLiteral("\n\n<詳細>\n") + err;
        Message(text, MB_OK, MB_ICONSTOP);
    } else {
        Message(err.isEmpty() ? QStringLiteral("最適化できませんでした") : err);
    }
    return result;
}
