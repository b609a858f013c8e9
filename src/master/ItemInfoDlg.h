#pragma once

#include "master/ItemInfoRules.h"
#include "platform/ui/LabelCell.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/ReadingEdit.h"

#include <QDialog>
#include <QFont>
#include <QHash>

#include <array>

class CBunruiComboBox;
class CComboDataBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "商品情報": registers products one after another, or changes the product
// list's focused product and steps through the list. The rules live in
// CItemInfoRules; this window lays the fields out and moves their values.
class CItemInfoDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CItemInfoDlg(QWidget* parent = nullptr);
    // Scripted store, for tests.
    explicit CItemInfoDlg(IMasterStoreHost& host, QWidget* parent = nullptr);
    ~CItemInfoDlg() override;

    CItemInfoRules& Rules() { return m_rules; }
    void SetMode(int mode) { m_rules.SetMode(mode); }
    int SetRecord(const COneRecord* record);
    bool ClearFields(bool clear);
    int DoModal();

    // The controls into the rules' fields (false when a number breaks its
    // limits: the edit has said so), and back.
    bool UpdateData(bool save);
    int Save(bool confirm);
    void ShowNeighbour(int direction);
    void UpdateNavButtons();

    QComboBox* ItemTypeBox() const { return m_pItemType; }
    QLineEdit* CodeEdit() const { return m_pCode; }
    QLineEdit* NameEdit() const { return m_pName; }
    QLineEdit* PriceEdit() const { return m_pPrice; }
    QComboBox* TaxBox() const { return m_pTaxFlg; }
    QPlainTextEdit* HintBox() const { return m_pHint; }
    QComboBox* UnitBox() const;
    QPushButton* UnitListButton() const { return m_pUnitList; }
    QPushButton* RenameButton(int index) const { return m_pRename[size_t(index)]; }
    QLineEdit* StartDateEdit() const { return m_pStart; }
    QPushButton* PrevButton() const { return m_pPrev; }
    QPushButton* NextButton() const { return m_pNext; }
    QPushButton* SaveButton() const { return m_pSave; }
    QPushButton* CloseButton() const { return m_pClose; }
    const std::array<CLabelCell, 22>& Captions() const { return m_cells; }

    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Build();
    void SetCaptions();
    void Layout();
    void ApplyMode();
    void FocusField(CItemInfoRules::Focus focus);
    void OnUnitList();
    void OnRenameClass(int index);
    void OnCodeLeft();
    void Hint(QWidget* widget);

    CItemInfoRules m_rules;
    QFont m_font;
    std::array<CLabelCell, 22> m_cells;
    std::array<QString, 5> m_strTitles;
    QHash<QWidget*, QString> m_hints;

    QComboBox* m_pItemType;
    QLineEdit* m_pCode;
    CReadingEdit* m_pName;
    QLineEdit* m_pPhoenic;
    QLineEdit* m_pJan;
    CComboDataBox* m_pUnit;
    QPushButton* m_pUnitList;
    QComboBox* m_pTaxFlg;
    CNumEdit* m_pPrice;
    QComboBox* m_pTaxFlg2;
    CNumEdit* m_pCost;
    QLineEdit* m_pStart;
    QLineEdit* m_pUpdate;
    CNumEdit* m_pFixPrice;
    std::array<CBunruiComboBox*, 5> m_pClass;
    std::array<QPushButton*, 5> m_pRename;
    QPlainTextEdit* m_pRemarks;
    QPlainTextEdit* m_pHint;
    QPushButton* m_pSave;
    QPushButton* m_pPrev;
    QPushButton* m_pNext;
    QPushButton* m_pHelp;
    QPushButton* m_pClose;
};
