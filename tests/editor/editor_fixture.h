#pragma once
// Runs the event editor modally over the in-process drawing and lets a test
// drive the shown dialog by object names.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <functional>

#include "data/db/unit_dm.h"
#include "data/db/zam.h"
#include "drawing_fixture.h"
#include "editor/procedure_edit.h"
#include "qstring_print.h"
#include "ui/messages.h"

namespace tw::test {

// The boxes shown, instead of showing them.
struct RecordedBoxes : MessageBoxes {
  struct Box {
    MsgIcon icon;
    QString caption, text;
  };
  std::vector<Box> shown;
  void show(MsgIcon icon, const QString& caption, const QString& text) override {
    shown.push_back({icon, caption, text});
  }
  int count(MsgIcon icon) const {
    int n = 0;
    for (const auto& b : shown) n += b.icon == icon;
    return n;
  }
};

// The folder of "tarnwick.ini" for one reference set-up: ivanov (Z23 0),
// petrova (Z23 1), z23bad (Z23 2), norole (the rights query is refused),
// unreachable, or none (no settings file).
inline QString settings(const char* which) {
  static const bool ready = [] {
    const std::string cmd = std::string("bash '") +
                            TW_SOURCE_DIR "/tests/editor/make-editor-db.sh' '" +
                            TW_EDITOR_DB_DIR "'";
    return std::system(cmd.c_str()) == 0;
  }();
  EXPECT_TRUE(ready) << "could not make the sample databases";
  return QString::fromUtf8(TW_EDITOR_DB_DIR) + QLatin1Char('/') + QString::fromUtf8(which);
}

class EditorFixture : public DrawingFixture {
 protected:
  void SetUp() override {
    DrawingFixture::SetUp();
    setMessageBoxes(&boxes);
  }
  void TearDown() override {
    setMessageBoxes(nullptr);
    FreeDataModule();
    delete Zam;
    Zam = nullptr;
    DrawingFixture::TearDown();
  }

  template <class T>
  static T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  static QString text(QWidget& d, const char* name) { return child<QLineEdit>(d, name)->text(); }
  static void setText(QWidget& d, const char* name, const QString& t) {
    QLineEdit* e = child<QLineEdit>(d, name);
    e->setFocus();
    e->selectAll();
    e->insert(t);
  }
  static void click(QWidget& d, const char* name) { child<QAbstractButton>(d, name)->click(); }

  // Runs `run` (EditCurrentEvent or DropNewEvent); `act` drives the dialog
  // once it is shown. A dialog that `act` leaves open is closed afterwards
  // and reported through stillOpen.
  void drive(const std::function<void()>& run, const std::function<void(QDialog&)>& act) {
    shown = false;
    stillOpen = false;
    // A timer of this call only: when `run` fails before showing anything,
    // it must not fire in a later test.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      shown = true;
      act(*d);
      if (d->isVisible()) {
        stillOpen = true;
        d->reject();
      }
    });
    timer.start(0);
    run();
  }
  void edit(const QString& folder, const std::function<void(QDialog&)>& act) {
    drive([&] { EditCurrentEvent(folder); }, act);
  }

  // The value formulas of rows 0 to 7.
  static std::vector<std::string> formulas(const AutoRef& s) {
    std::vector<std::string> out;
    for (std::int32_t row = 0; row < EventRowCount; ++row)
      out.push_back(
          s.getRef("CellsSRC", {visSectionProp, row, visCustPropsValue}).get("FormulaU").toText());
    return out;
  }

  RecordedBoxes boxes;
  bool shown = false;
  bool stillOpen = false;
};

}  // namespace tw::test
