#pragma once

#include <QDialog>
#include <QStringList>

// "復元するデータ情報": the identity of a backup, item and content per line of
// its "Buinf.sys"; "はい" accepts.
class CRestoreInfoDlg : public QDialog
{
    Q_OBJECT
  public:
    CRestoreInfoDlg(const QStringList& lines, QWidget* parent = nullptr);

  private:
    QStringList m_lines;
};
