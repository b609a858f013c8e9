#pragma once

#include "app/CommandTarget.h"

#include <QWidget>

class CMainFrame;
struct CFindRequest;

// A screen of the frame: one view is shown at a time, by view kind. The frame
// creates it, stores the new kind, then runs its first update.
class CView : public QWidget, public CCommandTarget {
    Q_OBJECT

public:
    explicit CView(CMainFrame& frame);

    CMainFrame& GetFrame() const { return m_frame; }

    // The first update: a view reads its mode from the frame's view kind here
    // and shows its toolbar (ShowViewToolBar).
    virtual void OnInitialUpdate() {}
    // The environment settings changed: take the new list colour and font.
    virtual void OnEnvSettingsChanged() {}
    // A search of the find dialog; the view's answer goes back to the dialog.
    virtual long OnFindRequest(const CFindRequest& /*request*/) { return 0; }
    virtual bool IsPrintPreview() const { return false; }

private:
    CMainFrame& m_frame;
};
