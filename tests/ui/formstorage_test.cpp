#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "qtapp.h"
#include "ui/formstorageex.h"

// Outside the namespace so that the form's class name is the bare one.
class TfrmTwoGrids : public QWidget {
  Q_OBJECT
 public:
  TfrmTwoGrids() {
    auto* layout = new QVBoxLayout(this);
    for (const char* name : {"grdA", "grdB"}) {
      auto* grid = new tw::TDBColorGridEh(this);
      grid->setObjectName(name);
      layout->addWidget(grid);
      grids.push_back(grid);
    }
    storage = new tw::TFormStorageEx(this);
    resize(500, 400);
  }
  std::vector<tw::TDBColorGridEh*> grids;
  tw::TFormStorageEx* storage;
};

namespace tw {
namespace {

class FormStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    QStandardPaths::setTestModeEnabled(true);
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Vek")
        .removeRecursively();
    source = std::make_unique<MemoryGridSource>(
        QStringList{"KOD", "NAMZAD"},
        std::vector<std::vector<QVariant>>{{1, QStringLiteral("б")}, {2, QStringLiteral("а")}});
  }
  void TearDown() override {
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Vek")
        .removeRecursively();
  }
  std::unique_ptr<TfrmTwoGrids> makeForm() {
    auto form = std::make_unique<TfrmTwoGrids>();
    for (auto* grid : form->grids) grid->gridModel()->setSource(source.get());
    return form;
  }
  std::unique_ptr<QSettings> stored(const QString& key = "Software\\Vek\\Forms\\TfrmTwoGrids") {
    return TFormStorageEx::openKey(key);
  }
  std::unique_ptr<MemoryGridSource> source;
};

TEST_F(FormStorageTest, DefaultsAfterConstruction) {
  auto form = makeForm();
  const TFormStorageEx& s = *form->storage;
  EXPECT_EQ(s.IniFileName, QStringLiteral("Software\\Vek\\Forms\\TfrmTwoGrids"));
  EXPECT_TRUE(s.IniSection.isEmpty());
  EXPECT_TRUE(s.UseRegistry);
  EXPECT_TRUE(s.SaveDBGridEh);
  EXPECT_EQ(s.RestoreParams, 0u);
  EXPECT_EQ(s.Options, 3u);  // fpState, fpPosition
  EXPECT_TRUE(TFormStorageEx::iniPathFor(s.IniFileName).endsWith("/Vek/Forms/TfrmTwoGrids.ini"));
}

TEST_F(FormStorageTest, StoresPlacementAndEveryGridSection) {
  auto form = makeForm();
  form->move(120, 80);
  form->grids[0]->horizontalHeader()->resizeSection(1, 222);
  form->grids[0]->setRowHeightEh(25, 1);
  form->grids[0]->column(1).titleButton = true;
  form->grids[0]->titleClick(1, false);
  form->grids[1]->setColumnVisible(0, false);
  form->storage->Active = false;
  form->storage->StoreFormPlacement();

  auto s = stored();
  const QString place = QStringLiteral("TfrmTwoGrids/");
  EXPECT_EQ(s->value(place + "FormVersion").toString(), "0");
  EXPECT_EQ(s->value(place + "ShowCmd").toString(), "1");
  EXPECT_EQ(s->value(place + "Flags").toString(), "0");
  EXPECT_FALSE(s->value(place + "PixelsPerInch").toString().isEmpty());
  const QString norm = s->value(place + "NormPos").toString();
  const QStringList parts = norm.split(',');
  ASSERT_EQ(parts.size(), 4);
  EXPECT_EQ(parts[0].toInt(), form->frameGeometry().left());
  EXPECT_EQ(parts[2].toInt() - parts[0].toInt(), form->frameGeometry().width());
  const QSize screen = form->screen()->size();
  EXPECT_EQ(
      s->value(place + QStringLiteral("NormPos(%1x%2)").arg(screen.width()).arg(screen.height()))
          .toString(),
      norm);
  EXPECT_EQ(s->value(place + "MinMaxPos").toString(), "-1,-1,-1,-1");

  EXPECT_EQ(s->value("TfrmTwoGridsgrdA/Default").toString(), "25,1");
  EXPECT_EQ(s->value("TfrmTwoGridsgrdA/grdA.NAMZAD").toString(), "1,222,1,1,1,7,0");
  EXPECT_EQ(s->value("TfrmTwoGridsgrdB/grdB.KOD").toString().section(',', 3, 3), "0");  // hidden
  EXPECT_TRUE(s->value("TfrmTwoGridsgrdB/grdB.NAMZAD").isValid());
}

TEST_F(FormStorageTest, ActiveStorageStoresOnlyAfterALoad) {
  auto form = makeForm();
  form->storage->StoreFormPlacement();
  EXPECT_FALSE(stored()->contains("TfrmTwoGrids/NormPos"));
  form->storage->LoadFormPlacement();
  form->storage->StoreFormPlacement();
  EXPECT_TRUE(stored()->contains("TfrmTwoGrids/NormPos"));
}

TEST_F(FormStorageTest, RestoreParamsChooseWhatGridLayoutsApply) {
  {
    auto form = makeForm();
    form->storage->Active = false;
    form->grids[0]->horizontalHeader()->resizeSection(0, 150);
    form->grids[0]->setRowHeightEh(30, 0);
    form->grids[0]->column(0).titleButton = true;
    form->grids[0]->titleClick(0, false);
    form->grids[0]->titleClick(0, false);  // descending
    form->storage->StoreFormPlacement();
  }
  auto form = makeForm();
  const int width = form->grids[0]->horizontalHeader()->sectionSize(0);
  const int height = form->grids[0]->verticalHeader()->defaultSectionSize();
  form->storage->LoadFormPlacement();  // RestoreParams empty
  EXPECT_EQ(form->grids[0]->horizontalHeader()->sectionSize(0), width);
  EXPECT_EQ(form->grids[0]->verticalHeader()->defaultSectionSize(), height);

  form->storage->RestoreParams =
      GridRestoreParam::grpColWidthsEh | GridRestoreParam::grpRowHeightEh;
  form->storage->LoadFormPlacement();
  EXPECT_EQ(form->grids[0]->horizontalHeader()->sectionSize(0), 150);
  EXPECT_EQ(form->grids[0]->rowHeightEh(), 30);
  EXPECT_EQ(form->grids[0]->verticalHeader()->defaultSectionSize(), 30);
  EXPECT_EQ(form->grids[0]->column(0).sortMarker, SortMarker::None);

  form->storage->RestoreParams = static_cast<unsigned>(GridRestoreParam::grpSortMarkerEh);
  form->storage->LoadFormPlacement();
  EXPECT_EQ(form->grids[0]->column(0).sortMarker, SortMarker::Up);
  EXPECT_EQ(form->grids[0]->gridModel()->text(0, 0), "2");
}

TEST_F(FormStorageTest, OwnerHandlersRunFirstAndGridsStillStored) {
  auto form = makeForm();
  form->storage->Active = false;
  std::vector<QString> calls;
  form->storage->OnSavePlacement = [&](QObject* sender) {
    EXPECT_EQ(sender, form->storage);
    // The window placement is already written when the handler runs; grids not yet.
    calls.push_back(stored()->contains("TfrmTwoGridsgrdA/Default") ? "late" : "save");
  };
  form->storage->OnRestorePlacement = [&](QObject*) { calls.push_back("restore"); };
  form->storage->StoreFormPlacement();
  EXPECT_TRUE(stored()->contains("TfrmTwoGridsgrdA/Default"));
  form->storage->RestoreParams = static_cast<unsigned>(GridRestoreParam::grpColWidthsEh);
  form->storage->LoadFormPlacement();
  EXPECT_EQ(calls, (std::vector<QString>{"save", "restore"}));
}

TEST_F(FormStorageTest, GridSectionIsRewrittenWhole) {
  auto form = makeForm();
  form->storage->Active = false;
  form->storage->StoreFormPlacement();
  EXPECT_TRUE(stored()->contains("TfrmTwoGridsgrdA/grdA.NAMZAD"));
  MemoryGridSource fewer({"KOD"}, {{1}});
  form->grids[0]->gridModel()->setSource(&fewer);
  form->storage->StoreFormPlacement();
  auto s = stored();
  EXPECT_TRUE(s->contains("TfrmTwoGridsgrdA/grdA.KOD"));
  EXPECT_FALSE(s->contains("TfrmTwoGridsgrdA/grdA.NAMZAD"));
}

TEST_F(FormStorageTest, PlainNamesAndPixelsPerInch) {
  auto form = makeForm();
  const int ppi = qRound(form->screen()->logicalDotsPerInch());
  {
    auto s = stored();
    // Written at another screen size: only the plain names are there to match.
    s->setValue("TfrmTwoGrids/NormPos(9999x9999)", "1,1,50,50");
    s->setValue("TfrmTwoGrids/NormPos", "30,40,430,340");
    s->setValue("TfrmTwoGrids/PixelsPerInch", QString::number(ppi));
    s->setValue("TfrmTwoGrids/ShowCmd", "1");
  }
  form->storage->LoadFormPlacement();
  EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(30, 40));
  EXPECT_EQ(form->frameGeometry().size(), QSize(400, 300));

  auto other = makeForm();
  other->move(5, 6);
  {
    auto s = stored();
    s->setValue("TfrmTwoGrids/PixelsPerInch", QString::number(ppi + 24));
  }
  other->storage->LoadFormPlacement();
  EXPECT_EQ(other->frameGeometry().topLeft(), QPoint(5, 6));
  EXPECT_FALSE(other->windowState() & Qt::WindowMaximized);

  // The stored state still applies.
  stored()->setValue("TfrmTwoGrids/ShowCmd", "3");
  auto third = makeForm();
  third->storage->LoadFormPlacement();
  EXPECT_TRUE(third->windowState() & Qt::WindowMaximized);
}

TEST_F(FormStorageTest, NewerFormVersionRequiredSkipsEverything) {
  auto form = makeForm();
  stored()->setValue("TfrmTwoGrids/NormPos", "30,40,430,340");
  form->storage->Version = 2;  // stored placement is of version 0
  form->move(5, 6);
  bool restored = false;
  form->storage->OnRestorePlacement = [&](QObject*) { restored = true; };
  form->storage->LoadFormPlacement();
  EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(5, 6));
  EXPECT_FALSE(restored);
}

}  // namespace
}  // namespace tw

#include "formstorage_test.moc"
