#include "platform/ui/TextLimit.h"

#include "platform/text/Cp932.h"

#include <QPlainTextEdit>
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
        const int room = maxBytes - PlainTextBytes(text.left(start) + text.mid(end), crlf);
        const qsizetype kept = FitPlainTextBytes(text.mid(start, end - start), qMax(room, 0), crlf).size();
        QTextCursor cursor(document);
        cursor.setPosition(int(start + kept));
        cursor.setPosition(int(end), QTextCursor::KeepAnchor);
        // One undo step with the insertion it cuts.
        state->cutting = true;
        cursor.joinPreviousEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
        state->cutting = false;
        edit->setTextCursor(cursor);
        state->before = edit->toPlainText();
    });
}
