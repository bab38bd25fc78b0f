#include "ui/images.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cstring>

namespace quorvex::ui {
namespace {

// What each image of the shared list shows: a badge colour and a short mark.
struct Badge {
  QColor colour;
  const char* mark;
};

Badge BadgeOf(int index) {
  // 0..8 the number types, 9..23 the caller icons, 24/25 the sort marks, 26..33 the
  // folders, 34..38 message kinds and states, 39 the highlighted entry.
  static const std::array<Badge, kTypeImageCount> badges = {{
      {QColor(0x3a, 0x7b, 0xd5), "W"},   {QColor(0x2e, 0x9d, 0x5b), "H"},
      {QColor(0x8e, 0x44, 0xad), "M"},   {QColor(0x7f, 0x8c, 0x8d), "F"},
      {QColor(0xd3, 0x54, 0x00), "P"},   {QColor(0x16, 0xa0, 0x85), "@"},
      {QColor(0x95, 0xa5, 0xa6), "?"},   {QColor(0xc0, 0x39, 0x2b), "L"},
      {QColor(0x27, 0x3c, 0x75), "S"},   {QColor(0xe6, 0x7e, 0x22), "1"},
      {QColor(0xe6, 0x7e, 0x22), "2"},   {QColor(0xe6, 0x7e, 0x22), "3"},
      {QColor(0xe6, 0x7e, 0x22), "4"},   {QColor(0xe6, 0x7e, 0x22), "5"},
      {QColor(0xe6, 0x7e, 0x22), "6"},   {QColor(0xe6, 0x7e, 0x22), "7"},
      {QColor(0xe6, 0x7e, 0x22), "8"},   {QColor(0xe6, 0x7e, 0x22), "9"},
      {QColor(0xd3, 0x54, 0x00), "10"},  {QColor(0xd3, 0x54, 0x00), "11"},
      {QColor(0xd3, 0x54, 0x00), "12"},  {QColor(0xd3, 0x54, 0x00), "13"},
      {QColor(0xd3, 0x54, 0x00), "14"},  {QColor(0xd3, 0x54, 0x00), "15"},
      {QColor(0x55, 0x55, 0x55), "v"},   {QColor(0x55, 0x55, 0x55), "^"},
      {QColor(0xf1, 0xc4, 0x0f), "In"},  {QColor(0xf3, 0x9c, 0x12), "In"},
      {QColor(0xf1, 0xc4, 0x0f), "Out"}, {QColor(0xf3, 0x9c, 0x12), "Out"},
      {QColor(0xbd, 0xc3, 0xc7), "Dr"},  {QColor(0x8d, 0x6e, 0x63), "Ar"},
      {QColor(0x34, 0x98, 0xdb), "T"},   {QColor(0x2e, 0xcc, 0x71), "Se"},
      {QColor(0x7f, 0x8c, 0x8d), "R"},   {QColor(0xe7, 0x4c, 0x3c), "N"},
      {QColor(0x34, 0x98, 0xdb), "In"},  {QColor(0x2e, 0xcc, 0x71), "Ok"},
      {QColor(0xe6, 0x7e, 0x22), "No"},  {QColor(0xf1, 0xc4, 0x0f), "*"},
  }};
  return badges[static_cast<std::size_t>(index)];
}

QPixmap DrawBadge(const Badge& b, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(b.colour.darker(140));
  p.setBrush(b.colour);
  p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 3, 3);
  QFont f = p.font();
  f.setPixelSize(std::strlen(b.mark) > 2 ? size / 3 : size / 2 + 1);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromLatin1(b.mark));
  return pm;
}

void DrawHandset(QPainter& p, const QRectF& r, const QColor& body) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(body.darker(170), 1.5));
  p.setBrush(body);
  p.drawRoundedRect(r, r.width() * 0.18, r.width() * 0.18);
  const QRectF screen(r.left() + r.width() * 0.15, r.top() + r.height() * 0.12, r.width() * 0.7,
                      r.height() * 0.33);
  p.setBrush(QColor(0xc8, 0xe8, 0xc0));
  p.drawRoundedRect(screen, 2, 2);
  p.setBrush(body.lighter(160));
  const double kx = r.width() * 0.2, ky = r.height() * 0.08;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col)
      p.drawEllipse(QRectF(r.left() + r.width() * 0.2 + col * kx * 1.2,
                           r.top() + r.height() * 0.52 + row * ky * 1.15, kx * 0.8, ky * 0.8));
}

}  // namespace

QIcon TypeImage(int index) {
  if (index < 0 || index >= kTypeImageCount) return QIcon();
  static std::array<QIcon, kTypeImageCount> cache;
  QIcon& icon = cache[static_cast<std::size_t>(index)];
  if (icon.isNull()) icon = QIcon(DrawBadge(BadgeOf(index), 16));
  return icon;
}

QIcon SectionGlyph(int section) {
  const int s = 32;
  QPixmap pm(s, s);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (section) {
    case 0: {  // a console
      p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.5));
      p.setBrush(QColor(0x22, 0x2b, 0x33));
      p.drawRoundedRect(QRectF(2, 4, 28, 22), 3, 3);
      p.setPen(QPen(QColor(0x5f, 0xe0, 0x7a), 2));
      p.drawLine(QPointF(7, 10), QPointF(12, 14));
      p.drawLine(QPointF(12, 14), QPointF(7, 18));
      p.drawLine(QPointF(14, 19), QPointF(22, 19));
      break;
    }
    case 1:  // the handset itself
      DrawHandset(p, QRectF(9, 1, 14, 30), QColor(0x3a, 0x4a, 0x6b));
      break;
    case 2: {  // an address book
      p.setPen(QPen(QColor(0x6d, 0x3a, 0x12), 1.5));
      p.setBrush(QColor(0xc0, 0x6a, 0x2b));
      p.drawRoundedRect(QRectF(6, 2, 22, 28), 2, 2);
      p.setBrush(QColor(0xfa, 0xf0, 0xe0));
      p.drawRect(QRectF(10, 7, 14, 8));
      p.setPen(QPen(QColor(0x6d, 0x3a, 0x12), 2));
      for (int y = 6; y <= 26; y += 5) p.drawLine(QPointF(4, y), QPointF(8, y));
      break;
    }
    case 3: {  // a calendar sheet
      p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1.2));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(3, 5, 26, 24));
      p.setBrush(QColor(0xc0, 0x39, 0x2b));
      p.drawRect(QRectF(3, 5, 26, 7));
      p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1));
      for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) p.drawRect(QRectF(6 + col * 6, 15 + row * 4.5, 3, 2.5));
      break;
    }
    default: {  // an envelope
      p.setPen(QPen(QColor(0x1f, 0x5f, 0x9e), 1.5));
      p.setBrush(QColor(0xe8, 0xf1, 0xfb));
      p.drawRect(QRectF(2, 7, 28, 19));
      p.drawLine(QPointF(2, 7), QPointF(16, 18));
      p.drawLine(QPointF(30, 7), QPointF(16, 18));
      break;
    }
  }
  return QIcon(pm);
}

QPixmap AboutPicture() {
  QPixmap pm(120, 160);
  pm.fill(QColor(0xee, 0xf2, 0xf7));
  QPainter p(&pm);
  DrawHandset(p, QRectF(34, 14, 52, 120), QColor(0x7a, 0x2e, 0x8e));
  p.setPen(QColor(0x33, 0x33, 0x55));
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(13);
  p.setFont(f);
  p.drawText(QRect(0, 138, 120, 20), Qt::AlignCenter, QStringLiteral("Quorvex"));
  return pm;
}

}  // namespace quorvex::ui
