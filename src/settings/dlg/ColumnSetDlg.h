#pragma once

#include <QDialog>

#include "settings/ColumnSetRules.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

// The column settings of a master list ("表示列の設定"): in display mode
// the columns the list shows and its start-up sort order, saved on OK; in
// export mode the columns to write, which the caller takes from the result
// set. The caller sets the list kind before showing it.
class CColumnSetDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CColumnSetDlg(int mode, QWidget* parent = nullptr);

    void SetListKind(int listKind) { m_rules.SetListKind(listKind); }
    const CQXColSet& GetResultSet() const { return m_rules.GetResultSet(); }
    CColumnSetRules& Rules() { return m_rules; }

    void OnToLeft();
    void OnToRight();
    void OnAllToLeft();
    void OnAllToRight();
    void OnUp();
    void OnDown();
    void OnDefaults();

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void InitDialog();
    void ShowLists();
    void ShowSort();
    void UpdateButtons();

    CColumnSetRules m_rules;
    bool m_bInitDone = false;
    QLabel* m_pHeader;
    QLabel* m_pLeftLabel;
    QLabel* m_pRightLabel;
    QListWidget* m_pLeft;
    QListWidget* m_pRight;
    QPushButton* m_pToLeft;
    QPushButton* m_pToRight;
    QPushButton* m_pAllToLeft;
    QPushButton* m_pAllToRight;
    QPushButton* m_pUp;
    QPushButton* m_pDown;
    QWidget* m_pSortGroup;
    QPushButton* m_pDefaults;
    QComboBox* m_pSortField;
    QRadioButton* m_pAscending;
    QRadioButton* m_pDescending;
    int m_nHelpTopic;
};
