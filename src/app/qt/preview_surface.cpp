#include "app/qt/preview_surface.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

namespace geoframe {

QImage ScalePreviewPicture(const RgbImage& picture, int width, int height) {
  if (picture.empty() || width <= 0 || height <= 0) return {};
  // Wraps the pixels without copying; scaled() makes the new image.
  const QImage source(picture.pixels.data(), picture.width, picture.height, picture.width * 3,
                      QImage::Format_RGB888);
  if (source.width() == width && source.height() == height) return source.copy();
  return source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

PreviewSurface::PreviewSurface(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewSurface::Clear() {
  canvas();
  canvas_.fill(palette().color(QPalette::Base));
  repaint();
}

void PreviewSurface::Draw(const RgbImage& picture, int left, int top, int width, int height) {
  const QImage scaled = ScalePreviewPicture(picture, width, height);
  if (scaled.isNull()) return;
  canvas();
  QPainter painter(&canvas_);  // clips to the canvas
  painter.drawImage(left, top, scaled);
  painter.end();
  repaint();
}

void PreviewSurface::Write(const QString& text) {
  canvas();
  QPainter painter(&canvas_);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(canvas_.rect(), Qt::AlignCenter | Qt::TextWordWrap, text);
  painter.end();
  repaint();
}

void PreviewSurface::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), canvas(), event->rect());
}

const QImage& PreviewSurface::canvas() {
  // The surface has one fixed size; the canvas takes it when first used.
  if (canvas_.size() != size()) {
    canvas_ = QImage(size(), QImage::Format_RGB32);
    canvas_.fill(palette().color(QPalette::Base));
  }
  return canvas_;
}

}  // namespace geoframe
