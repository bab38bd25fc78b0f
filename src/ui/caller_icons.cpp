#include "ui/caller_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <vector>

namespace quorvex::ui {
namespace {

// Small faces and signs, one per caption of the record dialog's icon box.

void Face(QPainter& p, QRectF r, QColor skin) {
  p.setPen(QPen(skin.darker(170), 1));
  p.setBrush(skin);
  p.drawEllipse(r);
}

void Eyes(QPainter& p, QRectF r, QColor c = Qt::black) {
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  const qreal y = r.top() + r.height() * 0.38, d = std::max<qreal>(1.6, r.width() / 8);
  p.drawEllipse(QPointF(r.left() + r.width() * 0.34, y), d / 2, d / 2);
  p.drawEllipse(QPointF(r.left() + r.width() * 0.66, y), d / 2, d / 2);
}

// A mouth: bend > 0 smiles, < 0 frowns.
void Mouth(QPainter& p, QRectF r, qreal bend) {
  QPainterPath path;
  const qreal y = r.top() + r.height() * 0.68;
  path.moveTo(r.left() + r.width() * 0.3, y);
  path.quadTo(r.center().x(), y + bend * r.height() * 0.25, r.left() + r.width() * 0.7, y);
  p.setPen(QPen(Qt::black, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

QPainterPath Star(QPointF c, qreal outer, qreal inner) {
  QPainterPath path;
  for (int i = 0; i < 10; ++i) {
    const qreal a = -M_PI / 2 + i * M_PI / 5;
    const qreal rad = i % 2 == 0 ? outer : inner;
    const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
    if (i == 0)
      path.moveTo(pt);
    else
      path.lineTo(pt);
  }
  path.closeSubpath();
  return path;
}

QPainterPath Heart(QRectF r) {
  QPainterPath path;
  const qreal x = r.left(), y = r.top(), w = r.width(), h = r.height();
  path.moveTo(x + w / 2, y + h);
  path.cubicTo(x - w * 0.1, y + h * 0.55, x + w * 0.1, y - h * 0.05, x + w / 2, y + h * 0.28);
  path.cubicTo(x + w * 0.9, y - h * 0.05, x + w * 1.1, y + h * 0.55, x + w / 2, y + h);
  return path;
}

// Icons 0..6: faces.
void DrawFace(QPainter& p, int index) {
  const QRectF face(5.5, 0.5, 16, 16);
  switch (index) {
    case 0:  // awful: a grey frown
      Face(p, face, QColor(0xb0, 0xb8, 0x9a));
      Eyes(p, face);
      Mouth(p, face, -1);
      break;
    case 1:  // buddy: a plain smile
      Face(p, face, QColor(0xff, 0xd8, 0x3a));
      Eyes(p, face);
      Mouth(p, face, 1);
      break;
    case 2: {  // baby: a small face with a curl
      const QRectF small(7.5, 3.5, 12, 12);
      Face(p, small, QColor(0xff, 0xc8, 0xb0));
      Eyes(p, small);
      Mouth(p, small, 1);
      p.setPen(QPen(QColor(0x8b, 0x5a, 0x2b), 1.2));
      p.drawArc(QRectF(11.5, 0.5, 4, 4), 0, 270 * 16);
      break;
    }
    case 3: {  // robot: a square head with an aerial
      p.setPen(QPen(QColor(0x44, 0x4c, 0x55), 1));
      p.setBrush(QColor(0xa7, 0xb4, 0xc2));
      p.drawRect(QRectF(7.5, 4.5, 12, 12));
      p.drawLine(QPointF(13.5, 4.5), QPointF(13.5, 1.5));
      p.setBrush(QColor(0xe7, 0x4c, 0x3c));
      p.drawEllipse(QPointF(13.5, 1.5), 1.3, 1.3);
      p.setBrush(QColor(0x1e, 0x90, 0xff));
      p.drawRect(QRectF(9.5, 7.5, 2.5, 2.5));
      p.drawRect(QRectF(15, 7.5, 2.5, 2.5));
      p.drawLine(QPointF(10, 13.5), QPointF(17, 13.5));
      break;
    }
    case 4:  // cutie: pink cheeks
      Face(p, face, QColor(0xff, 0xd8, 0x3a));
      Eyes(p, face);
      Mouth(p, face, 1);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xff, 0x6f, 0x91));
      p.drawEllipse(QPointF(8.8, 11), 1.6, 1.2);
      p.drawEllipse(QPointF(18.2, 11), 1.6, 1.2);
      break;
    case 5: {  // boss: a hat over the face
      const QRectF lower(6.5, 2.5, 14, 14);
      Face(p, lower, QColor(0xff, 0xd0, 0x8a));
      Eyes(p, lower);
      Mouth(p, lower, 0.3);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x22, 0x22, 0x22));
      p.drawRect(QRectF(9, 0, 9, 4));
      p.drawRect(QRectF(6, 3.5, 15, 1.6));
      break;
    }
    case 6:  // yuck: green with its tongue out
      Face(p, face, QColor(0x8b, 0xc3, 0x4a));
      Eyes(p, face);
      Mouth(p, face, 0);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xe9, 0x1e, 0x63));
      p.drawEllipse(QRectF(12, 11.5, 3.5, 3.5));
      break;
    default:
      break;
  }
}

// Icons 7..14: the other signs.
void DrawSign(QPainter& p, int index) {
  const QRectF face(5.5, 0.5, 16, 16);
  switch (index) {
    case 7: {  // family: two faces
      const QRectF a(1.5, 3.5, 12, 12), b(11.5, 5.5, 11, 11);
      Face(p, a, QColor(0xff, 0xd0, 0x8a));
      Eyes(p, a);
      Mouth(p, a, 1);
      Face(p, b, QColor(0xff, 0xc8, 0xb0));
      Eyes(p, b);
      Mouth(p, b, 1);
      break;
    }
    case 8:  // star
      p.setPen(QPen(QColor(0xc7, 0x8c, 0x00), 1));
      p.setBrush(QColor(0xff, 0xc1, 0x07));
      p.drawPath(Star(QPointF(12, 9.5), 8.5, 3.6));
      break;
    case 9:  // brainy: glasses
      Face(p, face, QColor(0xff, 0xd8, 0x3a));
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(10.5, 6.8), 2.6, 2.6);
      p.drawEllipse(QPointF(16.5, 6.8), 2.6, 2.6);
      p.drawLine(QPointF(13.1, 6.8), QPointF(13.9, 6.8));
      Mouth(p, face, 0.6);
      break;
    case 10: {  // thing: a gem
      QPainterPath gem;
      gem.moveTo(7, 6);
      gem.lineTo(10, 2);
      gem.lineTo(17, 2);
      gem.lineTo(20, 6);
      gem.lineTo(13.5, 16);
      gem.closeSubpath();
      p.setPen(QPen(QColor(0x00, 0x69, 0x7c), 1));
      p.setBrush(QColor(0x26, 0xc6, 0xda));
      p.drawPath(gem);
      p.drawLine(QPointF(7, 6), QPointF(20, 6));
      break;
    }
    case 11:  // UFO: a saucer under a dome
      p.setPen(QPen(QColor(0x33, 0x33, 0x55), 1));
      p.setBrush(QColor(0x9f, 0xd3, 0xff));
      p.drawEllipse(QRectF(8.5, 2.5, 9, 8));
      p.setBrush(QColor(0x78, 0x80, 0x90));
      p.drawEllipse(QRectF(1.5, 7.5, 21, 6));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xff, 0xeb, 0x3b));
      for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(7.5 + i * 4.5, 10.5), 1.1, 1.1);
      break;
    case 12: {  // skin: a skull
      Face(p, QRectF(6.5, 0.5, 14, 13), QColor(0xf2, 0xf2, 0xf2));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x22, 0x22, 0x22));
      p.drawEllipse(QRectF(8.8, 4.5, 3.6, 4));
      p.drawEllipse(QRectF(14.6, 4.5, 3.6, 4));
      p.setBrush(QColor(0xf2, 0xf2, 0xf2));
      p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
      p.drawRect(QRectF(10.5, 12.5, 6, 4));
      p.drawLine(QPointF(13.5, 12.5), QPointF(13.5, 16.5));
      break;
    }
    case 13:  // fan: a ball
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::white);
      p.drawEllipse(face);
      p.setBrush(Qt::black);
      p.drawPath(Star(face.center(), 3.4, 3.4 * 0.81));
      break;
    case 14:  // charm: a heart
      p.setPen(QPen(QColor(0xa0, 0x10, 0x30), 1));
      p.setBrush(QColor(0xe5, 0x39, 0x35));
      p.drawPath(Heart(QRectF(4.5, 1.5, 15, 15)));
      break;
    default:
      break;
  }
}

void DrawCallerIcon(QPainter& p, int index) {
  if (index < 7)
    DrawFace(p, index);
  else
    DrawSign(p, index);
}

}  // namespace

QIcon CallerIcon(int index) {
  if (index < 0 || index >= kCallerIconCount) return {};
  static const std::vector<QIcon> icons = [] {
    std::vector<QIcon> v;
    for (int i = 0; i < kCallerIconCount; ++i) {
      QPixmap pm(kCallerIconSize);
      pm.fill(Qt::transparent);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      DrawCallerIcon(p, i);
      p.end();
      v.emplace_back(pm);
    }
    return v;
  }();
  return icons[static_cast<std::size_t>(index)];
}

}  // namespace quorvex::ui
