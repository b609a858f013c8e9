#include "platform/ui/LabelCell.h"

#include <QPainter>

int CLabelCell::Draw(QPainter* dc) const
{
    if (!dc || !dc->isActive() || m_rect.isEmpty())
        return 0;
    dc->save();
    dc->setRenderHint(QPainter::Antialiasing, false);
    dc->setBrush(ColorFromRef(m_crFill));
    dc->setPen(QPen(ColorFromRef(m_crLine), 0));
    // The frame lies on the rectangle's outermost pixels, inside it.
    dc->drawRect(m_rect.adjusted(0, 0, -1, -1));
    if (m_pFont)
        dc->setFont(*m_pFont);
    const int horizontal = m_nAlign == kCenter  ? Qt::AlignHCenter
                           : m_nAlign == kRight ? Qt::AlignRight
                                                : Qt::AlignLeft;
    dc->drawText(m_rect.adjusted(2, 0, -2, 0), horizontal | Qt::AlignVCenter | Qt::TextSingleLine, m_strText);
    dc->restore();
    return 1;
}
