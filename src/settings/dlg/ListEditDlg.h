#pragma once

#include <QDialog>

#include "settings/dlg/ListEditRules.h"

class QLayout;
class QListWidget;
class QPushButton;

// A settings dialog that edits a list of names by its rules: the list with
// "追加...", "変更...", "削除", "↑上へ" and "↓下へ" beside it, the name
// dialog those buttons open, and OK and cancel.
class CListEditDlg : public QDialog
{
    Q_OBJECT
  public:
    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnUp();
    void OnDown();

    void accept() override;
    void reject() override;

  protected:
    explicit CListEditDlg(QWidget* parent) : QDialog(parent) {}

    virtual CListEditRules& ListRules() = 0;
    // Shows the name dialog modally; tests answer it in place.
    virtual int RunNameDialog(QDialog& dialog);

    // The list, named `objectName`, with its buttons beside it.
    QLayout* MakeListRow(const QString& objectName);
    // OK, "ｷｬﾝｾﾙ" and "？" for the help topic.
    QLayout* MakeOkRow(int helpTopic);
    // Shows the rules' lines and selected line and updates the buttons.
    void ShowList();

  private:
    void UpdateButtons();

    QListWidget* m_pList = nullptr;
    QPushButton* m_pChange = nullptr;
    QPushButton* m_pDelete = nullptr;
    QPushButton* m_pUp = nullptr;
    QPushButton* m_pDown = nullptr;
};
