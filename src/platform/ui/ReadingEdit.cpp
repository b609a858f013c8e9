#include "platform/ui/ReadingEdit.h"

#include "platform/ui/TextLimit.h"

#include <QHash>
#include <QInputMethodEvent>

#include <algorithm>

namespace
{

constexpr char16_t kVoicedMark = 0xFF9E;     // ﾞ
constexpr char16_t kSemiVoicedMark = 0xFF9F; // ﾟ

// Full-width katakana and marks → their half-width forms, built from the
// half-width block's own compatibility mappings.
const QHash<char16_t, QString>& HalfWidthForms()
{
    static const QHash<char16_t, QString> forms = [] {
        QHash<char16_t, QString> map;
        for (char16_t half = 0xFF61; half <= 0xFF9D; ++half) {
            const QString full = QString(QChar(half)).normalized(QString::NormalizationForm_KC);
            if (full.size() == 1)
                map.insert(full[0].unicode(), QString(QChar(half)));
        }
        // Voiced kana decompose into a base kana and a combining mark.
        for (char16_t full = 0x30A1; full <= 0x30FA; ++full) {
            const QString parts = QString(QChar(full)).normalized(QString::NormalizationForm_D);
            if (parts.size() != 2 || !map.contains(parts[0].unicode()))
                continue;
            if (parts[1] == QChar(0x3099))
                map.insert(full, map.value(parts[0].unicode()) + QChar(kVoicedMark));
            else if (parts[1] == QChar(0x309A))
                map.insert(full, map.value(parts[0].unicode()) + QChar(kSemiVoicedMark));
        }
        return map;
    }();
    return forms;
}

// A composition is a reading while conversion has not put kanji into it.
bool IsReading(const QString& text)
{
    return !text.isEmpty() &&
           std::none_of(text.begin(), text.end(), [](QChar ch) { return ch.script() == QChar::Script_Han; });
}

} // namespace

QString ToHalfWidthKatakana(const QString& text)
{
    const QHash<char16_t, QString>& forms = HalfWidthForms();
    QString result;
    result.reserve(text.size());
    for (QChar ch : text) {
        char16_t code = ch.unicode();
        if (code >= 0x3041 && code <= 0x3096)
            code += 0x60; // hiragana → katakana
        if (code >= 0xFF01 && code <= 0xFF5E)
            result += QChar(code - 0xFEE0); // full-width ASCII
        else if (code == 0x3000)
            result += u' ';
        else
            result += forms.value(code, QString(QChar(code)));
    }
    return result;
}

CReadingEdit::CReadingEdit(QWidget* parent) : QLineEdit(parent) {}

void CReadingEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    const QString reading = m_strReading;
    const QString before = text();
    if (!committed.isEmpty())
        m_strReading.clear();
    const QString composition = event->preeditString();
    if (IsReading(composition))
        m_strReading = ToHalfWidthKatakana(composition);
    else if (composition.isEmpty() && committed.isEmpty())
        m_strReading.clear(); // the composition was cancelled
    QLineEdit::inputMethodEvent(event);
    // The reading goes with its conversion, and whole or not at all: half a
    // word reads wrong.
    if (committed.isEmpty() || !m_pPartner || text() == before)
        return;
    const QString joined = m_pPartner->text() + reading;
    const auto* limit = qobject_cast<const CByteLimitValidator*>(m_pPartner->validator());
    if (!limit || limit->Fits(joined))
        m_pPartner->setText(joined);
}
