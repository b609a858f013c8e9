#pragma once

#include <QDialog>

#include "settings/dlg/BunruiSetRules.h"

class QComboBox;
class QListWidget;
class QPushButton;

// "分類設定": the contents and titles of the product and customer
// classifications, saved to the database's "ClassTitle.dat" on OK.
class CBunruiSetDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CBunruiSetDlg(QWidget* parent = nullptr);

    CBunruiSetRules& Rules() { return m_rules; }

    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnUp();
    void OnDown();
    void OnRename();

    void accept() override;
    void reject() override;

  protected:
    // Shows a name dialog modally; tests answer it in place.
    virtual int RunNameDialog(QDialog& dialog);

  private:
    void ShowClasses();
    void ShowContents();
    void UpdateButtons();

    CBunruiSetRules m_rules;
    QComboBox* m_pLedger;
    QComboBox* m_pClass;
    QListWidget* m_pContents;
    QPushButton* m_pChange;
    QPushButton* m_pDelete;
    QPushButton* m_pUp;
    QPushButton* m_pDown;
};
