#pragma once

#include "settings/db/DBNameRules.h"

#include <QDialog>

class QLineEdit;

// The database name and folder dialog; its rules are CDBNameRules.
// exec() ends at once with Rejected when the mode's set-up refuses.
class CDBNameDlg : public QDialog
{
    Q_OBJECT
  public:
    CDBNameDlg(const QString& name, const QString& folder, int mode, QWidget* parent = nullptr);
    CDBNameDlg(const CDBNameRules& rules, QWidget* parent = nullptr);

    const CDBNameRules& Rules() const { return m_rules; }

    int exec() override;
    void accept() override;

  private:
    void OnBrowse();

    CDBNameRules m_rules;
    QLineEdit* m_pName;
    QLineEdit* m_pFolder;
};
