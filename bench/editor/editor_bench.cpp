// Opens the editor on an event of a page with 2,000 events and 2,000
// connectors and saves it with ten changed marks; prints the times and the
// drawing calls (each one a round trip to Visio in live use).
//   editor_bench [events]
#include <QApplication>
#include <QListWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "drawing/events.h"
#include "editor/procedure_edit.h"
#include "platform/automation/counting.h"
#include "platform/drawapp/drawing_app.h"
#include "ui/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

struct SilentBoxes : tw::MessageBoxes {
  void show(tw::MsgIcon, const QString&, const QString&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  SilentBoxes boxes;
  tw::setMessageBoxes(&boxes);
  const int events = argc > 1 ? std::atoi(argv[1]) : 2000;

  auto app = tw::drawapp::DrawingApp::createNew();
  tw::VisioApp = app->application();
  const tw::AutoRef master = tw::VisioApp.getRef("Documents")
                                 .getRef("Item", {"Tarnwick.vss"})
                                 .getRef("Masters")
                                 .getRef("ItemU", {"Событие"});
  const tw::AutoRef page = tw::VisioApp.getRef("ActivePage");
  std::vector<tw::AutoRef> shapes;
  for (int i = 0; i < events; ++i) {
    tw::AutoRef s = page.getRef(
        "Drop", {master.asVariant(), std::int32_t{1 + i % 50}, std::int32_t{1 + i / 50}});
    std::string number = "P", code = "1.2.";
    number += std::to_string(i + 1);
    code += std::to_string(i);
    tw::WritePropValue(s, tw::RowNumber, number);
    tw::WritePropValue(s, tw::RowSubdivision, "Отдел главного конструктора");
    tw::WritePropValue(s, tw::RowCode, code);
    tw::WritePropValue(s, tw::RowName, "Выпуск рабочей конструкторской документации");
    shapes.push_back(s);
  }
  // The edited event in the middle, with five predecessors; the other
  // connectors chain the rest of the plan.
  const int edited = events / 2;
  int connectors = 0;
  for (int k = 1; k <= 5; ++k, ++connectors)
    tw::DropConnector(tw::VisioApp, shapes[static_cast<std::size_t>(edited - 10 * k)],
                      shapes[static_cast<std::size_t>(edited)]);
  for (int i = 1; connectors < events; ++i, ++connectors)
    tw::DropConnector(
        tw::VisioApp, shapes[static_cast<std::size_t>((i - 1) % events)],
        shapes[static_cast<std::size_t>(i % events == edited ? (i + 1) % events : i % events)]);

  auto counter = std::make_shared<tw::CallCounter>();
  tw::VisioApp = tw::AutoRef(tw::countCalls(app->application().ptr(), counter));
  tw::CurrentShape =
      tw::AutoRef(tw::countCalls(shapes[static_cast<std::size_t>(edited)].ptr(), counter));
  shapes.clear();

  // Opening: the form, its eight fields and the predecessor list.
  auto start = Clock::now();
  auto* form = new tw::TfrmProcedureEdit();
  form->LoadFields();
  form->LoadPredecessors();
  const double openS = seconds(start);
  const auto callsOpen = counter->calls;

  // Saving with ten changed marks: the five predecessors unmarked, five others marked.
  auto* list = form->findChild<QListWidget*>(QStringLiteral("clPRED"));
  int unmarked = 0, marked = 0;
  for (int i = 0; i < list->count() && (unmarked < 5 || marked < 5); ++i) {
    QListWidgetItem* item = list->item(i);
    if (item->checkState() == Qt::Checked && unmarked < 5) {
      item->setCheckState(Qt::Unchecked);
      ++unmarked;
    } else if (item->checkState() == Qt::Unchecked && marked < 5 && i % 97 == 0) {
      item->setCheckState(Qt::Checked);
      ++marked;
    }
  }
  counter->calls = 0;
  start = Clock::now();
  form->RzDialogButtons1ClickOk();
  const double saveS = seconds(start);
  const auto callsSave = counter->calls;
  delete form;

  std::printf("editor events=%d open_s=%.3f save_s=%.3f calls_open=%llu calls_save=%llu\n", events,
              openS, saveS, static_cast<unsigned long long>(callsOpen),
              static_cast<unsigned long long>(callsSave));
  std::fprintf(stderr, "  (%d connectors, %d marks removed, %d added)\n", connectors, unmarked,
               marked);
  tw::CurrentShape.reset();
  tw::VisioApp.reset();
  tw::InitialChecks.clear();
  return unmarked + marked == 10 ? 0 : 1;
}
