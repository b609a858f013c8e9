#pragma once

#include "platform/forms/SelForm.h"

#include <QList>
#include <functional>

// Stands in for the chooser and the management dialog: records the choices
// offered and answers from a script.
class CScriptedFormDialogs : public IFormDialogs
{
  public:
    CScriptedFormDialogs() : m_old(CSelForm::SetDialogs(this)) {}
    ~CScriptedFormDialogs() override { CSelForm::SetDialogs(m_old); }
    CScriptedFormDialogs(const CScriptedFormDialogs&) = delete;
    CScriptedFormDialogs& operator=(const CScriptedFormDialogs&) = delete;

    // Picks the form with this id, or cancels when it is 0 or not offered.
    long m_nPick = 0;
    std::function<void(CFormCtrl&)> m_ctrlScript;

    QList<int> m_chooserKinds;
    QList<QList<long>> m_offered;
    QList<long> m_initiallySelected;

    bool RunChooser(CFormChoice& choice) override
    {
        m_chooserKinds << choice.GetKind();
        QList<long> ids;
        for (const CSelFormData& form : choice.GetForms())
            ids << form.m_nFormID;
        m_offered << ids;
        m_initiallySelected << choice.GetChosenID();
        const int row = int(ids.indexOf(m_nPick));
        if (row < 0)
            return false;
        choice.SetCurrentRow(row);
        return true;
    }
    void RunFormCtrl(CFormCtrl& ctrl) override
    {
        if (m_ctrlScript)
            m_ctrlScript(ctrl);
    }

  private:
    IFormDialogs* m_old;
};
