// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/artwork.h"

#include <QEvent>
#include <QFont>
#include <QtMath>
#include <QLabel>
#include <cmath>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace velmora {
namespace {

const QColor kPageBlue(2, 51, 94);

// A transparent picture of the given size in the window's pixels, with
// enough device pixels for the ratio; a painter on it draws in window pixels.
QPixmap Canvas(int width, int height, qreal ratio) {
  QPixmap pixmap(qCeil(width * ratio), qCeil(height * ratio));
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

class ArtworkOnLabel : public QObject {
 public:
  ArtworkOnLabel(QLabel* label, QPixmap (*draw)(qreal)) : QObject(label), draw_(draw) {
    label->installEventFilter(this);
    label->setPixmap(draw_(label->devicePixelRatioF()));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Before each paint: cheap, and it covers every way the ratio can change.
    if (event->type() == QEvent::Paint) {
      auto* label = static_cast<QLabel*>(watched);
      const qreal ratio = label->devicePixelRatioF();
      if (!qFuzzyCompare(label->pixmap().devicePixelRatio(), ratio)) label->setPixmap(draw_(ratio));
    }
    return false;
  }

 private:
  QPixmap (*draw_)(qreal);
};

// A paper-shredder bin with strips of paper coming out of its slot, in a box
// of the given size at the origin.
void DrawShredder(QPainter& p, const QRectF& box) {
  const qreal w = box.width(), h = box.height();
  const qreal x = box.x(), y = box.y();
  // Paper strips above and through the slot.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(245, 245, 240));
  const int strips = 5;
  for (int i = 0; i < strips; ++i) {
    qreal sx = x + w * (0.22 + 0.12 * i);
    p.drawRect(QRectF(sx, y, w * 0.08, h * 0.42));
  }
  // The head of the shredder.
  QLinearGradient head(x, y + h * 0.3, x, y + h * 0.45);
  head.setColorAt(0, QColor(120, 130, 145));
  head.setColorAt(1, QColor(70, 78, 92));
  p.setBrush(head);
  p.drawRoundedRect(QRectF(x + w * 0.08, y + h * 0.3, w * 0.84, h * 0.16), w * 0.04, w * 0.04);
  p.setBrush(QColor(20, 22, 28));
  p.drawRect(QRectF(x + w * 0.18, y + h * 0.36, w * 0.64, h * 0.03));
  // The bin, slightly narrower at the bottom.
  QPainterPath bin;
  bin.moveTo(x + w * 0.12, y + h * 0.46);
  bin.lineTo(x + w * 0.88, y + h * 0.46);
  bin.lineTo(x + w * 0.80, y + h);
  bin.lineTo(x + w * 0.20, y + h);
  bin.closeSubpath();
  QLinearGradient body(x, 0, x + w, 0);
  body.setColorAt(0, QColor(150, 160, 175));
  body.setColorAt(0.5, QColor(205, 212, 222));
  body.setColorAt(1, QColor(130, 140, 155));
  p.setBrush(body);
  p.drawPath(bin);
  // Shreds visible through the bin's window.
  p.setPen(QPen(QColor(235, 235, 230), qMax<qreal>(1.0, w * 0.02)));
  for (int i = 0; i < 6; ++i) {
    qreal sx = x + w * (0.3 + 0.08 * i);
    p.drawLine(QPointF(sx, y + h * 0.6), QPointF(sx + w * 0.03, y + h * 0.9));
  }
}

void DrawGlobe(QPainter& p, const QPointF& centre, qreal r) {
  QRadialGradient sea(centre - QPointF(r * 0.35, r * 0.35), r * 1.4);
  sea.setColorAt(0, QColor(90, 170, 235));
  sea.setColorAt(1, QColor(15, 75, 150));
  p.setPen(Qt::NoPen);
  p.setBrush(sea);
  p.drawEllipse(centre, r, r);
  // Land masses, loosely.
  p.setBrush(QColor(70, 160, 90));
  p.drawEllipse(centre + QPointF(-r * 0.35, -r * 0.25), r * 0.35, r * 0.25);
  p.drawEllipse(centre + QPointF(r * 0.25, r * 0.2), r * 0.28, r * 0.4);
  // Meridians and parallels.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 110), 1));
  for (qreal k : {0.35, 0.7}) p.drawEllipse(centre, r * k, r);
  p.drawLine(centre - QPointF(0, r), centre + QPointF(0, r));
  for (qreal k : {-0.5, 0.0, 0.5}) {
    qreal yy = centre.y() + r * k;
    qreal half = r * std::sqrt(1 - k * k);
    p.drawLine(QPointF(centre.x() - half, yy), QPointF(centre.x() + half, yy));
  }
  p.setPen(QPen(QColor(255, 255, 255, 160), 1.5));
  p.drawEllipse(centre, r, r);
}

}  // namespace

QPixmap BannerPicture(qreal ratio) {
  QPixmap pixmap = Canvas(175, 285, ratio);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 285);
  sky.setColorAt(0, QColor(10, 60, 120));
  sky.setColorAt(1, kPageBlue);
  p.fillRect(QRectF(0, 0, pixmap.width() / ratio, pixmap.height() / ratio), sky);
  DrawGlobe(p, QPointF(87.5, 120), 52);
  DrawShredder(p, QRectF(52, 168, 72, 96));
  QFont font;
  font.setFamilies({"Verdana", "DejaVu Sans"});
  font.setPixelSize(24);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(0, 14, 175, 36), Qt::AlignCenter, "Velmora");
  return pixmap;
}

QPixmap ShredderIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kPageBlue);
  p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
  DrawShredder(p, QRectF(size * 0.15, size * 0.1, size * 0.7, size * 0.8));
  return pixmap;
}

QIcon WindowIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 96, 128}) icon.addPixmap(ShredderIcon(size));
  return icon;
}

QPixmap FolderIcon(qreal ratio) {
  QPixmap pixmap = Canvas(13, 13, ratio);
  QPainter p(&pixmap);
  p.setPen(QColor(150, 110, 0));
  p.setBrush(QColor(250, 205, 60));
  p.drawRect(0, 2, 5, 2);   // tab
  p.drawRect(0, 3, 12, 8);  // body
  return pixmap;
}

QPixmap DocumentIcon(qreal ratio) {
  QPixmap pixmap = Canvas(13, 13, ratio);
  QPainter p(&pixmap);
  QPolygon sheet({QPoint(2, 0), QPoint(8, 0), QPoint(11, 3), QPoint(11, 12), QPoint(2, 12)});
  p.setPen(QColor(90, 90, 90));
  p.setBrush(Qt::white);
  p.drawPolygon(sheet);
  p.drawLine(8, 0, 8, 3);
  p.drawLine(8, 3, 11, 3);
  p.setPen(QColor(120, 140, 180));
  for (int y : {5, 7, 9}) p.drawLine(4, y, 9, y);
  return pixmap;
}

void ShowArtwork(QLabel* label, QPixmap (*draw)(qreal ratio)) { new ArtworkOnLabel(label, draw); }

}  // namespace velmora
