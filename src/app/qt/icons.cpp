#include "app/qt/icons.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRect>

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

// "EX" in red, cell by cell on the 16 x 16 grid so that it stays sharp, on a
// light backing so that it reads on the sky.
void DrawExLetters(QPainter& p) {
  p.fillRect(QRect(1, 2, 12, 8), QColor(255, 255, 255, 210));
  const QColor red(220, 0, 0);
  // E: the stem and three bars, six cells high.
  p.fillRect(QRect(2, 3, 1, 6), red);
  p.fillRect(QRect(2, 3, 4, 1), red);
  p.fillRect(QRect(2, 5, 3, 1), red);
  p.fillRect(QRect(2, 8, 4, 1), red);
  // X: two diagonals crossing.
  for (int i = 0; i < 6; ++i) {
    p.fillRect(QRect(7 + i, 3 + i, 1, 1), red);
    p.fillRect(QRect(12 - i, 3 + i, 1, 1), red);
  }
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
