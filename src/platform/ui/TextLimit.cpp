#include "platform/ui/TextLimit.h"

#include "platform/text/Cp932.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

int PlainTextBytes(const QString& text, bool crlf)
{
    return Cp932::ByteLength(text) + (crlf ? int(text.count(u'\n')) : 0);
}

QString FitPlainTextBytes(const QString& text, int room, bool crlf)
{
    if (PlainTextBytes(text, crlf) <= room)
        return text;
    if (!crlf)
        return Cp932::TruncateToBytes(text, room);
    QString stored = text;
    stored.replace(u'\n', QStringLiteral("\r\n"));
    QString cut = Cp932::TruncateToBytes(stored, room);
    // Half a line break is none.
    if (cut.endsWith(u'\r'))
        cut.chop(1);
    return cut.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

namespace
{

constexpr char kRefuseProperty[] = "refuseOverLongInput";

bool Refuses(const QWidget* field)
{
    return field && field->property(kRefuseProperty).toBool();
}

// The main window behind a field, whose status bar speaks for its dialogs.
QMainWindow* MainWindowOf(QWidget* field)
{
    for (QWidget* w = field ? field->window() : nullptr; w;
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        if (auto* main = qobject_cast<QMainWindow*>(w))
            return main;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<QMainWindow*>(w); main && main->isVisible())
            return main;
    return nullptr;
}

// A refusal's line in the status bar speaks of a field of the dialog: it
// goes when the dialog closes, unless another line has taken its place.
class CRefusalLineSweeper : public QObject
{
  public:
    static constexpr char kName[] = "refusalLineSweeper";

    CRefusalLineSweeper(QWidget* dialog, QStatusBar* status) : QObject(dialog), m_pStatus(status)
    {
        setObjectName(QLatin1String(kName));
        dialog->installEventFilter(this);
    }
    ~CRefusalLineSweeper() override { Sweep(); }

    void Said(const QString& line) { m_strLine = line; }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            Sweep();
        return false;
    }

  private:
    void Sweep()
    {
        if (m_pStatus && !m_strLine.isEmpty() && m_pStatus->currentMessage() == m_strLine)
            m_pStatus->clearMessage();
        m_strLine.clear();
    }

    QPointer<QStatusBar> m_pStatus;
    QString m_strLine;
};

// Who says a field's refusals in its own way (RefuseOverLongInput with a
// function): a child of the field.
class CRefusalVoice : public QObject
{
  public:
    static constexpr char kName[] = "refusalVoice";

    CRefusalVoice(QWidget* field, std::function<void(const QString&)> say)
        : QObject(field), m_say(std::move(say))
    {
        setObjectName(QLatin1String(kName));
    }
    // Said after the field has turned the input away: a modal box shown
    // inside its validation would run while the edit is half done.
    void Say(const QString& refused)
    {
        QMetaObject::invokeMethod(
            this, [this, refused] { m_say(refused); }, Qt::QueuedConnection);
    }

  private:
    std::function<void(const QString&)> m_say;
};

// The input did not go in: said once, by the field's own voice, else in the
// status bar.
void Refuse(QWidget* field, int maxBytes, const QString& refused)
{
    QApplication::beep();
    if (auto* voice = field->findChild<CRefusalVoice*>(QLatin1String(CRefusalVoice::kName),
                                                       Qt::FindDirectChildrenOnly)) {
        voice->Say(refused);
        return;
    }
    QMainWindow* main = MainWindowOf(field);
    if (!main)
        return;
    const QString line = TextLimitMessage(field->accessibleName(), maxBytes);
    main->statusBar()->showMessage(line);
    QWidget* dialog = field->window();
    if (dialog == main)
        return;
    auto* sweeper = dynamic_cast<CRefusalLineSweeper*>(
        dialog->findChild<QObject*>(QLatin1String(CRefusalLineSweeper::kName), Qt::FindDirectChildrenOnly));
    if (!sweeper)
        sweeper = new CRefusalLineSweeper(dialog, main->statusBar());
    sweeper->Said(line);
}

// Where the text differs from the one before an edit: [start, end) of the
// text. The edit leaves its cursor at the end of what went in; the
// characters after it are the ones after it before.
std::pair<qsizetype, qsizetype> ChangedRange(const QString& before, const QString& text, qsizetype cursor)
{
    const auto tailKept = [&](qsizetype end) {
        const qsizetype after = text.size() - end;
        return end >= 0 && end <= text.size() && after <= before.size() &&
               QStringView(before).right(after) == QStringView(text).mid(end);
    };
    qsizetype end = cursor;
    if (!tailKept(end)) {
        end = text.size();
        while (end > 0 && text.size() - end < before.size() &&
               text[end - 1] == before[before.size() - (text.size() - end) - 1])
            --end;
    }
    const qsizetype limit = qMin(end, before.size() - (text.size() - end));
    qsizetype start = 0;
    while (start < limit && text[start] == before[start])
        ++start;
    return {start, end};
}

} // namespace

bool CByteLimitValidator::Fits(const QString& text) const
{
    return Cp932::ByteLength(text) <= m_nMaxBytes;
}

QValidator::State CByteLimitValidator::validate(QString& input, int& pos) const
{
    if (Fits(input))
        return Acceptable;
    auto* edit = qobject_cast<QLineEdit*>(parent());
    if (Refuses(edit)) {
        // Only the user's own change has made the edit modified: the text
        // the program sets is shown as it is.
        if (edit->isModified())
            Refuse(edit, m_nMaxBytes, input);
        return Invalid;
    }
    // The characters before the cursor are the ones just typed or pasted.
    const QString after = input.mid(pos);
    const int room = m_nMaxBytes - Cp932::ByteLength(after);
    if (room < 0)
        return Invalid;
    const QString before = Cp932::TruncateToBytes(input.left(pos), room);
    input = before + after;
    pos = int(before.size());
    return Acceptable;
}

void LimitTextBytes(QLineEdit* edit, int maxBytes)
{
    const auto* old = qobject_cast<const CByteLimitValidator*>(edit->validator());
    edit->setValidator(maxBytes >= 0 ? new CByteLimitValidator(maxBytes, edit) : nullptr);
    if (old && old->parent() == edit)
        delete old;
}

QString TextLimitMessage(const QString& caption, int maxBytes)
{
    return caption.isEmpty() ? QStringLiteral("%1バイトまでです。").arg(maxBytes)
                             : QStringLiteral("%1は%2バイトまでです。").arg(caption).arg(maxBytes);
}

QString TextLimitCharsMessage(const QString& caption, int maxBytes)
{
    return QStringLiteral("%1は全角%2文字・半角%3文字までです。")
        .arg(caption)
        .arg(maxBytes / 2)
        .arg(maxBytes);
}

namespace
{

// The edit of a limited field: a combo box's is its line edit.
QWidget* LimitedEdit(QWidget* field)
{
    if (auto* box = qobject_cast<QComboBox*>(field); box && box->lineEdit())
        return box->lineEdit();
    return field;
}

} // namespace

void RefuseOverLongInput(QWidget* field, const QString& caption)
{
    field = LimitedEdit(field);
    if (!field)
        return;
    field->setProperty(kRefuseProperty, true);
    field->setAccessibleName(caption);
}

void RefuseOverLongInput(QWidget* field, std::function<void(const QString& refused)> say)
{
    field = LimitedEdit(field);
    if (!field)
        return;
    field->setProperty(kRefuseProperty, true);
    new CRefusalVoice(field, std::move(say));
}

void LimitPlainTextBytes(QPlainTextEdit* edit, int maxBytes, bool crlf)
{
    QTextDocument* document = edit->document();
    // The text as last accepted, and whether the user has changed it since:
    // the program's own setPlainText runs with undo off.
    struct SState {
        QString before;
        bool typed = false;
        bool cutting = false;
    };
    auto state = std::make_shared<SState>();
    state->before = edit->toPlainText();
    QObject::connect(document, &QTextDocument::contentsChange, edit, [document, state](int, int, int added) {
        if (!state->cutting && document->isUndoRedoEnabled() && added > 0)
            state->typed = true;
    });
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, document, state, maxBytes, crlf] {
        if (state->cutting)
            return;
        const QString text = edit->toPlainText();
        const bool typed = state->typed;
        state->typed = false;
        if (!typed || PlainTextBytes(text, crlf) <= maxBytes) {
            state->before = text;
            return;
        }
        const auto [start, end] = ChangedRange(state->before, text, edit->textCursor().position());
        const bool refuse = Refuses(edit);
        const int room = maxBytes - PlainTextBytes(text.left(start) + text.mid(end), crlf);
        const qsizetype kept =
            refuse ? 0 : FitPlainTextBytes(text.mid(start, end - start), qMax(room, 0), crlf).size();
        QTextCursor cursor(document);
        cursor.setPosition(int(start + kept));
        cursor.setPosition(int(end), QTextCursor::KeepAnchor);
        // One undo step with the insertion it cuts; a refused one gives back
        // what it replaced.
        state->cutting = true;
        cursor.joinPreviousEditBlock();
        cursor.removeSelectedText();
        if (refuse)
            cursor.insertText(state->before.mid(start, state->before.size() - (text.size() - end) - start));
        cursor.endEditBlock();
        state->cutting = false;
        edit->setTextCursor(cursor);
        state->before = edit->toPlainText();
        if (refuse)
            Refuse(edit, maxBytes, text);
    });
}
