#pragma once
// The in-process drawing application: a stand-in for Visio that keeps one
// .vsdx drawing (and the project's stencil) in memory and serves the
// automation seam. Page and master parts stay parsed XML; shapes and cells
// are views onto it, so storing a changed part keeps everything the model
// does not understand, and parts nobody touched are never re-serialised.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/vsdx/package.h"

namespace tw::drawapp {

// Names the application answers to; "Tarnwick.vss" also finds the stencil
// when it is the "Tarnwick.vssx" file.
inline constexpr std::string_view StencilName = "Tarnwick.vss";
inline constexpr std::string_view StencilFileName = "Tarnwick.vssx";
inline constexpr std::string_view EventMasterNameU = "Событие";
inline constexpr std::string_view ConnectorMasterNameU = "Velmar Connector";

class Model;  // the documents, pages, shapes and masters behind the dispatch objects

class DrawingApp {
 public:
  // A new, empty drawing with one page ("Page-1", PageWidth/PageHeight set)
  // and the project's stencil open. `name` is the drawing's document Name.
  static std::unique_ptr<DrawingApp> createNew(const std::string& name = "Drawing1.vsdx");

  // Loads the drawing held by `package` (a .vsdx); the project's stencil is
  // opened beside it. Raises Error kind "EFileError" naming `name` and the
  // problem: a stencil given as a drawing, a missing document/page part, a
  // page without its page sheet, a relationship loop, malformed XML.
  static std::unique_ptr<DrawingApp> load(const vsdx::Package& package, const std::string& name);

  ~DrawingApp();
  DrawingApp(const DrawingApp&) = delete;
  DrawingApp& operator=(const DrawingApp&) = delete;

  // Writes the drawing's changes into `package`: every changed page/master/
  // index part is re-serialised with setPart; masters copied from the stencil
  // get their part, relationships and content type. Parts that did not
  // change are not touched. Storing into an empty Package writes a complete
  // drawing (document, pages, masters, relationships). Clears changed().
  // Store into the package the drawing was loaded from (or, for a new one,
  // first stored into): what is already there is not written again.
  void store(vsdx::Package& package);

  // Whether the drawing changed since it was loaded, created or last stored.
  bool changed() const;

  // Pages of the drawing, 1-based, in the document's order.
  std::int32_t pageCount() const;
  std::string pageName(std::int32_t index) const;
  // Shows a page in the window: by its name, or, when no page has that name
  // and the text is a decimal number, by its 1-based index. Raises Error
  // (EFileError) when no such page exists. The selection is emptied.
  void setActivePage(std::string_view nameOrIndex);
  void setActivePage(std::int32_t index);
  // Adds a top-level shape of the active page to the selection: by its name,
  // or, when no shape has that name, by its ID (decimal text). Raises Error
  // (EFileError) when none matches. Selecting a shape twice keeps one entry.
  void select(std::string_view idOrName);

  // The application object (Documents, ActiveWindow, ActivePage).
  AutoRef application() const;

 private:
  explicit DrawingApp(std::shared_ptr<Model> model);
  std::shared_ptr<Model> model_;
};

// The project's stencil as a package: the same master definitions the
// in-process stencil uses, laid out as a .vssx file ("Tarnwick.vssx").
// The caller saves it; docProps are left to the container's writer.
void writeStencil(vsdx::Package& package);

}  // namespace tw::drawapp
