#pragma once

#include "exchange/ExchangeRules.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

// The widgets of the import dialogs; their rules are the classes of
// ExchangeRules.h, and Rules() holds what the user chose after OK.

class CImportFormatDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CImportFormatDlg(const CImportFormatRules& rules, QWidget* parent = nullptr);
    const CImportFormatRules& Rules() const { return m_rules; }
    void accept() override;

  private:
    CImportFormatRules m_rules;
    QButtonGroup* m_pChoices;
};

class CTextFormatDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CTextFormatDlg(const CTextFormatRules& rules, QWidget* parent = nullptr);
    const CTextFormatRules& Rules() const { return m_rules; }
    // Ends at once with Rejected when the preview cannot be loaded.
    int exec() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnFixedDelimiter(int choice);
    void OnOtherDelimiter();
    void OnChangeOther(const QString& text);
    void ShowValues();

    CTextFormatRules m_rules;
    QButtonGroup* m_pChoices;
    QLineEdit* m_pOther;
    QPlainTextEdit* m_pPreview;
};

class CTableSelectDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CTableSelectDlg(const CTableSelectRules& rules, QWidget* parent = nullptr);
    const CTableSelectRules& Rules() const { return m_rules; }
    void accept() override;

  private:
    CTableSelectRules m_rules;
    QListWidget* m_pList;
};

class CSheetSelectDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CSheetSelectDlg(const CSheetSelectRules& rules, QWidget* parent = nullptr);
    const CSheetSelectRules& Rules() const { return m_rules; }
    void accept() override;

  private:
    CSheetSelectRules m_rules;
    QListWidget* m_pList;
};
