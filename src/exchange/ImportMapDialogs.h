#pragma once

#include "exchange/ImportMapRules.h"

#include <QDialog>

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QTreeWidget;

// The widgets of the master import's dialogs; the rules live in
// ImportMapRules.h and are changed in place.

// "データの読み込み": start the import, and whether existing codes are
// overwritten.
class CImportConfirmDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CImportConfirmDlg(QWidget* parent = nullptr);
    int Overwrite() const;

  private:
    QCheckBox* m_pOverwrite;
};

// "読み込む項目の対応付け".
class CImportFieldMapDlg : public QDialog
{
    Q_OBJECT
  public:
    CImportFieldMapDlg(CImportFieldMapRules& rules, QWidget* parent = nullptr);
    void accept() override;

    void OnMap();
    void OnUnmap();

  private:
    void ShowLists();
    void TakeSelection();
    void ApplyFocus();

    CImportFieldMapRules& m_rules;
    QListWidget* m_pFields;
    QTreeWidget* m_pColumns;
    QCheckBox* m_pFirstRow;
    QPlainTextEdit* m_pDescription;
};

// "住所読み込みの設定".
class CAddressJoinDlg : public QDialog
{
    Q_OBJECT
  public:
    CAddressJoinDlg(CAddressJoinRules& rules, QWidget* parent = nullptr);
    void accept() override;

  private:
    CAddressJoinRules& m_rules;
    QCheckBox* m_pBreak1;
    QCheckBox* m_pBreak2;
};

// "読み込みできないデータがありました": OK completes, cancel aborts.
class CImportErrorDlg : public QDialog
{
    Q_OBJECT
  public:
    CImportErrorDlg(CImportErrorRules& rules, QWidget* parent = nullptr);

  private:
    CImportErrorRules& m_rules;
};
