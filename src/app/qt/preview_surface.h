#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "output/image.h"

namespace geoframe {

// The picture scaled smoothly (area-averaged when reduced) to width x height.
QImage ScalePreviewPicture(const RgbImage& picture, int width, int height);

// The preview surface Pictemp: a fixed-size canvas in the window colour. A
// picture drawn onto it stays until the next clear, also across repaints.
class PreviewSurface : public QWidget {
 public:
  explicit PreviewSurface(QWidget* parent);

  // Erases the canvas and paints it at once.
  void Clear();
  // Draws the picture scaled into the rectangle (may reach outside the canvas,
  // which clips) and paints it at once.
  void Draw(const RgbImage& picture, int left, int top, int width, int height);
  // Writes the text in the middle of the canvas, wrapped, and paints it at once.
  void Write(const QString& text);
  // What the surface shows, at its own size.
  const QImage& canvas();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage canvas_;
};

}  // namespace geoframe
