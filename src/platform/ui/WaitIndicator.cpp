#include "platform/ui/WaitIndicator.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace
{

bool HasGui()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

// A small modal-looking but non-blocking box: no close button, and Escape
// cancels only when cancelling is offered.
class CWaitDialog : public QDialog
{
  public:
    CWaitDialog()
        : QDialog(QApplication::activeWindow(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    {
        setWindowTitle(ProgramTitle());
        setWindowModality(Qt::ApplicationModal);
        setObjectName(QStringLiteral("WaitDialog"));
        auto* layout = new QVBoxLayout(this);
        m_label = new QLabel(this);
        m_label->setMinimumWidth(280);
        m_label->setWordWrap(true);
        m_bar = new QProgressBar(this);
        m_cancel = new QPushButton(QStringLiteral(u"中止"), this);
        layout->addWidget(m_label);
        layout->addWidget(m_bar);
        layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
        QObject::connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    }
    void reject() override
    {
        if (m_cancel->isVisible())
            m_cancelled = true;
    }

    QLabel* m_label;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    bool m_cancelled = false;
};

CQtWaitIndicator::CQtWaitIndicator() = default;
CQtWaitIndicator::~CQtWaitIndicator()
{
    // A dialog left open at exit outlives the application; a widget must not
    // be destroyed then.
    if (HasGui())
        delete m_dialog.data();
}

void CQtWaitIndicator::Begin(const QString& text, int total, bool cancellable)
{
    if (m_depth++ == 0) {
        m_cancelled = false;
        if (HasGui())
            m_dialog = new CWaitDialog;
    }
    m_total = qMax(0, total);
    m_pos = 0;
    m_shownPercent = -1;
    m_cancellable = cancellable;
    if (m_dialog) {
        m_dialog->m_label->setText(text);
        m_dialog->m_bar->setRange(0, m_total);
        m_dialog->m_bar->setValue(0);
        m_dialog->m_cancel->setVisible(cancellable);
        m_dialog->adjustSize();
        m_dialog->show();
    }
    Pump();
}

void CQtWaitIndicator::SetText(const QString& text)
{
    if (m_dialog) {
        m_dialog->m_label->setText(text);
        Pump();
    }
}

void CQtWaitIndicator::SetPos(int pos)
{
    m_pos = qBound(0, pos, m_total);
    if (!m_dialog || m_total == 0)
        return;
    m_dialog->m_bar->setValue(m_pos);
    // Painting at every row would cost more than the work; once a percent does.
    const int percent = int(qint64(m_pos) * 100 / m_total);
    if (percent != m_shownPercent) {
        m_shownPercent = percent;
        Pump();
    }
}

void CQtWaitIndicator::Step(int n)
{
    SetPos(m_pos + n);
}

void CQtWaitIndicator::End()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    delete m_dialog.data();
    m_total = m_pos = 0;
}

bool CQtWaitIndicator::IsCancelled()
{
    Pump();
    return m_cancelled;
}

void CQtWaitIndicator::Pump()
{
    if (!m_dialog)
        return;
    // User input is taken only when the box can be cancelled; the box is
    // application-modal, so it cannot reach the window that is working.
    // Notices from other programs wait on their sockets: one would reload
    // a window in the middle of the work (even of a statement) under the box.
    QCoreApplication::processEvents(
        (m_cancellable ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents) |
        QEventLoop::ExcludeSocketNotifiers);
    m_cancelled = m_cancelled || m_dialog->m_cancelled;
}

CWaitDlg::CWaitDlg(int total, const QString& text)
{
    UiServices::Wait().Begin(text.isEmpty() ? QStringLiteral(u"しばらくお待ちください。") : text, total);
}

void CWaitDlg::DestroyWindow()
{
    if (m_open) {
        m_open = false;
        UiServices::Wait().End();
    }
}

// The cursor is the window's thread's: work beside it leaves the cursor to
// the wait dialog that thread shows for it.
CWaitCursor::CWaitCursor()
    : m_set(HasGui() && QThread::currentThread() == QCoreApplication::instance()->thread())
{
    if (m_set)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor()
{
    if (m_set)
        QGuiApplication::restoreOverrideCursor();
}
