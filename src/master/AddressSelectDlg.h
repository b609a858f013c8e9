#pragma once

#include <QDialog>
#include <QList>

#include "platform/lookup/RLAddress.h"

class QTreeWidget;

// "住所を選択": the candidates of an address lookup; OK takes the selected
// one.
class CAddressSelectDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CAddressSelectDlg(QWidget* parent = nullptr);

    // The candidates shown, in list order (null or empty: no rows).
    void SetList(const QList<CRLAddress>* list);
    // The index of the chosen candidate after OK; -1 before or after Cancel.
    int GetChosen() const { return m_nChosen; }
    QTreeWidget* List() const { return m_pList; }

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FillRows();

    const QList<CRLAddress>* m_pCandidates = nullptr;
    int m_nChosen = -1;
    QTreeWidget* m_pList;
};
