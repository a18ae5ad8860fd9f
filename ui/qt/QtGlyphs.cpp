// The pictures of the main window's buttons, drawn with lines and simple
// shapes in one ink colour. The edge and strip buttons have none.
#include <QPainter>
#include <QPainterPath>

#include "ui/qt/QtControl.h"

namespace quaverly {

namespace {

void Triangle(QPainter &p, const QRectF &r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right(), r.center().y());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

void Arrow(QPainter &p, QPointF tip, qreal dx)
{
    p.drawLine(tip, tip + QPointF(-dx, -3));
    p.drawLine(tip, tip + QPointF(-dx, 3));
}

}  // namespace

void DrawButtonGlyph(QPainter &p, TControlId id, const QRect &rect, QColor ink)
{
    if (rect.width() < 6 || rect.height() < 6)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(ink, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    const QRectF r = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal w = r.width(), h = r.height();
    switch (id) {
    case TControlId::sbPlay:
        Triangle(p, r.adjusted(w * 0.2, 0, -w * 0.1, 0));
        break;
    case TControlId::sbNext:
        Triangle(p, r.adjusted(0, h * 0.1, -w * 0.3, -h * 0.1));
        p.fillRect(QRectF(r.right() - w * 0.2, r.top() + h * 0.1, w * 0.2, h * 0.8), ink);
        break;
    case TControlId::sbAbout:
        p.drawEllipse(r);
        p.drawArc(r.adjusted(w * 0.28, h * 0.28, -w * 0.28, -h * 0.28), 45 * 16, 270 * 16);
        break;
    case TControlId::sbStop:
        p.fillRect(r.adjusted(w * 0.1, h * 0.1, -w * 0.1, -h * 0.1), ink);
        break;
    case TControlId::sbNormal:
    case TControlId::sbLevel:
        // three level bars: outlined with the external player off, filled with it on
        for (int i = 0; i < 3; ++i) {
            const qreal bw = w / 4, gap = (w - 3 * bw) / 2;
            const qreal bh = h * (0.4 + 0.3 * i);
            const QRectF bar(r.left() + i * (bw + gap), r.bottom() - bh, bw, bh);
            if (id == TControlId::sbLevel)
                p.fillRect(bar, ink);
            else
                p.drawRect(bar);
        }
        break;
    case TControlId::sbOrder:
        for (int i = 0; i < 3; ++i) {
            const qreal y = r.top() + h * (0.15 + 0.35 * i);
            p.drawLine(QPointF(r.left(), y), QPointF(r.right() - w * 0.15, y));
        }
        Arrow(p, QPointF(r.right(), r.top() + h * 0.85), 3);
        break;
    case TControlId::sbRandom:
        p.drawLine(QPointF(r.left(), r.top() + h * 0.2), QPointF(r.right(), r.bottom() - h * 0.2));
        p.drawLine(QPointF(r.left(), r.bottom() - h * 0.2), QPointF(r.right(), r.top() + h * 0.2));
        Arrow(p, QPointF(r.right(), r.bottom() - h * 0.2), 3);
        Arrow(p, QPointF(r.right(), r.top() + h * 0.2), 3);
        break;
    case TControlId::sbAdd: {
        QPainterPath up;
        up.moveTo(r.left(), r.top() + h * 0.6);
        up.lineTo(r.center().x(), r.top());
        up.lineTo(r.right(), r.top() + h * 0.6);
        up.closeSubpath();
        p.fillPath(up, ink);
        p.fillRect(QRectF(r.left(), r.bottom() - h * 0.2, w, h * 0.2), ink);
        break;
    }
    case TControlId::sbMin:
        p.fillRect(QRectF(r.left(), r.bottom() - h * 0.2, w, h * 0.2), ink);
        break;
    case TControlId::sbPower:
        p.drawArc(r.adjusted(w * 0.05, h * 0.1, -w * 0.05, 0), 60 * 16, -300 * 16);
        p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.center().y()));
        break;
    default:
        break;
    }
    p.restore();
}

}  // namespace quaverly
