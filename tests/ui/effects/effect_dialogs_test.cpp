// The effect dialogs' own looks and starting choices.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <memory>
#include <vector>

#include "effects_browser.h"
#include "image_size_dialog.h"

namespace {

TEST(ImageSizeDialog, StartsOnTheSmoothestMethodAtEveryOpening) {
  TRasm D;
  EXPECT_EQ(D.Resample->itemText(rmSpline), QStringLiteral("Сплайн"));
  D.Open(800, 600);
  EXPECT_EQ(D.Method(), rmSpline);
  EXPECT_EQ(D.Resample->currentText(), QStringLiteral("Сплайн"));
  D.Resample->setCurrentIndex(rmNearest);
  D.Open(400, 300);
  EXPECT_EQ(D.Method(), rmSpline);
}

TEST(EffectsBrowser, TransparentPartsOfAPreviewShowACheckerboard) {
  std::vector<TCataloguePreview> Previews;
  Previews.push_back({"Blur.bmp", "Размытие", std::make_unique<TBitmap32>()});
  TBitmap32& P = *Previews.back().Picture;
  P.SetSize(32, 32);
  P.Clear(0x00000000);                       // transparent
  P.FillRectS({16, 0, 32, 32}, 0xFF2040C0);  // the right half opaque blue
  TBrowser B;
  B.SetPreviews(Previews);
  ASSERT_EQ(B.View()->count(), 1);
  const QImage Icon = B.View()->item(0)->icon().pixmap(32, 32).toImage();
  ASSERT_EQ(Icon.size(), QSize(32, 32));
  // Squares of 8 pixels, grey and white, where the preview is transparent: never black.
  EXPECT_EQ(Icon.pixel(2, 2), 0xFFC8C8C8u);
  EXPECT_EQ(Icon.pixel(10, 2), 0xFFFFFFFFu);
  EXPECT_EQ(Icon.pixel(10, 10), 0xFFC8C8C8u);
  EXPECT_EQ(Icon.pixel(20, 20), 0xFF2040C0u);
}

}  // namespace
