// SPDX-License-Identifier: GPL-3.0-or-later
// The artwork drawn for the screen's device pixel ratio. This program runs
// three times: as it is, and with QT_SCALE_FACTOR 1.5 and 2.
#include <QtMath>

#include <cstdlib>

#include "shell/artwork.h"
#include "window_fixture.h"

namespace velmora::testing {
namespace {

// Sum of the squared differences between neighbouring pixels: an edge spread
// over two pixels (scaled up) counts half as much as one drawn crisply.
long long EdgeEnergy(const QImage& image, const QRect& area) {
  long long sum = 0;
  for (int y = area.top(); y < area.bottom(); ++y)
    for (int x = area.left(); x < area.right(); ++x) {
      const QRgb a = image.pixel(x, y), b = image.pixel(x + 1, y), c = image.pixel(x, y + 1);
      const long long dx = qGray(a) - qGray(b), dy = qGray(a) - qGray(c);
      sum += dx * dx + dy * dy;
    }
  return sum;
}

TEST(Artwork, EachPictureIsDrawnForTheRatioAtItsDesignedSize) {
  struct Picture {
    QPixmap (*draw)(qreal);
    QSize size;
  };
  for (Picture picture : {Picture{BannerPicture, {175, 285}}, Picture{FolderIcon, {13, 13}},
                          Picture{DocumentIcon, {13, 13}}}) {
    for (qreal ratio : {1.0, 1.5, 2.0}) {
      const QPixmap pixmap = picture.draw(ratio);
      EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
      EXPECT_EQ(pixmap.size(), QSize(qCeil(picture.size.width() * ratio), qCeil(picture.size.height() * ratio)));
      // Fully painted: no transparent strip left where the ratio rounds.
      if (picture.size.width() == 175) {
        const QImage image = pixmap.toImage();
        EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 255) << ratio;
      }
    }
  }
}

TEST(Artwork, BannerAtTwiceTheRatioIsSharperThanTheOneScaledUp) {
  const QImage native = BannerPicture(2).toImage();
  const QImage scaled = BannerPicture(1).toImage().scaled(native.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const QRect name(20, 28, 310, 72);  // the white name over the blue
  EXPECT_GT(EdgeEnergy(native, name), EdgeEnergy(scaled, name) * 3 / 2);
}

using HiDpiWindow = WindowTest;

TEST_F(HiDpiWindow, TheWindowShowsArtworkDrawnForItsScreen) {
  FrmMain& w = OpenShown();
  QApplication::processEvents();
  const qreal ratio = w.devicePixelRatioF();
  const char* scale = std::getenv("QT_SCALE_FACTOR");
  EXPECT_EQ(ratio, scale ? std::atof(scale) : 1.0) << "the scale this run was started with";
  for (QLabel* label : {Control<QLabel>(w, "Pic"), Control<QLabel>(w, "Image1"), Control<QLabel>(w, "Image2")}) {
    label->repaint();
    EXPECT_EQ(label->pixmap().devicePixelRatio(), ratio) << label->objectName().toStdString();
  }
  // What is on screen is the picture as drawn, pixel for pixel.
  const QImage shown = Control<QLabel>(w, "Pic")->grab().toImage();
  const QImage drawn = BannerPicture(ratio).toImage();
  ASSERT_GE(shown.width(), 2 * drawn.width() / 3);
  for (QPoint p : {QPoint(40, 40), QPoint(shown.width() / 2, shown.height() / 2), QPoint(30, shown.height() - 30)})
    EXPECT_EQ(shown.pixel(p), drawn.pixel(p)) << p.x() << "," << p.y();
  // The designed geometry does not move with the ratio.
  EXPECT_EQ(Control<QLabel>(w, "Pic")->size(), QSize(175, 285));
  EXPECT_EQ(w.centralWidget()->size(), QSize(488, 283));
}

}  // namespace
}  // namespace velmora::testing
