#include "app/menu/MenuPictures.h"

#include "app/menu/MenuBitmaps.h"
#include "app/menu/MenuLayout.h"
#include "platform/ui/Fonts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace
{

using MenuBitmap::SArt;

// The screen's colours: calm blue-grey ground, orange for the business
// buttons, blue for the bottom row, as the popups they open.
const QColor kInk(0x2b, 0x3a, 0x4a);
const QColor kMuted(0x7a, 0x88, 0x96);
const QColor kPanelLine(0xc9, 0xd3, 0xde);
const QColor kSunday(0xd2, 0x3f, 0x3f);

struct SButtonLook {
    QColor top, bottom, border, text;
};

const SButtonLook kOrangeLooks[3] = {
    {QColor(0xff, 0xff, 0xff), QColor(0xff, 0xef, 0xd8), QColor(0xe2, 0xa6, 0x60), QColor(0x5a, 0x38, 0x10)},
    {QColor(0xff, 0xf7, 0xea), QColor(0xff, 0xd8, 0x9c), QColor(0xe8, 0x88, 0x22), QColor(0x4f, 0x2e, 0x06)},
    {QColor(0xf6, 0xa9, 0x4c), QColor(0xfb, 0xc6, 0x7c), QColor(0xcc, 0x70, 0x12), QColor(0x42, 0x24, 0x00)}};
const SButtonLook kBlueLooks[3] = {
    {QColor(0xf7, 0xfb, 0xff), QColor(0xda, 0xe8, 0xf8), QColor(0x8f, 0xb3, 0xda), QColor(0x1f, 0x4b, 0x76)},
    {QColor(0xec, 0xf6, 0xff), QColor(0xbd, 0xdb, 0xf8), QColor(0x3d, 0x8f, 0xd6), QColor(0x14, 0x40, 0x68)},
    {QColor(0x52, 0x9f, 0xe2), QColor(0x2f, 0x7f, 0xd0), QColor(0x22, 0x66, 0x9e), QColor(0xff, 0xff, 0xff)}};
const SButtonLook kExitLooks[3] = {
    {QColor(0xfa, 0xfa, 0xfa), QColor(0xe5, 0xe7, 0xea), QColor(0xa7, 0xae, 0xb6), QColor(0x44, 0x4c, 0x55)},
    {QColor(0xff, 0xf3, 0xf1), QColor(0xf5, 0xcf, 0xc9), QColor(0xcf, 0x66, 0x58), QColor(0x86, 0x28, 0x1e)},
    {QColor(0xd9, 0x66, 0x52), QColor(0xc0, 0x4a, 0x37), QColor(0x9e, 0x37, 0x27), QColor(0xff, 0xff, 0xff)}};

struct SMarkLook {
    const char16_t* label;
    QColor base;
    QColor light;
};

const SMarkLook kMarks[4] = {{u"締め請求", QColor(0xdf, 0x7a, 0x33), QColor(0xfd, 0xec, 0xdd)},
                             {u"締め支払", QColor(0x3b, 0x84, 0xc6), QColor(0xe1, 0xee, 0xfa)},
                             {u"入金予定", QColor(0x35, 0x96, 0x66), QColor(0xdf, 0xf2, 0xe7)},
                             {u"出金予定", QColor(0xb3, 0x52, 0x76), QColor(0xf7, 0xe2, 0xea)}};

enum class EIcon {
    Box,
    Person,
    Building,
    Quote,
    Sales,
    Order,
    Purchase,
    Billing,
    Payment,
    Ledger,
    Chart,
    Stock
};

struct SFileButton {
    const char16_t* label;
    EIcon icon;
};

const SFileButton kFilePage0[7] = {{u"商品", EIcon::Box},           {u"得意先", EIcon::Person},
                                   {u"見積", EIcon::Quote},         {u"売上", EIcon::Sales},
                                   {u"請求・入金", EIcon::Billing}, {u"得意先元帳", EIcon::Ledger},
                                   {u"売上分析", EIcon::Chart}};
const SFileButton kFilePage1[8] = {{u"商品", EIcon::Box},           {u"仕入先", EIcon::Building},
                                   {u"注文", EIcon::Order},         {u"仕入", EIcon::Purchase},
                                   {u"支払・出金", EIcon::Payment}, {u"仕入先元帳", EIcon::Ledger},
                                   {u"仕入分析", EIcon::Chart},     {u"在庫", EIcon::Stock}};

const char16_t* const kBottomLabels[6] = {u"データベース", u"設定",   u"フォーム",
                                          u"ツール",       u"ヘルプ", u"終了"};

const char16_t* const kTabLabels[2] = {u"販売", u"仕入・在庫"};

// The groups of a page's file buttons: the first and last button of each
// and its caption.
struct SGroupBox {
    int first, last;
    const char16_t* caption;
};

const SGroupBox kGroups[2][4] = {
    {{0, 1, u"マスター"}, {2, 3, u"伝票"}, {4, 5, u"請求・入金"}, {6, 6, u"分析"}},
    {{0, 1, u"マスター"}, {2, 3, u"伝票"}, {4, 5, u"支払・出金"}, {6, 7, u"分析・在庫"}}};

// The business side's panels end here; the calendar's starts a little right.
constexpr qreal kBusinessRight = 391.5;
constexpr qreal kCalendarLeft = 393.5;

QFont Face(qreal pixels, bool bold = false)
{
    QFont font = MakeFont(QStringLiteral(u"ＭＳ Ｐゴシック"), 12, bold ? 700 : 400);
    font.setPixelSize(qRound(pixels));
    return font;
}

// Draws a line of text centred in `box`, narrowed (to 86 %) or else made
// smaller until it fits.
void DrawFitted(QPainter& p, const QRectF& box, const QString& text, qreal pixels, bool bold)
{
    QFont font = Face(pixels, bold);
    qreal width = QFontMetricsF(font).horizontalAdvance(text);
    while (font.pixelSize() > 8 && width * 0.86 > box.width()) {
        font.setPixelSize(font.pixelSize() - 1);
        width = QFontMetricsF(font).horizontalAdvance(text);
    }
    const qreal squeeze = qMin<qreal>(1.0, box.width() / width);
    p.save();
    p.setFont(font);
    p.translate(box.center().x(), box.top());
    p.scale(squeeze, 1);
    p.drawText(QRectF(-width / 2, 0, width, box.height()), Qt::AlignCenter, text);
    p.restore();
}

QImage Blank(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Begin(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// A raised rounded face with a soft shadow; pressed faces sit one pixel lower
// and lose the shadow.
QRectF DrawFace(QPainter& p, const QSize& size, const SButtonLook& look, int state, qreal radius)
{
    const qreal drop = state == 2 ? 1 : 0;
    QRectF face(1, 1 + drop, size.width() - 2, size.height() - 3);
    if (state != 2) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 60, 90, 34));
        p.drawRoundedRect(face.translated(0, 1.5), radius, radius);
    }
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, look.top);
    fill.setColorAt(1, look.bottom);
    p.setBrush(fill);
    p.setPen(QPen(look.border, state == 0 ? 1 : 1.4));
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (state != 2) {
        // A thin highlight along the top edge.
        p.setPen(QPen(QColor(255, 255, 255, 170), 1));
        p.drawLine(QPointF(face.left() + radius, face.top() + 1.5),
                   QPointF(face.right() - radius, face.top() + 1.5));
    }
    return face;
}

// Icons on a 24-unit grid, stroked in `ink`.
void DrawIcon(QPainter& p, const QRectF& box, EIcon icon, const QColor& ink)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    QPen pen(ink, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    auto document = [&p] {
        QPainterPath path;
        path.moveTo(6, 3);
        path.lineTo(15, 3);
        path.lineTo(19, 7);
        path.lineTo(19, 21);
        path.lineTo(6, 21);
        path.closeSubpath();
        path.moveTo(15, 3);
        path.lineTo(15, 7);
        path.lineTo(19, 7);
        p.drawPath(path);
    };
    switch (icon) {
    case EIcon::Box:
        p.drawRect(QRectF(4.5, 9, 15, 11));
        p.drawRect(QRectF(3.5, 5.5, 17, 3.5));
        p.drawLine(QPointF(12, 5.5), QPointF(12, 20));
        break;
    case EIcon::Person: {
        p.drawEllipse(QPointF(12, 8), 4, 4);
        QPainterPath body;
        body.moveTo(4, 21);
        body.cubicTo(4, 13.5, 20, 13.5, 20, 21);
        p.drawPath(body);
        break;
    }
    case EIcon::Building:
        p.drawRect(QRectF(5, 4, 14, 17));
        for (qreal y : {7.5, 11.5})
            for (qreal x : {8.0, 13.0})
                p.drawRect(QRectF(x, y, 3, 2));
        p.drawRect(QRectF(10, 16, 4, 5));
        break;
    case EIcon::Quote:
        document();
        for (qreal y : {11.0, 14.0, 17.0})
            p.drawLine(QPointF(9, y), QPointF(16, y));
        break;
    case EIcon::Sales:
        document();
        p.drawPolyline(QPolygonF({QPointF(9.5, 9.5), QPointF(12.5, 13.5), QPointF(15.5, 9.5)}));
        p.drawLine(QPointF(12.5, 13.5), QPointF(12.5, 18.5));
        p.drawLine(QPointF(10, 14.5), QPointF(15, 14.5));
        p.drawLine(QPointF(10, 17), QPointF(15, 17));
        break;
    case EIcon::Order:
        document();
        p.drawPolyline(QPolygonF({QPointF(9, 14), QPointF(11.5, 17), QPointF(16, 11)}));
        break;
    case EIcon::Purchase:
        document();
        p.drawLine(QPointF(12.5, 9), QPointF(12.5, 17.5));
        p.drawPolyline(QPolygonF({QPointF(9.5, 14.5), QPointF(12.5, 17.5), QPointF(15.5, 14.5)}));
        break;
    case EIcon::Billing:
        p.drawRoundedRect(QRectF(3, 6, 18, 13), 1.5, 1.5);
        p.drawPolyline(QPolygonF({QPointF(3.5, 7), QPointF(12, 13.5), QPointF(20.5, 7)}));
        break;
    case EIcon::Payment:
        for (qreal y : {15.0, 11.0, 7.0})
            p.drawEllipse(QRectF(4, y, 16, 5.5));
        break;
    case EIcon::Ledger: {
        QPainterPath book;
        book.moveTo(12, 6.5);
        book.cubicTo(9, 4.5, 5, 4.5, 3, 5.5);
        book.lineTo(3, 19.5);
        book.cubicTo(5, 18.5, 9, 18.5, 12, 20.5);
        book.cubicTo(15, 18.5, 19, 18.5, 21, 19.5);
        book.lineTo(21, 5.5);
        book.cubicTo(19, 4.5, 15, 4.5, 12, 6.5);
        book.lineTo(12, 20.5);
        p.drawPath(book);
        break;
    }
    case EIcon::Chart:
        p.drawPolyline(QPolygonF({QPointF(4, 4), QPointF(4, 20), QPointF(21, 20)}));
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(7, 13, 3, 6));
        p.drawRect(QRectF(12, 9, 3, 10));
        p.drawRect(QRectF(17, 5, 3, 14));
        break;
    case EIcon::Stock:
        p.drawRect(QRectF(3.5, 12.5, 8, 8));
        p.drawRect(QRectF(12.5, 12.5, 8, 8));
        p.drawRect(QRectF(8, 3.5, 8, 8));
        break;
    }
    p.restore();
}

QImage FileButton(const SArt& art)
{
    const SFileButton& button = art.page == 0 ? kFilePage0[art.index] : kFilePage1[art.index];
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    const SButtonLook& look = kOrangeLooks[art.state];
    const QRectF face = DrawFace(p, art.size, look, art.state, 7);

    const qreal side = 26;
    const QRectF disc(face.center().x() - side / 2, face.top() + 6, side, side);
    p.setPen(Qt::NoPen);
    QLinearGradient discFill(disc.topLeft(), disc.bottomLeft());
    if (art.state == 2) {
        discFill.setColorAt(0, QColor(255, 255, 255));
        discFill.setColorAt(1, QColor(255, 240, 222));
    } else {
        discFill.setColorAt(0, art.state == 1 ? QColor(0xf7, 0x97, 0x2a) : QColor(0xf5, 0xa8, 0x4e));
        discFill.setColorAt(1, art.state == 1 ? QColor(0xe2, 0x7a, 0x10) : QColor(0xe8, 0x8d, 0x2c));
    }
    p.setBrush(discFill);
    p.drawEllipse(disc);
    DrawIcon(p, disc.adjusted(5, 5, -5, -5), button.icon,
             art.state == 2 ? QColor(0xd9, 0x78, 0x14) : Qt::white);

    const QRectF text(face.left() + 3, disc.bottom() + 2, face.width() - 6,
                      face.bottom() - disc.bottom() - 4);
    p.setPen(look.text);
    DrawFitted(p, text, QString::fromUtf16(button.label), 12, true);
    return pixmap;
}

QImage BottomButton(const SArt& art)
{
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    const SButtonLook& look = art.index == 5 ? kExitLooks[art.state] : kBlueLooks[art.state];
    const QRectF face = DrawFace(p, art.size, look, art.state, art.index == 6 ? 3 : 5);
    if (art.index == 6) {
        // The database list: a drop arrow at the end of the name field.
        const QPointF c = face.center();
        p.setBrush(look.text);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(c.x() - 3.5, c.y() - 1.5), QPointF(c.x() + 3.5, c.y() - 1.5),
                                 QPointF(c.x(), c.y() + 2.5)}));
        return pixmap;
    }
    p.setPen(look.text);
    DrawFitted(p, face.adjusted(4, 0, -4, 0), QString::fromUtf16(kBottomLabels[art.index]), 12, true);
    return pixmap;
}

QImage CalButton(const SArt& art)
{
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    SButtonLook look = kBlueLooks[art.state];
    if (art.state == 0) {
        look.top = QColor(0xff, 0xff, 0xff);
        look.bottom = QColor(0xe8, 0xed, 0xf3);
        look.border = QColor(0xa3, 0xb3, 0xc5);
        look.text = QColor(0x3a, 0x55, 0x70);
    }
    const QRectF face = DrawFace(p, art.size, look, art.state, 4);
    if (art.index == 1) {
        p.setPen(look.text);
        p.setFont(Face(11, true));
        p.drawText(face, Qt::AlignCenter, QStringLiteral(u"今日"));
        return pixmap;
    }
    const QPointF c = face.center();
    const qreal dx = art.index == 0 ? -1 : 1;
    p.setPen(Qt::NoPen);
    p.setBrush(look.text);
    p.drawPolygon(QPolygonF({QPointF(c.x() + 3 * dx, c.y()), QPointF(c.x() - 2.5 * dx, c.y() - 4.5),
                             QPointF(c.x() - 2.5 * dx, c.y() + 4.5)}));
    return pixmap;
}

QImage Cell(const SArt& art)
{
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    const SMarkLook& mark = kMarks[art.index];
    const qreal drop = art.state == 2 ? 1 : 0;
    const QRectF pill = QRectF(1.5, 2.5 + drop, art.size.width() - 3, art.size.height() - 6);
    const qreal radius = pill.height() / 2;
    if (art.state == 0) {
        p.setBrush(mark.light);
        p.setPen(QPen(mark.base, 1));
    } else {
        QLinearGradient fill(pill.topLeft(), pill.bottomLeft());
        const QColor base = art.state == 2 ? mark.base.darker(118) : mark.base;
        fill.setColorAt(0, base.lighter(112));
        fill.setColorAt(1, base);
        p.setBrush(fill);
        p.setPen(QPen(base.darker(120), 1));
    }
    p.drawRoundedRect(pill, radius, radius);
    p.setPen(art.state == 0 ? mark.base.darker(135) : QColor(Qt::white));
    DrawFitted(p, pill.adjusted(4, 0, -4, 0), QString::fromUtf16(mark.label), 11, true);
    return pixmap;
}

QImage Digit(const SArt& art)
{
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    p.setFont(Face(13, true));
    p.setPen(kInk);
    p.drawText(QRect(QPoint(0, 0), art.size), Qt::AlignCenter, QString::number(art.index));
    return pixmap;
}

QImage MonthNumber(const SArt& art)
{
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    const QRectF box(QPointF(0, 0), art.size);
    if (art.index == 0) {
        p.setPen(kMuted);
        p.setFont(Face(13));
        p.drawText(box, Qt::AlignCenter, QStringLiteral(u"～"));
        return pixmap;
    }
    const QFont number = Face(17, true);
    const QFont unit = Face(12, true);
    const QString digits = QString::number(art.index);
    const qreal baseline = 15;
    p.setPen(kInk);
    p.setFont(number);
    p.drawText(QPointF(1, baseline), digits);
    p.setFont(unit);
    p.drawText(QPointF(2 + QFontMetricsF(number).horizontalAdvance(digits), baseline), QStringLiteral(u"月"));
    return pixmap;
}

// A narrow tag beside the first day of a month: the month over "月".
QImage MonthLabel(const SArt& art)
{
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    const QRectF tag(0.5, 0.5, art.size.width() - 1, art.size.height() - 1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4a, 0x7f, 0xb5));
    p.drawRoundedRect(tag, 3, 3);
    p.setPen(Qt::white);
    DrawFitted(p, QRectF(tag.left() + 1, tag.top() + 1, tag.width() - 2, 10), QString::number(art.index), 10,
               true);
    DrawFitted(p, QRectF(tag.left() + 1, tag.top() + 11, tag.width() - 2, 10), QStringLiteral(u"月"), 9,
               false);
    return pixmap;
}

QImage Day(const SArt& art)
{
    QImage pixmap = Blank(art.size);
    QPainter p(&pixmap);
    Begin(p);
    p.setFont(Face(14, true));
    p.setPen(art.sunday ? kSunday : kInk);
    p.drawText(QRect(QPoint(1, 0), art.size - QSize(1, 0)), Qt::AlignLeft | Qt::AlignVCenter,
               QString::number(art.index));
    return pixmap;
}

void Panel(QPainter& p, const QRectF& rect, const QColor& top, const QColor& bottom, qreal radius = 8)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 50, 80, 22));
    p.drawRoundedRect(rect.translated(0, 2), radius, radius);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setBrush(fill);
    p.setPen(QPen(kPanelLine, 1));
    p.drawRoundedRect(rect, radius, radius);
}

// A soft group box behind a group of business buttons, with its caption.
void Group(QPainter& p, const QRectF& rect, const QString& caption)
{
    p.setPen(QPen(QColor(0xf0, 0xd6, 0xb4), 1));
    p.setBrush(QColor(0xff, 0xf8, 0xee));
    p.drawRoundedRect(rect, 8, 8);
    p.setFont(Face(11, true));
    p.setPen(QColor(0xa0, 0x6a, 0x2a));
    p.drawText(QRectF(rect.left() + 8, rect.top() + 3, rect.width() - 16, 16),
               Qt::AlignLeft | Qt::AlignVCenter, caption);
}

// The flow from one group to the next: a quiet curve with an arrowhead.
void Flow(QPainter& p, const QPointF& from, const QPointF& c1, const QPointF& c2, const QPointF& to)
{
    const QColor ink(0xb9, 0xc6, 0xd4);
    QPainterPath path(from);
    path.cubicTo(c1, c2, to);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 2, Qt::DashLine, Qt::RoundCap));
    p.drawPath(path);
    const QLineF tail(c2, to);
    QLineF wing1 = QLineF::fromPolar(7, tail.angle() + 150).translated(to);
    QLineF wing2 = QLineF::fromPolar(7, tail.angle() - 150).translated(to);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(QPolygonF({to, wing1.p2(), wing2.p2()}));
}

QRectF Around(const QRect& a, const QRect& b, int top, int margin)
{
    return QRectF(a | b).adjusted(-margin, -top, margin, margin);
}

QImage DrawBackground(const QSize& size, int page)
{
    CMenuLayout layout;
    layout.SetPage(page);
    layout.CalcLayout();
    QImage pixmap(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&pixmap);
    Begin(p);

    QLinearGradient ground(0, 0, 0, size.height());
    ground.setColorAt(0, QColor(0xee, 0xf2, 0xf7));
    ground.setColorAt(1, QColor(0xdc, 0xe3, 0xec));
    p.fillRect(pixmap.rect(), ground);

    // The current database: caption and name field, which ends at the drop
    // button of the database list (the name is drawn live).
    p.setFont(Face(10));
    p.setPen(kMuted);
    p.drawText(QRectF(16, 2, 190, 15), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral(u"使用中のデータベース"));
    const QRect button = layout.Bottom(6);
    const QRectF field(10.5, button.top() + 1.5, button.left() + 2 - 10.5, button.height() - 3);
    p.setPen(QPen(kPanelLine, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(field, 3, 3);

    // The business side: the flow from the masters over the slips to billing
    // or payment and the analyses.
    const qreal panelWidth = kBusinessRight - 3.5;
    Panel(p, QRectF(3.5, 54.5, panelWidth, 402), QColor(0xff, 0xff, 0xff), QColor(0xfa, 0xfb, 0xfd));
    p.setFont(Face(13, true));
    p.setPen(kInk);
    p.drawText(QRectF(16, 60, 200, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(u"業務メニュー"));
    p.setFont(Face(11, true));
    p.setPen(kMuted);
    p.drawText(QRectF(200, 60, kBusinessRight - 214, 22), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral(u"Corvanta／販売"));
    p.setPen(QPen(QColor(0xe2, 0xe8, 0xef), 1));
    p.drawLine(QPointF(14, 84.5), QPointF(kBusinessRight - 10, 84.5));

    QRectF boxes[4];
    for (int g = 0; g < 4; ++g) {
        const SGroupBox& box = kGroups[page][g];
        boxes[g] = Around(layout.File(box.first), layout.File(box.last), 22, 4);
    }
    const QRectF &masters = boxes[0], &slips = boxes[1], &money = boxes[2], &analysis = boxes[3];
    Flow(p, QPointF(masters.right() + 2, masters.center().y()),
         QPointF(masters.right() + 30, masters.center().y()), QPointF(slips.left() - 30, slips.center().y()),
         QPointF(slips.left() - 3, slips.center().y()));
    Flow(p, QPointF(slips.center().x(), slips.bottom() + 2), QPointF(slips.center().x(), slips.bottom() + 60),
         QPointF(money.right() + 60, money.center().y()), QPointF(money.right() + 3, money.center().y()));
    Flow(p, QPointF(money.center().x(), money.bottom() + 2),
         QPointF(money.center().x(), analysis.center().y()),
         QPointF(analysis.left() - 40, analysis.center().y()),
         QPointF(analysis.left() - 3, analysis.center().y()));
    for (int g = 0; g < 4; ++g)
        Group(p, boxes[g], QString::fromUtf16(kGroups[page][g].caption));

    p.setFont(Face(10));
    p.setPen(kMuted);
    p.drawText(QRectF(16, 428, kBusinessRight - 26, 20), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral(u"ボタンをクリックすると、作業のメニューが開きます"));

    // The bottom row.
    Panel(p, QRectF(3.5, 461.5, panelWidth, 35), QColor(0xf4, 0xf7, 0xfb), QColor(0xe3, 0xea, 0xf2), 6);

    // The schedule calendar.
    const QRectF calendar(kCalendarLeft, 8.5, size.width() - 5.5 - kCalendarLeft, 488);
    Panel(p, calendar, QColor(0xff, 0xff, 0xff), QColor(0xff, 0xff, 0xff));
    QPainterPath header;
    header.addRoundedRect(calendar.adjusted(1, 1, -1, 0), 7, 7);
    QPainterPath headerClip;
    headerClip.addRect(QRectF(calendar.left(), calendar.top(), calendar.width(), 44));
    QLinearGradient headerFill(0, calendar.top(), 0, calendar.top() + 44);
    headerFill.setColorAt(0, QColor(0xf0, 0xf5, 0xfb));
    headerFill.setColorAt(1, QColor(0xe2, 0xeb, 0xf5));
    p.setPen(Qt::NoPen);
    p.setBrush(headerFill);
    p.drawPath(header.intersected(headerClip));
    p.setPen(QPen(kPanelLine, 1));
    p.drawLine(QPointF(calendar.left() + 1, calendar.top() + 44.5),
               QPointF(calendar.right() - 1, calendar.top() + 44.5));
    p.setFont(Face(10, true));
    p.setPen(kMuted);
    p.drawText(QRectF(408, 11, 200, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(u"スケジュール"));
    p.setFont(Face(11, true));
    p.setPen(kInk);
    p.drawText(QRectF(layout.Year().left() + 33, layout.Year().top() - 1, 16, 15),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(u"年"));

    // Row bands: light stripes under the fifteen visible days.
    const int right = layout.Cell(CMenuLayout::kCells - 1).right();
    for (int r = 0; r < CMenuLayout::kRows; ++r) {
        const QRect cell = layout.Cell(r * CMenuLayout::kColumns);
        const QRectF band(kCalendarLeft + 2, cell.top() - 1, right + 2 - kCalendarLeft - 2,
                          cell.height() + 2);
        p.fillRect(band, r % 2 ? QColor(0xf6, 0xf8, 0xfb) : QColor(0xff, 0xff, 0xff));
        p.setPen(QPen(QColor(0xea, 0xee, 0xf3), 1));
        p.drawLine(QPointF(band.left(), band.bottom() + 0.5), QPointF(band.right(), band.bottom() + 0.5));
    }
    p.setPen(QPen(QColor(0xe2, 0xe7, 0xee), 1));
    p.drawLine(QPointF(440.5, layout.Cell(0).top() - 1),
               QPointF(440.5, layout.Cell(CMenuLayout::kCells - 1).bottom()));
    return pixmap;
}

// A page tab standing on the business panel: the current page's tab is
// white and open towards the panel, the other one sits back in grey-blue.
QImage DrawTab(const QSize& size, int page, int state)
{
    QImage pixmap = Blank(size);
    QPainter p(&pixmap);
    Begin(p);
    const bool current = state == 2;
    // The panel's top edge runs 1.5 px above the picture's bottom.
    const qreal edge = size.height() - 1.5;
    const qreal top = current ? 0.5 : 3.5;
    const qreal bottom = current ? size.height() : edge;
    const qreal r = 6;
    QPainterPath shape;
    shape.moveTo(0.5, bottom);
    shape.lineTo(0.5, top + r);
    shape.quadTo(0.5, top, 0.5 + r, top);
    shape.lineTo(size.width() - 0.5 - r, top);
    shape.quadTo(size.width() - 0.5, top, size.width() - 0.5, top + r);
    shape.lineTo(size.width() - 0.5, bottom);
    QLinearGradient fill(0, top, 0, bottom);
    if (current) {
        fill.setColorAt(0, Qt::white);
        fill.setColorAt(1, Qt::white);
    } else {
        fill.setColorAt(0, state == 1 ? QColor(0xf8, 0xfa, 0xfd) : QColor(0xec, 0xf0, 0xf5));
        fill.setColorAt(1, state == 1 ? QColor(0xe9, 0xef, 0xf6) : QColor(0xdd, 0xe4, 0xec));
    }
    p.setPen(QPen(kPanelLine, 1));
    p.setBrush(fill);
    p.drawPath(shape);
    if (current) {
        // The business buttons' orange along the top of the open tab.
        p.setPen(QPen(QColor(0xe8, 0x88, 0x22), 2.5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(r - 1, top + 1.25), QPointF(size.width() - r + 1, top + 1.25));
    }
    p.setPen(current ? kInk : state == 1 ? QColor(0x3a, 0x55, 0x70) : kMuted);
    DrawFitted(p, QRectF(4, top + 2, size.width() - 8, bottom - top - 3),
               QString::fromUtf16(kTabLabels[page]), 12, true);
    return pixmap;
}

QImage Startup(const SArt& art)
{
    QImage pixmap(art.size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&pixmap);
    Begin(p);
    const QRectF all(QPointF(0, 0), art.size);
    QLinearGradient fill(all.topLeft(), all.bottomRight());
    fill.setColorAt(0, QColor(0x24, 0x45, 0x6b));
    fill.setColorAt(1, QColor(0x3d, 0x6f, 0xa0));
    p.fillRect(all, fill);
    // A wide quiet arc for depth.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 18));
    p.drawEllipse(QPointF(art.size.width() * 0.85, art.size.height() * 1.05), 260, 200);
    p.setBrush(QColor(255, 255, 255, 12));
    p.drawEllipse(QPointF(art.size.width() * 0.1, -40), 200, 140);

    p.setPen(Qt::white);
    p.setFont(Face(34, true));
    p.drawText(QRectF(40, 80, 400, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Corvanta"));
    p.setFont(Face(18, true));
    p.setPen(QColor(0xff, 0xd3, 0x96));
    p.drawText(QRectF(42, 128, 400, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(u"販売"));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawLine(QPointF(42, 166.5), QPointF(300, 166.5));
    p.setFont(Face(12));
    p.setPen(QColor(0xdd, 0xe7, 0xf2));
    p.drawText(QRectF(42, 172, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral(u"販売・仕入・在庫の管理"));
    p.setFont(Face(11));
    p.setPen(QColor(0xc4, 0xd3, 0xe4));
    p.drawText(QRectF(42, 250, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral(u"データベースに接続しています…"));
    return pixmap;
}

QImage Draw(const SArt& art)
{
    switch (art.kind) {
    case SArt::Background:
        return DrawBackground(art.size, 0);
    case SArt::Startup:
        return Startup(art);
    case SArt::FileButton:
        return FileButton(art);
    case SArt::BottomButton:
        return BottomButton(art);
    case SArt::CalButton:
        return CalButton(art);
    case SArt::Cell:
        return Cell(art);
    case SArt::Digit:
        return Digit(art);
    case SArt::MonthNumber:
        return MonthNumber(art);
    case SArt::MonthLabel:
        return MonthLabel(art);
    case SArt::Day:
        return Day(art);
    case SArt::Tab:
        break;
    }
    // The tabs are drawn per page and state (CMenuPictures::Tab).
    return QImage();
}

} // namespace

const CMenuPictures& CMenuPictures::Instance()
{
    static const CMenuPictures pictures;
    return pictures;
}

CMenuPictures::CMenuPictures()
{
    for (int id : MenuBitmap::AllIds()) {
        if (const auto art = MenuBitmap::ArtOf(id))
            m_pictures.insert(id, Draw(*art));
    }
    m_purchaseBackground = DrawBackground(MenuBitmap::Size(MenuBitmap::kBackground), 1);
    for (int page = 0; page < 2; ++page) {
        for (int state = 0; state < 3; ++state)
            m_tabs[page][state] = DrawTab(MenuBitmap::Size(MenuBitmap::kTab), page, state);
    }
}

const QImage& CMenuPictures::Picture(int id) const
{
    static const QImage none;
    const auto found = m_pictures.constFind(id);
    return found == m_pictures.constEnd() ? none : *found;
}

const QImage& CMenuPictures::Background(int page) const
{
    return page == 1 ? m_purchaseBackground : Picture(MenuBitmap::kBackground);
}

const QImage& CMenuPictures::Tab(int page, int state) const
{
    static const QImage none;
    return page >= 0 && page < 2 && state >= 0 && state < 3 ? m_tabs[page][state] : none;
}
