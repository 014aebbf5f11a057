#include "app/image_list.h"

#include <QPainter>
#include <QPainterPath>

namespace zelvon {
namespace {

void DrawEnvelope(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(60, 60, 60), r.width() / 14));
    p.setBrush(QColor(250, 235, 170));
    const QRectF body = r.adjusted(r.width() * 0.08, r.height() * 0.22, -r.width() * 0.08, -r.height() * 0.22);
    p.drawRect(body);
    p.drawLine(body.topLeft(), QPointF(body.center().x(), body.center().y() + body.height() * 0.1));
    p.drawLine(body.topRight(), QPointF(body.center().x(), body.center().y() + body.height() * 0.1));
}

void DrawProhibited(QPainter& p, const QRectF& r) {
    const QRectF ring = r.adjusted(r.width() * 0.1, r.height() * 0.1, -r.width() * 0.1, -r.height() * 0.1);
    p.setPen(QPen(QColor(200, 20, 20), r.width() / 8));
    p.setBrush(Qt::white);
    p.drawEllipse(ring);
    const qreal d = ring.width() / 2 * 0.7071;
    p.drawLine(QPointF(ring.center().x() - d, ring.center().y() - d), QPointF(ring.center().x() + d, ring.center().y() + d));
}

void DrawCheckMark(QPainter& p, const QRectF& r) {
    QPen pen(QColor(20, 150, 40), r.width() / 6);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    QPainterPath path;
    path.moveTo(r.left() + r.width() * 0.18, r.top() + r.height() * 0.55);
    path.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.78);
    path.lineTo(r.left() + r.width() * 0.84, r.top() + r.height() * 0.24);
    p.drawPath(path);
}

void DrawHourglass(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(90, 60, 20), r.width() / 14));
    p.setBrush(QColor(230, 190, 90));
    const qreal l = r.left() + r.width() * 0.22, rt = r.right() - r.width() * 0.22;
    const qreal t = r.top() + r.height() * 0.1, b = r.bottom() - r.height() * 0.1, m = r.center().y();
    const qreal cx = r.center().x();
    p.drawPolygon(QPolygonF({QPointF(l, t), QPointF(rt, t), QPointF(cx, m), QPointF(rt, b), QPointF(l, b), QPointF(cx, m)}));
    p.drawLine(QPointF(l - 2, t), QPointF(rt + 2, t));
    p.drawLine(QPointF(l - 2, b), QPointF(rt + 2, b));
}

}  // namespace

QPixmap StatusPicture(int index, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size, size);
    switch (index) {
    case kPictureEnvelope: DrawEnvelope(p, r); break;
    case kPictureProhibited: DrawProhibited(p, r); break;
    case kPictureCheckMark: DrawCheckMark(p, r); break;
    case kPictureHourglass: DrawHourglass(p, r); break;
    default: break;
    }
    return pixmap;
}

}  // namespace zelvon
