#pragma once

#include <QList>
#include <QString>

class QPainter;

// A rectangle of a printed page in 0.1 mm, measured from the sheet's top
// left corner; right and bottom are exclusive.
struct CPrintRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CPrintRect&) const = default;
};

// Where a printout draws. Every length is a whole number of 0.1 mm, so that
// the layout of a page is the same on every printer; the canvas turns it
// into the device's dots.
class IPrintCanvas
{
  public:
    enum TextFlags : int {
        kLeft = 0x0,
        kCenter = 0x1,
        kRight = 0x2,
        kVCenter = 0x4,
        kClip = 0x8, // cut at the rectangle; otherwise the text may run over
    };

    virtual ~IPrintCanvas() = default;

    // The font of the following texts: a face as the program names it
    // ("ＭＳ 明朝") and its size in points.
    virtual void SetFont(const QString& face, int points) = 0;
    // One line of text, never wrapped, "&" drawn as it is.
    virtual void DrawText(const CPrintRect& rect, const QString& text, int flags) = 0;
    // A solid black line; `penWidth` in device dots, 0 for the thinnest.
    virtual void DrawLine(int x1, int y1, int x2, int y2, int penWidth = 0) = 0;
};

// MulDiv as the page arithmetic uses it: a * b / c rounded half away from
// zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// Draws through a QPainter on a device of the given resolution. The painter's
// origin is the printable area's corner, `offsetX`/`offsetY` dots from the
// sheet's edge (0 for a full-page printer).
class CPainterCanvas : public IPrintCanvas
{
  public:
    CPainterCanvas(QPainter& painter, int dpiX, int dpiY, int offsetX = 0, int offsetY = 0);

    void SetFont(const QString& face, int points) override;
    void DrawText(const CPrintRect& rect, const QString& text, int flags) override;
    void DrawLine(int x1, int y1, int x2, int y2, int penWidth) override;

    // A horizontal or vertical length or position in device dots.
    int ToDeviceX(int x) const { return MulDiv(x, m_dpiX, 254) - m_offsetX; }
    int ToDeviceY(int y) const { return MulDiv(y, m_dpiY, 254) - m_offsetY; }

  private:
    QPainter& m_painter;
    int m_dpiX;
    int m_dpiY;
    int m_offsetX;
    int m_offsetY;
};

// Keeps every call in 0.1 mm, for tests and for measuring a layout.
class CRecordingCanvas : public IPrintCanvas
{
  public:
    struct Call {
        enum Kind { Font, Text, Line } kind;
        CPrintRect rect; // text: its rectangle; line: from (left, top) to (right, bottom)
        QString text;    // text: the text; font: the face
        int value = 0;   // text: its flags; line: the pen width; font: the points
    };

    void SetFont(const QString& face, int points) override;
    void DrawText(const CPrintRect& rect, const QString& text, int flags) override;
    void DrawLine(int x1, int y1, int x2, int y2, int penWidth) override;

    const QList<Call>& Calls() const { return m_calls; }
    // The texts drawn, in order.
    QStringList Texts() const;
    // The text calls only.
    QList<Call> TextCalls() const;
    QList<Call> LineCalls() const;
    void Clear() { m_calls.clear(); }

  private:
    QList<Call> m_calls;
};
