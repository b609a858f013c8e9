#pragma once

#include "app/CommandTarget.h"

#include <QWidget>

#include <any>

class CMainFrame;
class COneRecord;
struct CFindRequest;

// What the frame asks of the master list on screen, on behalf of the entry
// dialogs: new and changed records shown, stepping to the next record.
class IMasterList
{
  public:
    virtual ~IMasterList() = default;
    // Replaces the row of the record's "ID" or adds it on top; the list's
    // own record, null when it was not placed.
    virtual COneRecord* UpdateRecord(const COneRecord& record) = 0;
    // The row after (before) the record, or after the focused row for null.
    virtual COneRecord* SelectNextRecord(COneRecord* record) = 0;
    virtual COneRecord* SelectPrevRecord(COneRecord* record) = 0;
    // The focused row index (-1 none); whether rows before and after exist.
    virtual int GetPrevNextState(bool& hasPrev, bool& hasNext) = 0;
};

// A screen of the frame: one view is shown at a time, by view kind. The frame
// creates it, stores the new kind, then runs its first update.
class CView : public QWidget, public CCommandTarget
{
    Q_OBJECT

  public:
    explicit CView(CMainFrame& frame);

    CMainFrame& GetFrame() const { return m_frame; }

    // What the command that switched to this view handed over with the
    // switch (CMainFrame::SwitchView), before the first update; empty when
    // it handed nothing. The subsystem that makes the view knows its type.
    virtual void TakeRequest(std::any /*request*/) {}
    // The first update: a view reads its mode from the frame's view kind here
    // and shows its toolbar (ShowViewToolBar).
    virtual void OnInitialUpdate() {}
    // The environment settings changed: take the new list colour and font.
    virtual void OnEnvSettingsChanged() {}
    // A search of the find dialog; the view's answer goes back to the dialog.
    virtual long OnFindRequest(const CFindRequest& /*request*/) { return 0; }
    virtual bool IsPrintPreview() const { return false; }
    // Another program changed data while this view is shown: refill the list.
    virtual void RefreshAfterDataChange() {}
    // Whether this view's list follows data changed by another program.
    virtual bool ReloadsOnDataChange() const { return false; }
    // The master list behind this view, null for every other view.
    virtual IMasterList* GetMasterList() { return nullptr; }

  private:
    CMainFrame& m_frame;
};
