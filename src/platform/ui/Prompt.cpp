#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>

#include <algorithm>

QString ProgramTitle()
{
    return QStringLiteral(u"Corvanta／販売");
}

QList<int> PromptButtonAnswers(int buttons)
{
    switch (buttons) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    default:
        return {IDOK};
    }
}

int PromptDefaultAnswer(int buttons, int defaultButton)
{
    const QList<int> answers = PromptButtonAnswers(buttons);
    return answers.contains(defaultButton) ? defaultButton : answers.first();
}

QString QtFileFilter(const QString& filter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            break; // the "||" that ends the list
        // Qt takes the patterns from the last parentheses, so a description
        // that already shows them gets them once, space-separated.
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'))) {
            if (!pattern.trimmed().isEmpty())
                patterns << pattern.trimmed();
        }
        entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

namespace
{

// A message box or picker shown under the wait cursor gets the arrow back
// while it is open.
class CArrowWhileOpen
{
  public:
    CArrowWhileOpen() : m_pushed(QGuiApplication::overrideCursor() != nullptr)
    {
        if (m_pushed)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~CArrowWhileOpen()
    {
        if (m_pushed)
            QGuiApplication::restoreOverrideCursor();
    }

  private:
    bool m_pushed;
};

QMessageBox::Icon IconOf(int icon)
{
    switch (icon) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void FitWindowTitle(QDialog& dialog)
{
    // Title bars use about the application font; the icon and the frame's
    // buttons take some 140 pixels besides.
    const int width = QFontMetrics(QApplication::font()).horizontalAdvance(dialog.windowTitle()) + 140;
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
        grid && qobject_cast<QMessageBox*>(&dialog)) {
        // A message box sizes itself from its layout, not from a minimum width.
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
        return;
    }
    dialog.setMinimumWidth(std::max(dialog.minimumWidth(), width));
}

int CQtPrompt::MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                          const QString& caption)
{
    return MessageBoxNamed(text, buttons, {}, icon, defaultButton, caption);
}

int CQtPrompt::MessageBoxNamed(const QString& text, int buttons, const QStringList& buttonTexts, int icon,
                               int defaultButton, const QString& caption)
{
    CArrowWhileOpen arrow;
    QMessageBox box(IconOf(icon), caption.isEmpty() ? ProgramTitle() : caption, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    // Messages quote file names in <>, which must not be taken for markup.
    box.setTextFormat(Qt::PlainText);
    FitWindowTitle(box);
    const int focused = PromptDefaultAnswer(buttons, defaultButton);
    const QList<int> answers = PromptButtonAnswers(buttons);
    QHash<QAbstractButton*, int> answerOf;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const int answer = answers[i];
        const auto named = [&](const QString& standard) { return buttonTexts.value(i, standard); };
        QPushButton* button = nullptr;
        switch (answer) {
        case IDOK:
            button = box.addButton(named(QStringLiteral("OK")), QMessageBox::AcceptRole);
            break;
        case IDCANCEL:
            button = box.addButton(named(QStringLiteral(u"キャンセル")), QMessageBox::RejectRole);
            box.setEscapeButton(button);
            break;
        case IDYES:
            button = box.addButton(named(QStringLiteral(u"はい")), QMessageBox::YesRole);
            break;
        case IDNO:
            button = box.addButton(named(QStringLiteral(u"いいえ")), QMessageBox::NoRole);
            break;
        }
        answerOf.insert(button, answer);
        if (answer == focused)
            box.setDefaultButton(button);
    }
    box.exec();
    // Closing the box without a button counts as its last button (OK, Cancel or No).
    return answerOf.value(box.clickedButton(), answers.last());
}

QString CQtPrompt::GetOpenFileName(const QString& title, const QString& dir, const QString& filter)
{
    CArrowWhileOpen arrow;
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, dir, QtFileFilter(filter));
}

QString CQtPrompt::GetSaveFileName(const QString& title, const QString& dir, const QString& filter,
                                   const QString& defaultSuffix)
{
    CArrowWhileOpen arrow;
    QFileDialog dialog(QApplication::activeWindow(), title, dir, QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString CQtPrompt::GetFolder(const QString& title, const QString& startDir)
{
    CArrowWhileOpen arrow;
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, startDir,
                                             QFileDialog::ShowDirsOnly);
}
