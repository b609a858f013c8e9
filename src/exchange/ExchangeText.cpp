#include "exchange/ExchangeText.h"

#include "platform/text/TextHelpers.h"
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

namespace
{

QString Figure(qint64 n)
{
    return InsertThousandsSeparators(QString::number(n));
}

// A bound in tens of thousands where it is a round number of them.
QString BoundFigure(qint64 most)
{
    return most % 10000 == 0 ? Figure(most / 10000) + u'万' : Figure(most);
}

} // namespace

QString TextBoundText(qint64 most)
{
    return QStringLiteral("1シートに読み込める文字は%1文字までです。").arg(BoundFigure(most));
}

QString CellBoundText(qint64 most, qint64 rows, qint64 columns, bool atLeast)
{
    QString text =
        QStringLiteral("1シートに読み込めるのは%1セル（行数×列数）までです。").arg(BoundFigure(most));
    if (rows >= 0 && columns >= 0)
        text += (atLeast ? QStringLiteral("このシートは少なくとも%1行×%2列あります。")
                         : QStringLiteral("このシートは%1行×%2列です。"))
                    .arg(Figure(rows), Figure(columns));
    return text;
}

void ShowExchangeMessage(const QString& text, int icon)
{
    UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

CWaitProgress::CWaitProgress(qint64 total, const QString& text)
    : m_nTotal(qMax<qint64>(0, total)), m_dialog(m_nTotal > 0 ? 100 : 0, text)
{
}

void CWaitProgress::SetPos(qint64 done)
{
    if (!m_bOpen || m_nTotal == 0)
        return;
    const int percent = int(qBound(qint64(0), done * 100 / m_nTotal, qint64(100)));
    if (percent > m_nShown) {
        m_nShown = percent;
        UiServices::Wait().SetPos(percent);
    }
}

void CWaitProgress::End()
{
    m_bOpen = false;
    m_dialog.DestroyWindow();
}
