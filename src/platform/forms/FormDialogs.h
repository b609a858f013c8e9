#pragma once

#include "platform/forms/SelForm.h"

// The chooser and the form management dialog as Qt dialogs over their rules.
class CQtFormDialogs : public IFormDialogs
{
  public:
    bool RunChooser(CFormChoice& choice) override;
    void RunFormCtrl(CFormCtrl& ctrl) override;
};
