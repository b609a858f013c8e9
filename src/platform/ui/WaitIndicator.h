#pragma once

#include <QPointer>
#include <QString>

// The wait dialog of long operations: a message and, when the count of steps
// is known, a progress bar. It never blocks; the caller keeps working and the
// dialog paints between steps. Begin/End pairs may nest: an inner Begin takes
// over the text and the bar, and the dialog closes with the outermost End.
class IWaitIndicator
{
  public:
    virtual ~IWaitIndicator() = default;
    // `total` 0 shows a busy bar. `cancellable` adds a cancel button.
    virtual void Begin(const QString& text, int total = 0, bool cancellable = false) = 0;
    virtual void SetText(const QString& text) = 0;
    virtual void SetPos(int pos) = 0;
    virtual void Step(int n = 1) = 0;
    virtual void End() = 0;
    // True once the user pressed cancel in the current dialog.
    virtual bool IsCancelled() = 0;
    // Inside a long step: the windows paint what waits to be painted.
    virtual void KeepPainting() {}
};

class CWaitDialog;

// The Qt wait dialog. Without a QApplication (a console tool) it only keeps
// its state.
class CQtWaitIndicator : public IWaitIndicator
{
  public:
    CQtWaitIndicator();
    ~CQtWaitIndicator() override;
    void Begin(const QString& text, int total, bool cancellable) override;
    void SetText(const QString& text) override;
    void SetPos(int pos) override;
    void Step(int n) override;
    void End() override;
    bool IsCancelled() override;
    void KeepPainting() override { Pump(); }

  private:
    void Pump();

    QPointer<CWaitDialog> m_dialog; // its parent window may take it down first
    int m_depth = 0;
    int m_total = 0;
    int m_pos = 0;
    int m_shownPercent = -1;
    bool m_cancellable = false;
    bool m_cancelled = false;
};

// The wait box of the message library: shown from construction until
// DestroyWindow or destruction, through UiServices::Wait().
class CWaitDlg
{
  public:
    explicit CWaitDlg(int total = 0, const QString& text = {});
    ~CWaitDlg() { DestroyWindow(); }
    CWaitDlg(const CWaitDlg&) = delete;
    CWaitDlg& operator=(const CWaitDlg&) = delete;
    void DestroyWindow();

  private:
    bool m_open = true;
};

// The wait cursor for the lifetime of the object (nothing without a GUI, or
// off the window's thread).
class CWaitCursor
{
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

  private:
    bool m_set;
};
