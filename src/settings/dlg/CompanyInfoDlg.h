#pragma once

#include <QDialog>
#include <QFont>

#include "settings/CompanyInfo.h"

class QWidget;

// "自社情報の設定": the own company's data of the current database, laid
// out at fixed pixel positions. Opening removes the new database's
// first-run marker; OK writes the nine items and their printed forms.
class CCompanyInfoDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CCompanyInfoDlg(QWidget* parent = nullptr);

    CCompanyInfoRules& Rules() { return m_rules; }
    QWidget* Field(CCompanyInfoRules::Field field) const { return m_pField[field]; }

    void accept() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void ShowRules();
    void ReadBack();
    void OnDigitsEdited(CCompanyInfoRules::Field field);

    CCompanyInfoRules m_rules;
    QString m_strFolder;
    QFont m_font;
    QWidget* m_pField[CCompanyInfoRules::kFieldCount] = {};
};
