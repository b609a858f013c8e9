#pragma once

#include <QComboBox>

#include "settings/ComboDataBoxModel.h"

// The drop-down box of an entry list (staff, receipt descriptions, units):
// offers the list's names and, when learning, adds a new one to the list's
// file when it loses the focus.
class CComboDataBox : public QComboBox
{
    Q_OBJECT
  public:
    explicit CComboDataBox(QWidget* parent = nullptr);

    // Lists the kind's names; 1 filled, 0 when the list cannot be loaded
    // (the box then does not learn).
    int Fill(int kind, int learn = 1);

    const CComboDataBoxModel& Model() const { return m_model; }

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    CComboDataBoxModel m_model;
};
