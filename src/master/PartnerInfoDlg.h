#pragma once

#include "master/AddressLookup.h"
#include "master/PartnerEntry.h"
#include "platform/ui/LabelCell.h"

#include <QDialog>
#include <QFont>
#include <QHash>

class CBunruiComboBox;
class CComboDataBox;
class CNumEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct CTradeSide;

// The customer and supplier entry dialog ("得意先情報" / "仕入先情報"):
// shows a CPartnerEntry and hands the buttons to it. The caller of an
// existing record sets edit mode and the record before showing it.
class CPartnerInfoDlg : public QDialog
{
    Q_OBJECT
  public:
    CPartnerInfoDlg(const SPartnerTraits& traits, QWidget* parent, IMasterStoreHost* host = nullptr);
    ~CPartnerInfoDlg() override;

    CPartnerEntry& Entry() { return m_entry; }
    void SetMode(int mode);
    void SetRecord(const COneRecord* record);
    // Shows the day list or the day-count edit by the cycle.
    void UpdateCollectDayControls();

    // The buttons, callable from tests.
    void OnSave();
    void OnCancel() { reject(); }
    void MoveRecord(int direction);
    void OnZipLookup();
    void OnTelLookup();
    void OnSendMail();
    void OnPayee();
    void RenameClassTitle(int index);
    void OnHelp();
    void OnCodeModeChange(int mode);
    void OnCodeKillFocus();

    QWidget* FieldWidget(EPartnerField field) const { return m_fields.value(field); }
    QPushButton* SaveButton() const { return m_pSave; }
    QPushButton* PrevButton() const { return m_pPrev; }
    QPushButton* NextButton() const { return m_pNext; }
    QPushButton* CloseButton() const { return m_pClose; }
    QPushButton* PayeeButton() const { return m_pPayee; }
    QPlainTextEdit* HintBox() const { return m_pHint; }
    const QList<CLabelCell>& Cells() const { return m_cells; }

    void accept() override;
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void AddCell(int left, int top, int right, int bottom, const QString& text);
    // The numeric edits checked; false (with the message, focus on the edit) when one is wrong.
    bool ValidateNumbers();
    void TakeValues();
    void ShowValues();
    void ApplyFocus();
    void UpdateNavButtons();
    void ApplyMode();
    QString FieldText(EPartnerField field) const;
    void SetFieldText(EPartnerField field, const QString& text);

    CPartnerEntry m_entry;
    CAddressLookup m_lookup;
    QFont m_font;
    QList<CLabelCell> m_cells;
    int m_nFirstClassCell = 0;
    QHash<EPartnerField, QWidget*> m_fields;
    QHash<QWidget*, QString> m_hints;
    QComboBox* m_pCodeMode = nullptr;
    CNumEdit* m_pDayCount = nullptr;
    QLabel* m_pDayUnit = nullptr;
    QLineEdit* m_pStartDate = nullptr;
    QLineEdit* m_pLastUpdate = nullptr;
    QPushButton* m_pSave = nullptr;
    QPushButton* m_pPrev = nullptr;
    QPushButton* m_pNext = nullptr;
    QPushButton* m_pHelp = nullptr;
    QPushButton* m_pClose = nullptr;
    QPushButton* m_pPayee = nullptr;
    QPlainTextEdit* m_pHint = nullptr;
    bool m_bClosing = false;
};

class CCustomerInfoDlg : public CPartnerInfoDlg
{
    Q_OBJECT
  public:
    explicit CCustomerInfoDlg(QWidget* parent = nullptr, IMasterStoreHost* host = nullptr)
        : CPartnerInfoDlg(SPartnerTraits::Customer(), parent, host)
    {
    }
};

class CSupplierInfoDlg : public CPartnerInfoDlg
{
    Q_OBJECT
  public:
    explicit CSupplierInfoDlg(QWidget* parent = nullptr, IMasterStoreHost* host = nullptr)
        : CPartnerInfoDlg(SPartnerTraits::Supplier(), parent, host)
    {
    }
};

// Opens the entry dialog of the side's partners modally: a new record for
// none, else the record in edit mode.
void RunPartnerDialog(const CTradeSide& side, const COneRecord* record, QWidget* parent);
