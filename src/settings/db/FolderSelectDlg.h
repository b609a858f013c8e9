#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// "フォルダの参照": a folder typed or chosen with "参照...". The caller checks
// the folder; OK only refuses an empty one.
class CFolderSelectDlg : public QDialog
{
    Q_OBJECT
  public:
    // Empty texts keep the dialog's own.
    CFolderSelectDlg(QWidget* parent, const QString& initialFolder, const QString& title,
                     const QString& prompt);

    const QString& GetFolder() const { return m_strFolder; }

    // The rule of OK: false (with its message) for an empty folder.
    static bool CheckFolderText(const QString& folder);

    void accept() override;

  private:
    void OnBrowse();

    QString m_strFolder;
    QLineEdit* m_pFolder;
};
