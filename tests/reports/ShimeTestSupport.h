#pragma once

#include "platform/forms/SelForm.h"

#include <QCoreApplication>
#include <QEvent>
#include <QList>

// Lets posted events and deferred deletes of the screens run.
inline void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Takes the first form the chooser offers and records the kinds asked for
// and the form taken.
class CFirstForm : public IFormDialogs
{
  public:
    CFirstForm() : m_old(CSelForm::SetDialogs(this)) {}
    ~CFirstForm() override { CSelForm::SetDialogs(m_old); }
    CFirstForm(const CFirstForm&) = delete;
    CFirstForm& operator=(const CFirstForm&) = delete;
    bool RunChooser(CFormChoice& choice) override
    {
        if (choice.GetForms().isEmpty())
            return false;
        m_kinds << choice.GetKind();
        m_id = choice.GetForms().first().m_nFormID;
        choice.SetCurrentRow(0);
        return true;
    }
    void RunFormCtrl(CFormCtrl&) override {}
    QList<int> m_kinds;
    long m_id = 0;

  private:
    IFormDialogs* m_old;
};
