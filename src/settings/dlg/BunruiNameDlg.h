#pragma once

#include <QDialog>

class QLineEdit;

// "分類ジャンル名を変更": renames a classification title. The caller reads
// the new name after OK and stores it when it differs from the old one.
class CBunruiNameDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CBunruiNameDlg(const QString& name, QWidget* parent = nullptr);

    QString GetNewName() const { return m_strNewName; }
    QLineEdit* NewNameEdit() const { return m_pNewName; }

    void accept() override;

  private:
    QLineEdit* m_pNewName;
    QString m_strNewName;
};
