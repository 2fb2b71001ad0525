#include "app/qt/icons.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace geoframe {

namespace {

// The landscape on a 16 x 16 grid: framed sky, a sun, two hills.
void DrawLandscape(QPainter& p) {
  p.fillRect(QRectF(0.5, 1.5, 15, 13), QColor(120, 180, 235));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 210, 40));
  p.drawEllipse(QPointF(11.5, 5), 2.2, 2.2);
  QPainterPath back;
  back.moveTo(0.5, 12);
  back.quadTo(6, 5, 11, 12);
  back.lineTo(0.5, 14.5);
  back.closeSubpath();
  p.setBrush(QColor(70, 150, 60));
  p.drawPath(back);
  QPainterPath front;
  front.moveTo(4, 14.5);
  front.quadTo(10, 7.5, 15.5, 12.5);
  front.lineTo(15.5, 14.5);
  front.closeSubpath();
  p.setBrush(QColor(40, 110, 40));
  p.drawPath(front);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.drawRect(QRectF(0.5, 1.5, 15, 13));
}

// "EX" in red strokes at the top left, on a light backing so it reads on the sky.
void DrawExLetters(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 200));
  p.drawRect(QRectF(1, 2, 9, 6.5));
  QPen red(QColor(220, 0, 0), 1.3);
  red.setCapStyle(Qt::FlatCap);
  p.setPen(red);
  // E
  p.drawLine(QPointF(2.2, 2.6), QPointF(2.2, 7.9));
  p.drawLine(QPointF(1.6, 3.0), QPointF(5.0, 3.0));
  p.drawLine(QPointF(1.6, 5.25), QPointF(4.4, 5.25));
  p.drawLine(QPointF(1.6, 7.5), QPointF(5.0, 7.5));
  // X
  p.drawLine(QPointF(5.8, 2.6), QPointF(9.4, 7.9));
  p.drawLine(QPointF(9.4, 2.6), QPointF(5.8, 7.9));
}

}  // namespace

QPixmap DrawPhotoIcon(int size, bool withExifLetters) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, size > 16);
  p.scale(size / 16.0, size / 16.0);
  DrawLandscape(p);
  if (withExifLetters) DrawExLetters(p);
  return pixmap;
}

}  // namespace geoframe
