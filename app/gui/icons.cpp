#include "icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

#include "command_ids.h"
#include "core/commands.h"
#include "qt_dc.h"

namespace velmor::gui {

namespace {

namespace c = velmor::cmd;

const QColor kInk(0x20, 0x20, 0x20);
const QColor kBlue(0x1f, 0x5f, 0xbf);
const QColor kRed(0xc0, 0x20, 0x20);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPaperEdge(0x60, 0x60, 0x60);

// Text fitted into the box, centred.
void fittedText(QPainter& p, const QRectF& box, const QString& text, const QColor& color, bool bold = false,
                const QString& family = QString()) {
    QFont f(family.isEmpty() ? symbolFamily() : family);
    f.setBold(bold);
    f.setPixelSize(int(box.height()));
    for (int px = int(box.height()); px > 4; --px) {
        f.setPixelSize(px);
        const QFontMetricsF m(f);
        if (m.horizontalAdvance(text) <= box.width() && m.height() <= box.height() * 1.25) break;
    }
    p.setFont(f);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
}

void page(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.3;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kPaperEdge, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void drawNew(QPainter& p) { page(p, QRectF(3.5, 1.5, 9, 12)); }

void drawOpen(QPainter& p) {
    p.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
    p.setBrush(QColor(0xf0, 0xc8, 0x40));
    p.drawRect(QRectF(1.5, 4.5, 11, 9));
    p.drawRect(QRectF(1.5, 3.0, 5, 1.5));
    p.setBrush(QColor(0xf8, 0xe0, 0x80));
    QPolygonF flap{QPointF(3.5, 7.5), QPointF(15.0, 7.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)};
    p.drawPolygon(flap);
}

void drawSave(QPainter& p) {
    p.setPen(QPen(QColor(0x10, 0x20, 0x50), 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(1.5, 1.5, 12, 12));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 8, 5));
    p.setBrush(QColor(0xc0, 0xc0, 0xc0));
    p.drawRect(QRectF(4.5, 9.5, 6, 4));
}

void drawCut(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(5, 1.5), QPointF(10, 9));
    p.drawLine(QPointF(11, 1.5), QPointF(6, 9));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(4.5, 11), 2.5, 2.5);
    p.drawEllipse(QPointF(11.5, 11), 2.5, 2.5);
}

void drawCopy(QPainter& p) {
    page(p, QRectF(1.5, 1.5, 8, 9));
    page(p, QRectF(6.5, 4.5, 8, 9));
}

void drawPaste(QPainter& p) {
    p.setPen(QPen(QColor(0x60, 0x40, 0x10), 1));
    p.setBrush(QColor(0xb0, 0x80, 0x40));
    p.drawRect(QRectF(1.5, 2.5, 10, 11));
    p.setBrush(QColor(0xc0, 0xc0, 0xc0));
    p.drawRect(QRectF(4.5, 1.5, 4, 2));
    page(p, QRectF(6.5, 5.5, 8, 8.5));
}

void drawPrint(QPainter& p) {
    page(p, QRectF(4.5, 1.5, 7, 6));
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.setBrush(QColor(0xb0, 0xb0, 0xb0));
    p.drawRect(QRectF(1.5, 6.5, 13, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 10.5, 9, 3));
    p.setPen(QPen(QColor(0x20, 0xa0, 0x20), 1));
    p.drawPoint(QPointF(12.5, 8.5));
}

void drawAbout(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(1.5, 1, 13, 13));
    fittedText(p, QRectF(2, 1, 12, 13), QStringLiteral("?"), Qt::white, true);
}

void arrowPointer(QPainter& p, qreal x, qreal y, qreal s) {
    QPolygonF arrow{QPointF(0, 0),    QPointF(0, 10), QPointF(2.5, 7.5), QPointF(4.5, 11.5),
                    QPointF(6, 10.8), QPointF(4, 7),  QPointF(7.5, 7)};
    for (QPointF& pt : arrow) pt = QPointF(x + pt.x() * s, y + pt.y() * s);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPolygon(arrow);
}

void drawContextHelp(QPainter& p) {
    arrowPointer(p, 1.5, 1.5, 1.0);
    fittedText(p, QRectF(8, 1, 8, 11), QStringLiteral("?"), kBlue, true);
}

void drawSelector(QPainter& p) { arrowPointer(p, 4.5, 1.5, 1.1); }

// An empty slot, the way the editor shows an empty field, with a spark.
void drawNewItem(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 5.5, 7, 8));
    p.setPen(QPen(kRed, 1.2));
    p.drawLine(QPointF(12, 1.5), QPointF(12, 8.5));
    p.drawLine(QPointF(8.5, 5), QPointF(15.5, 5));
}

// A text cursor in a formula.
void drawEdit(QPainter& p) {
    fittedText(p, QRectF(0, 2, 9, 12), QStringLiteral("x"), kRed, false);
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(11.5, 2), QPointF(11.5, 13));
    p.drawLine(QPointF(9.5, 1.5), QPointF(13.5, 1.5));
    p.drawLine(QPointF(9.5, 13.5), QPointF(13.5, 13.5));
}

void drawCalculate(QPainter& p) {
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(QColor(0xd8, 0xd8, 0xd8));
    p.drawRoundedRect(QRectF(2.5, 0.5, 11, 14), 1.5, 1.5);
    p.setBrush(QColor(0xd0, 0xf0, 0xc8));
    p.drawRect(QRectF(4, 2, 8, 3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) p.drawRect(QRectF(4 + col * 3, 7 + row * 2.5, 2, 1.5));
}

void drawIsolate(QPainter& p) {
    fittedText(p, QRectF(0, 1, 16, 13), QStringLiteral("x="), kInk, true);
    p.setPen(QPen(kRed, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 2.5, 7, 10));
}

// A button without a command of its own yet.
void drawSpare(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x80, 0x80, 0x80));
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(3.5 + i * 4.5, 8), 1.2, 1.2);
}

// x with a raised y: the power operator.
void drawPower(QPainter& p, const QRectF& box) {
    const QRectF base(box.left() + box.width() * 0.25, box.top() + 3, box.width() * 0.3, box.height() - 3);
    const QRectF raised(base.right(), box.top(), box.width() * 0.22, box.height() * 0.6);
    fittedText(p, base, QStringLiteral("x"), kInk);
    fittedText(p, raised, QStringLiteral("y"), kRed);
}

void drawRoot(QPainter& p, const QRectF& box) {
    const qreal x0 = box.left() + box.width() * 0.22;
    p.setPen(QPen(kInk, 1));
    QPolygonF sign{QPointF(x0, box.top() + 9.5), QPointF(x0 + 2, box.top() + 8.5),
                   QPointF(x0 + 4.5, box.bottom() - 1), QPointF(x0 + 7.5, box.top() + 1.5),
                   QPointF(box.right() - box.width() * 0.18, box.top() + 1.5)};
    p.drawPolyline(sign);
    fittedText(p, QRectF(x0 + 7, box.top() + 3, box.width() * 0.3, box.height() - 3), QStringLiteral("x"),
               kRed);
}

void drawText(QPainter& p, const QRectF& box, const QString& text, const QColor& color) {
    fittedText(p, box.adjusted(1, 0, -1, 0), text, color);
}

void paintIcon(QPainter& p, int commandId, const QRectF& box) {
    switch (commandId) {
        case id::FileNew:
            return drawNew(p);
        case id::FileOpen:
            return drawOpen(p);
        case id::FileSave:
            return drawSave(p);
        case id::EditCut:
            return drawCut(p);
        case id::EditCopy:
            return drawCopy(p);
        case id::EditPaste:
            return drawPaste(p);
        case id::FilePrint:
            return drawPrint(p);
        case id::AppAbout:
            return drawAbout(p);
        case id::ContextHelp:
            return drawContextHelp(p);
        case c::SelectorTool:
            return drawSelector(p);
        case c::NewItemTool:
            return drawNewItem(p);
        case c::EditTool:
            return drawEdit(p);
        case c::Calculate:
            return drawCalculate(p);
        case c::UseConstants:
            return drawText(p, box, QStringLiteral("\u03c0"), kBlue);
        case c::TestRule:
            return drawText(p, box, QStringLiteral("\u21d2"), kRed);
        case c::MainToolbarSpare:
            return drawSpare(p);
        case c::Isolate:
            return drawIsolate(p);
        case c::InsertTrue:
            return drawText(p, box, QStringLiteral("True"), kBlue);
        case c::InsertFalse:
            return drawText(p, box, QStringLiteral("False"), kBlue);
        case c::InsertPlusInfinity:
            return drawText(p, box, QStringLiteral("+\u221e"), kInk);
        case c::InsertMinusInfinity:
            return drawText(p, box, QStringLiteral("\u2212\u221e"), kInk);
        case c::InsertRoot:
            return drawRoot(p, box);
        case c::InsertPower:
            return drawPower(p, box);
        case c::InsertLog:
            return drawText(p, box, QStringLiteral("log"), kInk);
        case c::InsertSin:
            return drawText(p, box, QStringLiteral("sin"), kInk);
        case c::InsertCos:
            return drawText(p, box, QStringLiteral("cos"), kInk);
        case c::InsertTan:
            return drawText(p, box, QStringLiteral("tan"), kInk);
        case c::InsertASin:
            return drawText(p, box, QStringLiteral("asin"), kInk);
        case c::InsertACos:
            return drawText(p, box, QStringLiteral("acos"), kInk);
        case c::InsertATan:
            return drawText(p, box, QStringLiteral("atan"), kInk);
        case c::InsertIntersection:
            return drawText(p, box, QStringLiteral("\u2229"), kInk);
        case c::InsertUnion:
            return drawText(p, box, QStringLiteral("\u222a"), kInk);
        case c::InsertContains:
            return drawText(p, box, QStringLiteral("\u2283"), kInk);
        case c::InsertNotContain:
            return drawText(p, box, QStringLiteral("\u2285"), kInk);
        case c::InsertContained:
            return drawText(p, box, QStringLiteral("\u2282"), kInk);
        case c::Refers:
            return drawText(p, box, QStringLiteral("\u2192"), kInk);
        case c::Refered:
            return drawText(p, box, QStringLiteral("\u2190"), kInk);
        case c::InsertBelongs:
            return drawText(p, box, QStringLiteral("\u2208"), kInk);
        case c::InsertNotBelong:
            return drawText(p, box, QStringLiteral("\u2209"), kInk);
        default:
            return;
    }
}

QPixmap render(int commandId, QSize size, qreal scale) {
    QPixmap pm(size * scale);
    pm.setDevicePixelRatio(scale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Pictures are drawn for 16 by 15; texts fill whatever box they get.
    const QRectF box(0, 0, size.width(), size.height());
    paintIcon(p, commandId, box);
    return pm;
}

}  // namespace

QIcon commandIcon(int commandId, QSize size) {
    QIcon icon;
    if (commandId == 0) return icon;
    icon.addPixmap(render(commandId, size, 1.0));
    icon.addPixmap(render(commandId, size, 2.0));
    return icon;
}

QIcon appIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128}) {
        QPixmap pm(side, side);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 64.0, side / 64.0);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
        QPen pen(Qt::white, 5);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(
            QPolygonF{QPointF(10, 36), QPointF(17, 32), QPointF(26, 52), QPointF(36, 13), QPointF(55, 13)});
        QPen x(QColor(0xff, 0xd0, 0x40), 5);
        x.setCapStyle(Qt::RoundCap);
        p.setPen(x);
        p.drawLine(QPointF(38, 25), QPointF(52, 45));
        p.drawLine(QPointF(52, 25), QPointF(38, 45));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace velmor::gui
