#include "exchange/ExchangeText.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QFileDevice>
#include <QFileInfo>

QString FileErrorMessage(const QFileDevice& file)
{
    const QString name = file.fileName();
    const QFileInfo info(name);
    if (!info.exists())
        return QStringLiteral("%1 が見つかりません。").arg(name);
    if (file.error() == QFileDevice::PermissionsError || !info.isReadable())
        return QStringLiteral("%1 にアクセスできません。").arg(name);
    if (info.isDir())
        return QStringLiteral("%1 はファイルではありません。").arg(name);
    return QStringLiteral("%1 の読み込み中にエラーが発生しました。").arg(name);
}

void ShowExchangeMessage(const QString& text, int icon)
{
    UiServices::Prompt().MessageBox(text, MB_OK, icon);
}
