#include "platform/ui/PrintCanvas.h"

#include "platform/ui/Fonts.h"

#include <QPainter>
#include <QPen>

#include <cstdlib>

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long q = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -q : q);
}

CPainterCanvas::CPainterCanvas(QPainter& painter, int dpiX, int dpiY, int offsetX, int offsetY)
    : m_painter(painter), m_dpiX(dpiX), m_dpiY(dpiY), m_offsetX(offsetX), m_offsetY(offsetY)
{
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_painter.setPen(QPen(Qt::black, 0));
}

void CPainterCanvas::SetFont(const QString& face, int points)
{
    // The cell height is the size in points at the device's resolution.
    m_painter.setFont(MakeFont(face, MulDiv(points, m_dpiX, 72)));
}

void CPainterCanvas::DrawText(const CPrintRect& rect, const QString& text, int flags)
{
    const QRect box(QPoint(ToDeviceX(rect.left), ToDeviceY(rect.top)),
                    QPoint(ToDeviceX(rect.right) - 1, ToDeviceY(rect.bottom) - 1));
    int align = Qt::TextSingleLine;
    align |= (flags & kCenter) ? Qt::AlignHCenter : (flags & kRight) ? Qt::AlignRight : Qt::AlignLeft;
    align |= (flags & kVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
    if (flags & kClip) {
        m_painter.save();
        m_painter.setClipRect(box);
        m_painter.drawText(box, align, text);
        m_painter.restore();
    } else {
        m_painter.drawText(box, align | Qt::TextDontClip, text);
    }
}

void CPainterCanvas::DrawLine(int x1, int y1, int x2, int y2, int penWidth)
{
    const QPen old = m_painter.pen();
    m_painter.setPen(QPen(Qt::black, penWidth, Qt::SolidLine, Qt::FlatCap));
    m_painter.drawLine(ToDeviceX(x1), ToDeviceY(y1), ToDeviceX(x2), ToDeviceY(y2));
    m_painter.setPen(old);
}

void CRecordingCanvas::SetFont(const QString& face, int points)
{
    m_calls.append({Call::Font, {}, face, points});
}

void CRecordingCanvas::DrawText(const CPrintRect& rect, const QString& text, int flags)
{
    m_calls.append({Call::Text, rect, text, flags});
}

void CRecordingCanvas::DrawLine(int x1, int y1, int x2, int y2, int penWidth)
{
    m_calls.append({Call::Line, {x1, y1, x2, y2}, {}, penWidth});
}

QStringList CRecordingCanvas::Texts() const
{
    QStringList texts;
    for (const Call& call : m_calls) {
        if (call.kind == Call::Text)
            texts << call.text;
    }
    return texts;
}

QList<CRecordingCanvas::Call> CRecordingCanvas::TextCalls() const
{
    QList<Call> calls;
    for (const Call& call : m_calls) {
        if (call.kind == Call::Text)
            calls << call;
    }
    return calls;
}

QList<CRecordingCanvas::Call> CRecordingCanvas::LineCalls() const
{
    QList<Call> calls;
    for (const Call& call : m_calls) {
        if (call.kind == Call::Line)
            calls << call;
    }
    return calls;
}
