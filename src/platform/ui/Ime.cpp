#include "platform/ui/Ime.h"

#include <QEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

namespace
{

void Apply(QWidget* window, bool open, Qt::InputMethodHints hints)
{
    if (!window)
        return;
    window->setAttribute(Qt::WA_InputMethodEnabled, open);
    window->setInputMethodHints(hints);
    // A field that has the focus tells the input method at once, as the
    // platform's switch did; the others tell it when they get the focus.
    if (window->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

class CImeOffOnFocus : public QObject
{
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            if (auto* w = qobject_cast<QWidget*>(watched))
                SetImeMode(false, w->window());
        return false;
    }
};

} // namespace

void SetImeMode(bool open, QWidget* window, bool katakana)
{
    if (!open)
        Apply(window, false, Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
    else
        Apply(window, true, katakana ? Qt::ImhNoPredictiveText : Qt::ImhNone);
}

void SetImeMode(QWidget* window, ImeField field)
{
    const Qt::InputMethodHints latin = Qt::ImhLatinOnly | Qt::ImhNoPredictiveText;
    switch (field) {
    case ImeField::Code:
        Apply(window, false, latin | Qt::ImhNoAutoUppercase);
        break;
    case ImeField::Number:
        Apply(window, false, latin | Qt::ImhFormattedNumbersOnly);
        break;
    case ImeField::Telephone:
    case ImeField::Postcode:
        Apply(window, false, latin | Qt::ImhDialableCharactersOnly);
        break;
    case ImeField::Mail:
        Apply(window, false, latin | Qt::ImhEmailCharactersOnly | Qt::ImhNoAutoUppercase);
        break;
    case ImeField::Text:
        SetImeMode(true, window, false);
        break;
    case ImeField::Reading:
        SetImeMode(true, window, true);
        break;
    }
}

void CloseImeOnFocus(QWidget* field)
{
    if (field)
        field->installEventFilter(new CImeOffOnFocus(field));
}
