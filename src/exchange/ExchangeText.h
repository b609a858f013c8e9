#pragma once

#include "platform/ui/WaitIndicator.h"

#include <QString>

class QFileDevice;

// The message for a file that could not be opened or read, naming it.
QString FileErrorMessage(const QFileDevice& file);

// Shows `text` in an OK box through the prompt service.
void ShowExchangeMessage(const QString& text, int icon = 0);

// Texts of the wait dialog: a file is read; records are built and
// registered; a file is written.
inline const QString kWaitReadingFile = QStringLiteral("ファイルを読み込んでいます。");
inline const QString kWaitImporting = QStringLiteral("データを読み込んでいます。");
inline const QString kWaitExporting = QStringLiteral("データを書き出しています。");
// A file or table beyond what the import can hold.
inline const QString kFileTooLarge =
    QStringLiteral("メモリ不足です。または、読み込みファイルが大きすぎます。");
// A sheet or table past the cells (rows by columns) an import holds,
// `most`: "1シートに読み込めるのは150万セル（行数×列数）までです。", then
// "このシートは200,001行×7列です。" when its rows and columns are known
// (negative: not known), or with `atLeast` "このシートは少なくとも214,286行
// ×7列あります。" when only the part read before the bound is.
QString CellBoundText(qint64 most, qint64 rows = -1, qint64 columns = -1, bool atLeast = false);
// A sheet whose texts pass the characters an import holds, `most`:
// "1シートに読み込める文字は6,400万文字までです。"
QString TextBoundText(qint64 most);

// The wait dialog over one long step of an import or export, from
// construction to End or destruction: a bar over `total` units of work, or a
// busy bar for 0. The bar moves once per hundredth, and the window repaints
// then, however many units go by. End takes it down before a message.
class CWaitProgress
{
  public:
    explicit CWaitProgress(qint64 total = 0, const QString& text = {});
    CWaitProgress(const CWaitProgress&) = delete;
    CWaitProgress& operator=(const CWaitProgress&) = delete;

    // `done` units of the total so far.
    void SetPos(qint64 done);
    void End();

  private:
    qint64 m_nTotal;
    int m_nShown = 0;
    bool m_bOpen = true;
    CWaitDlg m_dialog;
};
