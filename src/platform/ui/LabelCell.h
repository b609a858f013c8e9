#pragma once

#include "platform/ui/ColorRef.h"

#include <QRect>
#include <QString>

class QFont;
class QPainter;

// A caption cell that its dialog paints itself (grids of captions): a
// filled, framed rectangle with its text on one line, vertically centred.
class CLabelCell
{
  public:
    // Horizontal alignments, as the platform's text-format flags number them.
    enum { kLeft = 0, kCenter = 1, kRight = 2 };

    // 1 when drawn; 0 for no painter, an inactive one or an empty rectangle.
    int Draw(QPainter* dc) const;

    QRect m_rect; // the owner's client coordinates
    QString m_strText;
    quint32 m_crFill = MakeColorRef(255, 255, 189); // light yellow
    quint32 m_crLine = MakeColorRef(0, 0, 128);     // navy: the frame and the text
    const QFont* m_pFont = nullptr;                 // null: the painter's font
    int m_nAlign = kRight;
};
