#include "settings/db/DbSession.h"

#include "platform/ui/Prompt.h"

QString ReconnectFailedText()
{
    return QStringLiteral(
               "データベースへの再接続ができませんでした。\nこのまま『%1』を使用することはできません。\n\n"
               "アプリケーションを終了して起動しなおしてください。")
        .arg(ProgramTitle());
}

QString DatabaseInUseText(const QString& retry)
{
    return QStringLiteral(
               "このデータベースは、ほかで起動している『%1』、または他のユーザーが使用しています。\n"
               "そちらを終了してから、もう一度%2してください。")
        .arg(ProgramTitle(), retry);
}

QString CannotDisconnectText()
{
    return QStringLiteral("現在のデータベースとの接続を切ることができません。\n切り替えができません。");
}

QString OtherScreensOpenText(const QString& action)
{
    return action + QStringLiteral("には、メニュー画面以外の『") + ProgramTitle() +
           QStringLiteral("』の各画面を閉じる必要があります。\n画面を閉じてから再度操作してください。");
}
