#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "platform/version/verinfo.h"
#include "qtapp.h"
#include "ui/rzbackground.h"
#include "ui/unit_splash.h"

namespace tw {
namespace {

// Runs `inspect` on the About box while ShowAboutBox holds it open.
void showAndInspect(const std::function<void(TfrmSplash*)>& inspect) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    ASSERT_NE(frmSplash, nullptr);
    ASSERT_TRUE(frmSplash->isVisible());
    inspect(frmSplash);
    ran = true;
    frmSplash->findChild<QPushButton*>("RzButton1")->click();
  });
  ShowAboutBox();
  EXPECT_TRUE(ran);
  EXPECT_FALSE(frmSplash->isVisible());
}

TEST(AboutBox, ShowsVersionFromOwnBlockAndClosesWithButton) {
  test::qtApp();
  UnloadAllVersionInfo();
  showAndInspect([](TfrmSplash* form) {
    EXPECT_EQ(form->findChild<QLabel*>("lbVERSION")->text(), QStringLiteral("Версия 1.0.0.3"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("О библиотеке \"ТАЛВЕРС\""));
    EXPECT_EQ(form->size(), QSize(608, 310));
    EXPECT_EQ(form->findChild<QLabel*>("RzLabel2")->text(), QStringLiteral("ТАЛВЕРС"));
    auto* button = form->findChild<QPushButton*>("RzButton1");
    EXPECT_EQ(button->text(), QStringLiteral("Закрыть..."));
    EXPECT_FALSE(button->isDefault());
    EXPECT_EQ(form->focusWidget(), button);
    auto* background = form->findChild<TRzBackground*>("RzBackground1");
    ASSERT_NE(background, nullptr);
    // White on the left, yellow on the right.
    const QImage shot = form->grab().toImage();
    QDir().mkpath(TW_SCREENSHOT_DIR);
    EXPECT_TRUE(shot.save(TW_SCREENSHOT_DIR "/about.png"));
    EXPECT_GT(shot.pixelColor(0, 300).blue(), 250);
    const QColor right = shot.pixelColor(606, 150);
    EXPECT_EQ(right.red(), 255);
    EXPECT_EQ(right.green(), 255);
    EXPECT_LT(right.blue(), 8);
  });
}

TEST(AboutBox, NoVersionBlockLeavesCaptionBare) {
  test::qtApp();
  struct NoBlocks : VersionSource {
    std::uint32_t blockSize(const std::string&) override { return 0; }
    bool readBlock(const std::string&, std::uint32_t, std::uint8_t*) override { return false; }
  } none;
  UnloadAllVersionInfo();
  setVersionSource(&none);
  EXPECT_EQ(GetVersionCaption(), QStringLiteral("Версия "));
  showAndInspect([](TfrmSplash* form) {
    EXPECT_EQ(form->findChild<QLabel*>("lbVERSION")->text(), QStringLiteral("Версия "));
  });
  setVersionSource(nullptr);
  UnloadAllVersionInfo();
}

}  // namespace
}  // namespace tw
