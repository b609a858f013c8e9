#pragma once

#include <QComboBox>

#include "settings/BunruiComboModel.h"

// The classification drop-down box of the entry dialogs: offers the known
// contents of one classification and learns a new text into
// "ClassTitle.dat" when it loses the focus.
class CBunruiComboBox : public QComboBox
{
    Q_OBJECT
  public:
    explicit CBunruiComboBox(QWidget* parent = nullptr);

    // Binds the box to (ledger, index) and lists the file's contents afresh;
    // 1 filled, 0 (empty list) when the file cannot be loaded.
    int Fill(int ledger, int index);

    const CBunruiComboModel& Model() const { return m_model; }

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    CBunruiComboModel m_model;
};
