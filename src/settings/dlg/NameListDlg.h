#pragma once

#include <QDialog>

#include "settings/dlg/NameListRules.h"

class QListWidget;
class QPushButton;

// The name-list dialog of an entry list (mode 0 staff, 1 receipt
// descriptions, 2 units), saved to the list's file on OK.
class CNameListDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CNameListDlg(int mode, QWidget* parent = nullptr);

    CNameListRules& Rules() { return m_rules; }

    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnUp();
    void OnDown();

    void accept() override;
    void reject() override;

  protected:
    // Shows the name dialog modally; tests answer it in place.
    virtual int RunNameDialog(QDialog& dialog);

  private:
    void ShowNames();
    void UpdateButtons();

    CNameListRules m_rules;
    QListWidget* m_pList;
    QPushButton* m_pChange;
    QPushButton* m_pDelete;
    QPushButton* m_pUp;
    QPushButton* m_pDown;
};
