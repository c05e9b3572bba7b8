#include "app/TrayIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tapestra {
namespace {

QPixmap Draw(int size, bool on) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);

  const QColor frame = on ? QColor(0x1f, 0x3a, 0x68) : QColor(0x55, 0x55, 0x55);
  const QColor sky = on ? QColor(0x8e, 0xc9, 0xf0) : QColor(0xd0, 0xd0, 0xd0);
  const QColor hill = on ? QColor(0x3c, 0x9a, 0x4a) : QColor(0x90, 0x90, 0x90);
  const QColor sun = on ? QColor(0xff, 0xc8, 0x2e) : QColor(0xf4, 0xf4, 0xf4);

  // Picture frame with sky.
  p.setPen(QPen(frame, 1.2));
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(1.1, 2.1, 13.8, 11.8), 1.5, 1.5);
  // Sun and hills, clipped to the picture.
  p.setClipRect(QRectF(1.7, 2.7, 12.6, 10.6));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QPointF(10.8, 5.6), 1.8, 1.8);
  QPainterPath hills;
  hills.moveTo(1, 14);
  hills.lineTo(1, 10.5);
  hills.quadTo(4.5, 6.5, 8, 10);
  hills.quadTo(11, 8, 15, 11);
  hills.lineTo(15, 14);
  hills.closeSubpath();
  p.setBrush(hill);
  p.drawPath(hills);
  p.setClipping(false);

  if (on) {
    // A turning arrow in the lower right corner: the wallpaper changes by itself.
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(12.0, 12.0), 4.0, 4.0);
    p.setPen(QPen(QColor(0xd9, 0x48, 0x1c), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9.6, 9.6, 4.8, 4.8), 60 * 16, 270 * 16);
    QPainterPath head;
    head.moveTo(13.9, 8.9);
    head.lineTo(14.4, 11.4);
    head.lineTo(11.9, 10.9);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0x48, 0x1c));
    p.drawPath(head);
  }
  return pixmap;
}

}  // namespace

QIcon MakeTrayIcon(int index) {
  QIcon icon;
  for (int size : {16, 32}) icon.addPixmap(Draw(size, index == 1));
  return icon;
}

}  // namespace tapestra
