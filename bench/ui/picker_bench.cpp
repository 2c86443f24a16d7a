// The classifier picker over 100,000 rows: from Execute to a shown window
// with rows, one title click (sorting by the name), one incremental-search
// keystroke in the sorted column, and the peak memory of the process.
// Usage: bench_picker [DATABASE.fdb]  (runs offscreen unless told otherwise)
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "data/db/database.h"
#include "data/select/unit_core_selectform.h"

namespace {

double peakMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QStandardPaths::setTestModeEnabled(true);  // placements go to a test folder, not the user's
  const QString source = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TW_BENCH_DB);
  // An embedded database is opened by one process at a time: work on a copy.
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.fdb"));
  if (!QFile::copy(source, path)) {
    std::fprintf(stderr, "bench_picker: cannot copy %s\n", qPrintable(source));
    return 1;
  }
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

  tw::db::Database database;
  database.setDatabaseName(path);
  database.setUserName(QStringLiteral("SYSDBA"));
  database.connect();

  auto makePicker = [&database](const QString& name) {
    auto d = std::make_unique<tw::TSelectDialog>(name, &database);
    d->setShowClearButton(true);
    d->setMultiSelect(false);
    d->setCaption(QStringLiteral("Выбор события из классификатора"));
    d->setKeyField(QStringLiteral("KODKLA"));
    d->setDisplayField(QStringLiteral("KODKL"));
    d->setSQLText(QStringLiteral("SELECT KODKLA, KODKL, NAMZAD FROM KLASSIF"));
    d->AddColumn(QStringLiteral("KODKL"), QStringLiteral("Код события"));
    d->AddColumn(QStringLiteral("NAMZAD"), QStringLiteral("Наименование"));
    d->setAutoFit(true);
    return d;
  };
  struct Figures {
    double openS = 0, sortS = 0, searchMs = 0, loadS = 0;
    int rows = 0;
  };
  // One picker run; with `waitForLoad` the click comes once the rows (and
  // their sort texts) have arrived in the background, as after a user's look.
  auto run = [&](const QString& name, bool waitForLoad) {
    auto d = makePicker(name);
    Figures fig;
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
      tw::TfrmCore_SelectForm& f = *d->Form();
      tw::TDBColorGridEh& g = *f.grdSELECT;
      g.viewport()->repaint();
      fig.openS = static_cast<double>(clock.nsecsElapsed()) / 1e9;
      if (waitForLoad) {
        while (g.gridModel()->loading()) QCoreApplication::processEvents();
        fig.loadS = static_cast<double>(clock.nsecsElapsed()) / 1e9;
      }

      QHeaderView* h = g.horizontalHeader();
      const QPoint title(h->sectionViewportPosition(2) + h->sectionSize(2) / 2, h->height() / 2);
      clock.restart();
      QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, title);
      g.viewport()->repaint();
      fig.sortS = static_cast<double>(clock.nsecsElapsed()) / 1e9;
      fig.rows = g.gridModel()->rowCount();

      g.setCurrentRow(0);
      clock.restart();
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("С"));
      QApplication::sendEvent(&g, &key);
      g.viewport()->repaint();
      fig.searchMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
      if (g.searchText().isEmpty())
        std::fprintf(stderr, "bench_picker: the keystroke found nothing\n");
      f.done(tw::TfrmCore_SelectForm::mrCancel);
    });
    clock.start();
    d->Execute();
    return fig;
  };

  // The click at once: every row is fetched and sorted inside it.
  const Figures now = run(QStringLiteral("KODKLA_BENCH"), false);
  std::printf("picker rows=%d open_s=%.3f sort_s=%.3f search_ms=%.2f peak_mb=%.1f\n", now.rows,
              now.openS, now.sortS, now.searchMs, peakMb());
  const Figures later = run(QStringLiteral("KODKLA_BENCH2"), true);
  std::printf("picker_after_load rows=%d load_s=%.3f sort_s=%.3f search_ms=%.2f peak_mb=%.1f\n",
              later.rows, later.loadS, later.sortS, later.searchMs, peakMb());
  return 0;
}
