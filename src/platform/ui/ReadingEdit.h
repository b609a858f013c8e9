#pragma once

#include <QLineEdit>
#include <QPointer>

// An edit whose input method's reading of each committed conversion is
// appended to a partner furigana field, while the edit itself receives the
// converted text. The reading is the last composition that held kana only
// (before conversion turned it into kanji), in half-width katakana as the
// furigana fields keep it.
class CReadingEdit : public QLineEdit
{
    Q_OBJECT
  public:
    explicit CReadingEdit(QWidget* parent = nullptr);

    void SetPartner(QLineEdit* partner) { m_pPartner = partner; }
    QLineEdit* Partner() const { return m_pPartner; }

  protected:
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    QString m_strReading; // reading of the composition in progress
    QPointer<QLineEdit> m_pPartner;
};

// Hiragana and full-width katakana, their marks and full-width ASCII in
// half-width form ("がっこう" → "ｶﾞｯｺｳ"); characters without one stay.
QString ToHalfWidthKatakana(const QString& text);
