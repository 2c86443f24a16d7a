#include "drawing_app.h"

#include <algorithm>

#include "dispatch.h"
#include "model.h"
#include "platform/error.h"
#include "stencil.h"

namespace tw::drawapp {

namespace {

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

DrawingApp::DrawingApp(std::shared_ptr<Model> model) : model_(std::move(model)) {}
DrawingApp::~DrawingApp() = default;

std::unique_ptr<DrawingApp> DrawingApp::createNew(const std::string& name) {
  auto m = std::make_shared<Model>();
  m->openStencil();
  m->createDrawing(name);
  return std::unique_ptr<DrawingApp>(new DrawingApp(std::move(m)));
}

std::unique_ptr<DrawingApp> DrawingApp::load(const vsdx::Package& package,
                                             const std::string& name) {
  auto m = std::make_shared<Model>();
  m->openStencil();
  m->loadDrawing(package, name);
  return std::unique_ptr<DrawingApp>(new DrawingApp(std::move(m)));
}

void DrawingApp::store(vsdx::Package& package) {
  model_->store(package);
}

bool DrawingApp::changed() const {
  return model_->changed;
}

std::int32_t DrawingApp::pageCount() const {
  return static_cast<std::int32_t>(model_->drawing->pages.size());
}

std::string DrawingApp::pageName(std::int32_t index) const {
  if (index < 1 || index > pageCount())
    throw Error(errkind::kFile, "No page " + std::to_string(index));
  return model_->drawing->pages[static_cast<std::size_t>(index - 1)]->name();
}

void DrawingApp::setActivePage(std::int32_t index) {
  if (index < 1 || index > pageCount())
    throw Error(errkind::kFile,
                model_->drawing->name + ": there is no page " + std::to_string(index));
  model_->activePage = model_->drawing->pages[static_cast<std::size_t>(index - 1)].get();
  model_->selection.clear();
}

void DrawingApp::setActivePage(std::string_view nameOrIndex) {
  for (const auto& p : model_->drawing->pages) {
    if (p->name() == nameOrIndex || p->nameU() == nameOrIndex) {
      model_->activePage = p.get();
      model_->selection.clear();
      return;
    }
  }
  if (allDigits(nameOrIndex) && nameOrIndex.size() < 10) {
    setActivePage(std::stoi(std::string(nameOrIndex)));
    return;
  }
  throw Error(errkind::kFile,
              model_->drawing->name + ": there is no page \"" + std::string(nameOrIndex) + "\"");
}

void DrawingApp::select(std::string_view idOrName) {
  PageM& page = *model_->activePage;
  std::shared_ptr<ShapeM> found;
  if (auto it = page.byName.find(std::string(idOrName));
      it != page.byName.end() && !it->second->parent)
    found = it->second;
  if (!found && allDigits(idOrName) && idOrName.size() < 10) {
    auto it = page.byId.find(std::stoi(std::string(idOrName)));
    if (it != page.byId.end() && !it->second->parent) found = it->second;
  }
  if (!found)
    throw Error(errkind::kFile, model_->drawing->name + ": page \"" + page.name() +
                                    "\" has no shape \"" + std::string(idOrName) + "\"");
  if (std::find(model_->selection.begin(), model_->selection.end(), found) ==
      model_->selection.end())
    model_->selection.push_back(found);
}

AutoRef DrawingApp::application() const {
  return AutoRef(makeApplication(model_));
}

void writeStencil(vsdx::Package& package) {
  const std::string doc = "/visio/document.xml";
  const std::string masters = "/visio/masters/masters.xml";
  const std::string pages = "/visio/pages/pages.xml";
  package.addRelationship("/", rel::kDocument, doc);
  package.setPart(doc, ctype::kStencil, documentXml());
  package.addRelationship(doc, rel::kMasters, masters);
  package.addRelationship(doc, rel::kPages, pages);
  // A stencil has no pages, but Visio writes an empty pages part for it.
  XmlPart pagesXml;
  pagesXml.name = pages;
  parseXml(pagesXml,
           "<?xml version='1.0' encoding='utf-8' ?>\n<Pages xmlns='" + std::string(kVisioNs) +
               "' xmlns:r='" + kRelNs + "' xml:space='preserve'/>",
           std::string(kStencilDocName));
  package.setPart(pages, ctype::kPages, serializeXml(pagesXml));

  XmlPart mastersXml;
  mastersXml.name = masters;
  parseXml(mastersXml, stencilMastersXml(), std::string(kStencilDocName));
  const std::vector<std::string> parts = stencilMasterParts();
  std::size_t i = 0;
  for (pugi::xml_node entry : mastersXml.xml.document_element().children("Master")) {
    const std::string partName = "/visio/masters/master" + std::to_string(i + 1) + ".xml";
    package.setPart(partName, ctype::kMaster, parts.at(i));
    const std::string id = package.addRelationship(masters, rel::kMaster, partName);
    for (pugi::xml_attribute a : entry.child("Rel").attributes())
      if (std::string_view(a.name()).ends_with(":id")) a.set_value(id.c_str());
    ++i;
  }
  package.setPart(masters, ctype::kMasters, serializeXml(mastersXml));
}

}  // namespace tw::drawapp
