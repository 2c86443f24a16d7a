// Saves pictures of the editor over a plan with Russian values: both tabs
// (the first with a balloon hint showing) and the subdivision picker open
// over it. They are for looking at; the test checks only that they were made.
#include <QDir>
#include <QPainter>
#include <QStandardPaths>

#include "data/select/unit_core_selectform.h"
#include "editor/balloon_hints.h"
#include "editor_fixture.h"

namespace tw::test {
namespace {

// The windows drawn into one picture at their places on the screen.
QImage compose(const std::vector<QWidget*>& windows) {
  QRect area;
  for (QWidget* w : windows) area |= w->frameGeometry();
  area.adjust(-8, -8, 8, 8);
  QImage image(area.size(), QImage::Format_ARGB32);
  image.fill(QColor(58, 110, 165));  // a desktop behind them
  QPainter p(&image);
  for (QWidget* w : windows) {
    const QPoint at = w->geometry().topLeft() - area.topLeft();
    p.save();
    if (!w->mask().isEmpty()) {
      p.setClipRegion(w->mask().translated(at));  // a shaped window shows only its shape
    } else {
      p.setPen(QColor(60, 60, 60));
      p.drawRect(QRect(at, w->size()).adjusted(-1, -1, 0, 0));
    }
    p.drawPixmap(at, w->grab());
    p.restore();
  }
  return image;
}

class ScreenshotTest : public EditorFixture {};

TEST_F(ScreenshotTest, BothTabsAndAPickerOverAPlan) {
  QStandardPaths::setTestModeEnabled(true);
  const QString dir = QString::fromUtf8(TW_EDITOR_SHOTS_DIR);
  QDir().mkpath(dir);
  const AutoRef a = dropEvent(
      {"P1", "Отдел главного конструктора", "1.1.1",
       "Разработка технического задания: блок управления", "100", "", "10.01.2026", "12.01.2026"},
      1, 6);
  dropEvent({"P2", "Цех № 1 механообработки", "1.6.2",
             "Изготовление опытного образца: корпус изделия", "40", "", "01.03.2026", ""},
            1, 3);
  dropEvent({"P4", "Служба главного технолога", "1.13.2", "Подготовка производства: корпус изделия",
             "0", "", "", ""},
            8, 3);
  CurrentShape = dropEvent(
      {"P3", "Отдел технического контроля", "1.10.3", "Приёмочные испытания: блок управления", "25",
       "Программа испытаний ПИ-12 согласована с заказчиком", "15.04.2026", ""},
      5, 5);
  DropConnector(VisioApp, a, CurrentShape);

  std::vector<QString> saved;
  auto save = [&](const QImage& image, const char* name) {
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    if (image.save(path)) saved.push_back(path);
  };
  edit(settings("ivanov"), [&](QDialog& d) {
    auto* hints = d.findChild<BalloonHints*>(QStringLiteral("RzBalloonHints1"));
    ASSERT_NE(hints, nullptr);
    hints->showBalloon(child<QToolButton>(d, "editLOAD"));
    ASSERT_NE(hints->balloon(), nullptr);
    save(compose({&d, hints->balloon()}), "editor-tab1.png");
    hints->hideBalloon();

    child<QTabWidget>(d, "RzPageControl1")->setCurrentIndex(1);
    child<QListWidget>(d, "clPRED")->setCurrentRow(1);
    save(compose({&d}), "editor-tab2.png");
    child<QTabWidget>(d, "RzPageControl1")->setCurrentIndex(0);

    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* f = qobject_cast<TfrmCore_SelectForm*>(QApplication::activeModalWidget());
      if (!f) return;
      f->grdSELECT->setCurrentRow(2);
      save(compose({&d, f}), "editor-picker.png");
      f->btnCANCEL->click();
    });
    timer.start(0);
    click(d, "editLOAD");
    click(d, "btnCancel");
  });
  EXPECT_EQ(saved.size(), 3u);
  for (const QString& path : saved) std::printf("  screenshot: %s\n", path.toUtf8().constData());
}

}  // namespace
}  // namespace tw::test
