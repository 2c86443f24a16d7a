#include "model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "formula.h"
#include "platform/error.h"
#include "stencil.h"

namespace tw::drawapp {

namespace {

[[noreturn]] void fileError(const std::string& msg) {
  throw Error(errkind::kFile, msg);
}
[[noreturn]] void oleError(const std::string& msg) {
  throw Error(errkind::kOle, msg);
}

struct StringWriter final : pugi::xml_writer {
  std::string out;
  void write(const void* data, std::size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

// Whitespace-only text and comments are kept so that a re-serialised part
// differs from the original only where the model changed it.
constexpr unsigned kParseFlags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                                 pugi::parse_ws_pcdata | pugi::parse_declaration | pugi::parse_pi |
                                 pugi::parse_comments;

std::string numberText(double d) {
  if (std::fabs(d) < 1e-15) d = 0.0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16g", d);
  return buf;
}

void setAttr(pugi::xml_node n, const char* name, const std::string& value) {
  pugi::xml_attribute a = n.attribute(name);
  if (!a) a = n.append_attribute(name);
  a.set_value(value.c_str());
}

void removeAttr(pugi::xml_node n, const char* name) {
  n.remove_attribute(name);
}

// The relationship id of a <Rel r:id='...'/> child, whatever the prefix.
std::string relId(pugi::xml_node owner) {
  pugi::xml_node r = owner.child("Rel");
  if (!r) return {};
  for (pugi::xml_attribute a : r.attributes()) {
    const std::string_view n = a.name();
    if (n == "id" || (n.size() > 3 && n.ends_with(":id"))) return a.value();
  }
  return {};
}

void setRelId(pugi::xml_node owner, const std::string& id) {
  pugi::xml_node r = owner.child("Rel");
  if (!r) r = owner.append_child("Rel");
  for (pugi::xml_attribute a : r.attributes()) {
    const std::string_view n = a.name();
    if (n.size() > 3 && n.ends_with(":id")) {
      a.set_value(id.c_str());
      return;
    }
  }
  r.append_attribute("r:id") = id.c_str();
}

const vsdx::Relationship* findRel(const vsdx::Package& pkg, const std::string& source,
                                  const std::string& id) {
  for (const auto& r : pkg.relationships(source))
    if (r.id == id) return &r;
  return nullptr;
}

bool isDel(pugi::xml_node row) {
  return std::strcmp(row.attribute("Del").value(), "1") == 0;
}

pugi::xml_node findSection(pugi::xml_node shape, const CellAddr& a) {
  for (pugi::xml_node sec : shape.children("Section")) {
    if (a.section != sec.attribute("N").value()) continue;
    if (a.sectionIx >= 0 && sec.attribute("IX").as_int(0) != a.sectionIx) continue;
    return sec;
  }
  return {};
}

pugi::xml_node findRow(pugi::xml_node sec, const CellAddr& a) {
  for (pugi::xml_node row : sec.children("Row")) {
    if (a.rowIx >= 0) {
      if (row.attribute("IX").as_int(-1) == a.rowIx) return row;
    } else if (a.rowN == row.attribute("N").value()) {
      return row;
    }
  }
  return {};
}

enum class RowState { Absent, Present, Deleted };

RowState rowState(pugi::xml_node shape, const CellAddr& a) {
  if (!shape) return RowState::Absent;
  pugi::xml_node sec = findSection(shape, a);
  if (!sec) return RowState::Absent;
  pugi::xml_node row = findRow(sec, a);
  if (!row) return RowState::Absent;
  return isDel(row) ? RowState::Deleted : RowState::Present;
}

pugi::xml_node findCell(pugi::xml_node shape, const CellAddr& a) {
  if (!shape) return {};
  if (a.section.empty()) return shape.find_child_by_attribute("Cell", "N", a.cell.c_str());
  pugi::xml_node sec = findSection(shape, a);
  if (!sec) return {};
  pugi::xml_node row = findRow(sec, a);
  if (!row || isDel(row)) return {};
  return row.find_child_by_attribute("Cell", "N", a.cell.c_str());
}

CellAddr topCell(const char* name) {
  CellAddr a;
  a.cell = name;
  return a;
}

bool isLengthCell(const CellAddr& a) {
  static const std::set<std::string, std::less<>> kTop = {
      "PinX",       "PinY",       "Width",     "Height",     "LocPinX",   "LocPinY",  "BeginX",
      "BeginY",     "EndX",       "EndY",      "TxtPinX",    "TxtPinY",   "TxtWidth", "TxtHeight",
      "TxtLocPinX", "TxtLocPinY", "PageWidth", "PageHeight", "LineWeight"};
  if (a.section.empty()) return kTop.count(a.cell) > 0;
  if (a.section == "Connection" || a.section == "Geometry") return a.cell == "X" || a.cell == "Y";
  return false;
}

// Cells whose values are texts unless they say otherwise.
bool isTextCell(const CellAddr& a) {
  if (a.section == "Property")
    return a.cell == "Value" || a.cell == "Label" || a.cell == "Prompt" || a.cell == "Format" ||
           a.cell == "SortKey";
  if (a.section == "User") return a.cell == "Value" || a.cell == "Prompt";
  if (a.section == "Field") return a.cell == "Value";
  return false;
}

// Cells every shape has in Visio's ShapeSheet, whether the XML states them or not.
bool alwaysPresentCell(std::string_view name) {
  static const std::set<std::string, std::less<>> kAlways = {
      "PinX",       "PinY",      "Width",       "Height",      "LocPinX",         "LocPinY",
      "Angle",      "FlipX",     "FlipY",       "ResizeMode",  "ShapeRouteStyle", "ConLineRouteExt",
      "LineWeight", "LineColor", "LinePattern", "FillForegnd", "FillBkgnd",       "FillPattern",
      "TxtPinX",    "TxtPinY",   "TxtWidth",    "TxtHeight",   "TxtLocPinX",      "TxtLocPinY",
      "TxtAngle",   "ObjType",   "LayerMember", "EventXFMod"};
  return kAlways.count(name) > 0;
}

struct SectionCells {
  const char* section;
  std::vector<const char*> cells;  // by column index
};

const SectionCells kProperty{"Property",
                             {"Value", "Prompt", "Label", "Format", "SortKey", "Type", "Invisible",
                              "Verify", "LangID", "Calendar"}};
const SectionCells kUser{"User", {"Value", "Prompt"}};
const SectionCells kConnection{"Connection",
                               {"X", "Y", "DirX", "DirY", "Type", "AutoGen", "Prompt"}};
const SectionCells kGeometryRow{"Geometry", {"X", "Y", "A", "B", "C", "D", "E"}};

bool knownCell(const SectionCells& s, std::string_view cell) {
  return std::any_of(s.cells.begin(), s.cells.end(), [&](const char* c) { return cell == c; });
}

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

pugi::xml_node insertCellNode(pugi::xml_node shape) {
  pugi::xml_node lastCell;
  for (pugi::xml_node c : shape.children("Cell")) lastCell = c;
  return lastCell ? shape.insert_child_after("Cell", lastCell) : shape.prepend_child("Cell");
}

pugi::xml_node insertSectionNode(pugi::xml_node shape) {
  // A shape's children come in the order Cell, Trigger, Section, then Text,
  // data and sub-shapes.
  for (pugi::xml_node c : shape.children()) {
    const std::string_view n = c.name();
    if (c.type() == pugi::node_element && n != "Cell" && n != "Trigger" && n != "Section")
      return shape.insert_child_before("Section", c);
  }
  return shape.append_child("Section");
}

std::string declaredXml(const char* rootName) {
  return std::string("<?xml version='1.0' encoding='utf-8' ?>\n<") + rootName + " xmlns='" +
         kVisioNs + "' xmlns:r='" + kRelNs + "' xml:space='preserve'/>";
}

}  // namespace

void parseXml(XmlPart& part, const std::string& bytes, const std::string& what) {
  const pugi::xml_parse_result r =
      part.xml.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_auto);
  if (!r)
    fileError(what + ": malformed XML in " + part.name + " at byte " + std::to_string(r.offset) +
              " (" + r.description() + ")");
}

std::string serializeXml(const XmlPart& part) {
  StringWriter w;
  part.xml.save(
      w, "", pugi::format_raw | pugi::format_no_declaration | pugi::format_attribute_single_quote,
      pugi::encoding_utf8);
  return std::move(w.out);
}

// ---------------------------------------------------------------- names

std::string MasterM::nameU() const {
  const char* n = entry.attribute("NameU").value();
  return *n ? n : entry.attribute("Name").value();
}
std::string MasterM::name() const {
  const char* n = entry.attribute("Name").value();
  return *n ? n : entry.attribute("NameU").value();
}

void MasterM::index() {
  shapes.clear();
  top = {};
  if (!part) return;
  pugi::xml_node root = part->xml.document_element();
  struct Walk {
    MasterM& m;
    void operator()(pugi::xml_node shapesNode, int depth) {
      if (depth > kMaxGroupDepth)
        fileError(m.doc->name + ": the shapes of master '" + m.nameU() + "' are nested too deeply");
      for (pugi::xml_node s : shapesNode.children("Shape")) {
        m.shapes[s.attribute("ID").as_int()] = s;
        if (pugi::xml_node sub = s.child("Shapes")) (*this)(sub, depth + 1);
      }
    }
  };
  pugi::xml_node shapesNode = root.child("Shapes");
  // A master with several top-level shapes is dropped as its first one.
  top = shapesNode.child("Shape");
  Walk{*this}(shapesNode, 0);
}

std::string ShapeM::name() const {
  const char* n = node.attribute("Name").value();
  if (*n) return n;
  n = node.attribute("NameU").value();
  if (*n) return n;
  return "Sheet." + std::to_string(id);
}
std::string ShapeM::nameU() const {
  const char* n = node.attribute("NameU").value();
  if (*n) return n;
  n = node.attribute("Name").value();
  if (*n) return n;
  return "Sheet." + std::to_string(id);
}

std::string PageM::name() const {
  const char* n = entry.attribute("Name").value();
  return *n ? n : entry.attribute("NameU").value();
}
std::string PageM::nameU() const {
  const char* n = entry.attribute("NameU").value();
  return *n ? n : entry.attribute("Name").value();
}

pugi::xml_node PageM::shapesNode(bool create) {
  pugi::xml_node root = part->xml.document_element();
  pugi::xml_node s = root.child("Shapes");
  if (!s && create) s = root.prepend_child("Shapes");
  return s;
}

pugi::xml_node PageM::connectsNode(bool create) {
  pugi::xml_node root = part->xml.document_element();
  pugi::xml_node c = root.child("Connects");
  if (!c && create) {
    pugi::xml_node s = root.child("Shapes");
    c = s ? root.insert_child_after("Connects", s) : root.prepend_child("Connects");
  }
  return c;
}

void PageM::touch() {
  part->dirty = true;
  doc->model->changed = true;
}

MasterM* Doc::masterById(std::int32_t id) const {
  for (const auto& m : masters)
    if (m->id == id) return m.get();
  return nullptr;
}
MasterM* Doc::masterByNameU(std::string_view nameU) const {
  for (const auto& m : masters)
    if (m->nameU() == nameU) return m.get();
  return nullptr;
}
MasterM* Doc::masterByName(std::string_view wanted) const {
  for (const auto& m : masters)
    if (m->name() == wanted) return m.get();
  return nullptr;
}

// ---------------------------------------------------------------- loading

Model::Model() = default;

void Model::loadDrawing(const vsdx::Package& pkg, const std::string& name) {
  auto doc = std::make_unique<Doc>();
  doc->model = this;
  doc->name = name;
  const std::optional<std::string> docPart = pkg.target("/", rel::kDocument);
  if (!docPart)
    fileError(name + ": the package holds no Visio document (no document relationship)");
  if (!pkg.has(*docPart)) fileError(name + ": the document part " + *docPart + " is missing");
  const std::string& ct = pkg.part(*docPart).contentType;
  if (ct == ctype::kStencil) fileError(name + ": this is a stencil, not a drawing");
  if (ct != ctype::kDrawing && ct != ctype::kTemplate)
    fileError(name + ": not a Visio drawing (document content type \"" + ct + "\")");
  doc->documentPart = *docPart;
  packageParts_ = pkg.partNames();
  loadDoc(*doc, pkg, *docPart);
  if (doc->pages.empty()) fileError(name + ": the drawing has no pages");
  drawing = std::move(doc);
  activePage = drawing->pages.front().get();
  selection.clear();
  changed = false;
}

void Model::loadDoc(Doc& doc, const vsdx::Package& pkg, const std::string& docPart) {
  const std::string& what = doc.name;
  std::set<std::string> seen = {docPart};
  auto partFor = [&](const std::string& source, pugi::xml_node entry, const char* kind,
                     const std::string& label, const char* relType) -> std::string {
    const std::string id = relId(entry);
    if (id.empty()) fileError(what + ": " + kind + " " + label + " names no part");
    const vsdx::Relationship* r = findRel(pkg, source, id);
    if (!r || r->external)
      fileError(what + ": " + kind + " " + label + " refers to a missing relationship " + id);
    if (r->type != relType)
      fileError(what + ": " + kind + " " + label + " has a relationship of the wrong type");
    if (!seen.insert(r->target).second)
      fileError(what + ": relationship loop: " + kind + " " + label + " refers back to " +
                r->target);
    if (!pkg.has(r->target))
      fileError(what + ": the part " + r->target + " of " + kind + " " + label + " is missing");
    return r->target;
  };

  if (auto pagesPart = pkg.target(docPart, rel::kPages)) {
    if (!seen.insert(*pagesPart).second) fileError(what + ": relationship loop at " + *pagesPart);
    if (!pkg.has(*pagesPart)) fileError(what + ": the pages part " + *pagesPart + " is missing");
    doc.pagesXml = std::make_unique<XmlPart>();
    doc.pagesXml->name = *pagesPart;
    doc.pagesXml->contentType = pkg.part(*pagesPart).contentType;
    parseXml(*doc.pagesXml, pkg.part(*pagesPart).bytes, what);
    for (pugi::xml_node entry : doc.pagesXml->xml.document_element().children("Page")) {
      const std::string label = std::string("'") + entry.attribute("NameU").value() + "'";
      const std::string target = partFor(*pagesPart, entry, "page", label, rel::kPage);
      if (!entry.child("PageSheet")) fileError(what + ": page " + label + " has no page sheet");
      auto page = std::make_unique<PageM>();
      page->doc = &doc;
      page->entry = entry;
      page->serial = newSerial();
      page->part = std::make_unique<XmlPart>();
      page->part->name = target;
      page->part->contentType = pkg.part(target).contentType;
      parseXml(*page->part, pkg.part(target).bytes, what);
      if (!page->part->xml.document_element())
        fileError(what + ": the page part " + target + " is empty");
      doc.pages.push_back(std::move(page));
    }
  } else if (!doc.stencil) {
    fileError(what + ": the drawing has no pages part");
  }

  if (auto mastersPart = pkg.target(docPart, rel::kMasters)) {
    if (!seen.insert(*mastersPart).second)
      fileError(what + ": relationship loop at " + *mastersPart);
    if (!pkg.has(*mastersPart))
      fileError(what + ": the masters part " + *mastersPart + " is missing");
    doc.mastersXml = std::make_unique<XmlPart>();
    doc.mastersXml->name = *mastersPart;
    doc.mastersXml->contentType = pkg.part(*mastersPart).contentType;
    parseXml(*doc.mastersXml, pkg.part(*mastersPart).bytes, what);
    for (pugi::xml_node entry : doc.mastersXml->xml.document_element().children("Master")) {
      const std::string label = std::string("'") + entry.attribute("NameU").value() + "'";
      const std::string target = partFor(*mastersPart, entry, "master", label, rel::kMaster);
      auto m = std::make_unique<MasterM>();
      m->doc = &doc;
      m->id = entry.attribute("ID").as_int();
      m->entry = entry;
      m->part = std::make_unique<XmlPart>();
      m->part->name = target;
      m->part->contentType = pkg.part(target).contentType;
      parseXml(*m->part, pkg.part(target).bytes, what);
      m->index();
      doc.masters.push_back(std::move(m));
    }
  }

  for (auto& page : doc.pages) indexPage(*page);
}

void Model::indexPage(PageM& page) {
  page.top.clear();
  page.byId.clear();
  page.byName.clear();
  page.connectsFrom.clear();
  page.connectsTo.clear();
  if (pugi::xml_node shapes = page.shapesNode(false))
    for (pugi::xml_node s : shapes.children("Shape")) indexShape(page, nullptr, s, nullptr, 0);
  if (pugi::xml_node connects = page.connectsNode(false)) {
    for (pugi::xml_node c : connects.children("Connect")) {
      page.connectsFrom[c.attribute("FromSheet").as_int()].push_back(c);
      page.connectsTo[c.attribute("ToSheet").as_int()].push_back(c);
    }
  }
}

void Model::indexShape(PageM& page, ShapeM* parent, pugi::xml_node node, MasterM* inheritedMaster,
                       int depth) {
  if (depth > kMaxGroupDepth)
    fileError(page.doc->name + ": the shapes of page '" + page.nameU() + "' are nested too deeply");
  // Del='1' marks a sub-shape of the master that this instance removes: no shape at all.
  if (std::strcmp(node.attribute("Del").value(), "1") == 0) return;
  auto s = std::make_shared<ShapeM>();
  s->page = &page;
  s->parent = parent;
  s->node = node;
  s->id = node.attribute("ID").as_int();
  s->serial = newSerial();
  MasterM* m = inheritedMaster;
  if (pugi::xml_attribute a = node.attribute("Master")) {
    m = page.doc->masterById(a.as_int());
    if (m) s->inherits = m->top;
  }
  if (pugi::xml_attribute a = node.attribute("MasterShape"); a && m) {
    auto it = m->shapes.find(a.as_int());
    if (it != m->shapes.end()) s->inherits = it->second;
  }
  s->master = m;
  page.maxId = std::max(page.maxId, s->id);
  page.byName.emplace(s->name(), s);
  page.byId[s->id] = s;
  if (parent)
    parent->children.push_back(s);
  else
    page.top.push_back(s);
  if (pugi::xml_node sub = node.child("Shapes"))
    for (pugi::xml_node c : sub.children("Shape")) indexShape(page, s.get(), c, m, depth + 1);
}

// ---------------------------------------------------------------- new documents

void Model::createDrawing(const std::string& name) {
  auto doc = std::make_unique<Doc>();
  doc->model = this;
  doc->name = name;
  doc->isNew = true;
  doc->document = std::make_unique<XmlPart>();
  doc->document->name = doc->documentPart;
  doc->document->contentType = ctype::kDrawing;
  parseXml(*doc->document, documentXml(), name);
  doc->document->added = doc->document->dirty = true;

  doc->pagesXml = std::make_unique<XmlPart>();
  doc->pagesXml->name = "/visio/pages/pages.xml";
  doc->pagesXml->contentType = ctype::kPages;
  parseXml(*doc->pagesXml, declaredXml("Pages"), name);
  doc->pagesXml->added = doc->pagesXml->dirty = true;

  // One A4 page, portrait, in millimetres: room for the events dropped at (2, 9) in.
  pugi::xml_node entry = doc->pagesXml->xml.document_element().append_child("Page");
  entry.append_attribute("ID") = 0;
  entry.append_attribute("NameU") = "Page-1";
  entry.append_attribute("Name") = "Page-1";
  pugi::xml_node sheet = entry.append_child("PageSheet");
  sheet.append_attribute("LineStyle") = 0;
  sheet.append_attribute("FillStyle") = 0;
  sheet.append_attribute("TextStyle") = 0;
  auto cell = [&](const char* n, const std::string& v, const char* u) {
    pugi::xml_node c = sheet.append_child("Cell");
    c.append_attribute("N") = n;
    c.append_attribute("V") = v.c_str();
    if (u) c.append_attribute("U") = u;
  };
  cell("PageWidth", numberText(210.0 / 25.4), "MM");
  cell("PageHeight", numberText(297.0 / 25.4), "MM");
  cell("PageScale", "0.03937007874015748", "MM");
  cell("DrawingScale", "0.03937007874015748", "MM");
  cell("DrawingSizeType", "0", nullptr);
  cell("DrawingScaleType", "0", nullptr);
  setRelId(entry, "");

  auto page = std::make_unique<PageM>();
  page->doc = doc.get();
  page->entry = entry;
  page->serial = newSerial();
  page->part = std::make_unique<XmlPart>();
  page->part->name = "/visio/pages/page1.xml";
  page->part->contentType = ctype::kPage;
  parseXml(*page->part, declaredXml("PageContents"), name);
  page->part->added = page->part->dirty = true;
  doc->pages.push_back(std::move(page));

  drawing = std::move(doc);
  activePage = drawing->pages.front().get();
  selection.clear();
  packageParts_.clear();
  changed = true;
}

void Model::openStencil() {
  auto doc = std::make_unique<Doc>();
  doc->model = this;
  doc->name = std::string(kStencilDocName);
  doc->stencil = true;
  doc->mastersXml = std::make_unique<XmlPart>();
  doc->mastersXml->name = "/visio/masters/masters.xml";
  doc->mastersXml->contentType = ctype::kMasters;
  parseXml(*doc->mastersXml, stencilMastersXml(), doc->name);
  const std::vector<std::string> parts = stencilMasterParts();
  std::size_t i = 0;
  for (pugi::xml_node entry : doc->mastersXml->xml.document_element().children("Master")) {
    auto m = std::make_unique<MasterM>();
    m->doc = doc.get();
    m->id = entry.attribute("ID").as_int();
    m->entry = entry;
    m->part = std::make_unique<XmlPart>();
    m->part->name = "/visio/masters/master" + std::to_string(i + 1) + ".xml";
    m->part->contentType = ctype::kMaster;
    parseXml(*m->part, parts.at(i), doc->name);
    m->index();
    doc->masters.push_back(std::move(m));
    ++i;
  }
  stencilDoc = std::move(doc);
}

std::string Model::freePartName(const std::string& dir, const std::string& stem) const {
  std::set<std::string> used(packageParts_.begin(), packageParts_.end());
  for (const auto& m : drawing->masters) used.insert(m->part->name);
  for (const auto& p : drawing->pages) used.insert(p->part->name);
  for (int k = 1;; ++k) {
    std::string n = dir + stem + std::to_string(k) + ".xml";
    if (!used.count(n)) return n;
  }
}

MasterM* Model::copyMaster(MasterM& src) {
  Doc& d = *drawing;
  // The drawing's own copy is found by the master's unique ID, or by its
  // universal name when either has none (as Visio matches masters on drop).
  const std::string uid = src.entry.attribute("UniqueID").value();
  for (const auto& m : d.masters) {
    const std::string muid = m->entry.attribute("UniqueID").value();
    if (!uid.empty() && !muid.empty() ? muid == uid : m->nameU() == src.nameU()) return m.get();
  }
  if (!d.mastersXml) {
    d.mastersXml = std::make_unique<XmlPart>();
    d.mastersXml->name = freePartName("/visio/masters/", "masters");
    if (d.mastersXml->name == "/visio/masters/masters1.xml")
      d.mastersXml->name = "/visio/masters/masters.xml";
    d.mastersXml->contentType = ctype::kMasters;
    parseXml(*d.mastersXml, declaredXml("Masters"), d.name);
    d.mastersXml->added = true;
  }
  pugi::xml_node root = d.mastersXml->xml.document_element();
  if (!root.attribute("xmlns:r")) root.append_attribute("xmlns:r") = kRelNs;
  std::int32_t id = 0;
  for (const auto& m : d.masters) id = std::max(id, m->id);
  ++id;
  auto m = std::make_unique<MasterM>();
  m->doc = &d;
  m->id = id;
  m->entry = root.append_copy(src.entry);
  setAttr(m->entry, "ID", std::to_string(id));
  setRelId(m->entry, "");  // filled when the relationship is added on store
  m->part = std::make_unique<XmlPart>();
  m->part->name = freePartName("/visio/masters/", "master");
  m->part->contentType = ctype::kMaster;
  m->part->xml.reset(src.part->xml);
  m->part->added = m->part->dirty = true;
  m->index();
  d.mastersXml->dirty = true;
  d.masters.push_back(std::move(m));
  changed = true;
  return d.masters.back().get();
}

// ---------------------------------------------------------------- storing

void Model::store(vsdx::Package& pkg) {
  Doc& d = *drawing;
  if (d.document && d.document->added) {
    pkg.addRelationship("/", rel::kDocument, d.documentPart);
    d.document->added = false;
  }
  if (d.pagesXml && d.pagesXml->added) {
    pkg.addRelationship(d.documentPart, rel::kPages, d.pagesXml->name);
    d.pagesXml->added = false;
    d.pagesXml->dirty = true;
  }
  if (d.mastersXml && d.mastersXml->added) {
    pkg.addRelationship(d.documentPart, rel::kMasters, d.mastersXml->name);
    d.mastersXml->added = false;
    d.mastersXml->dirty = true;
  }
  for (auto& m : d.masters) {
    if (!m->part->added) continue;
    setRelId(m->entry, pkg.addRelationship(d.mastersXml->name, rel::kMaster, m->part->name));
    m->part->added = false;
    d.mastersXml->dirty = true;
  }
  for (auto& p : d.pages) {
    if (p->part->added) {
      setRelId(p->entry, pkg.addRelationship(d.pagesXml->name, rel::kPage, p->part->name));
      p->part->added = false;
      d.pagesXml->dirty = true;
    }
    // Visio relates a page to every master its shapes use.
    for (MasterM* m : p->mastersDropped) {
      bool have = false;
      for (const auto& r : pkg.relationships(p->part->name))
        if (r.type == rel::kMaster && r.target == m->part->name) have = true;
      if (!have) pkg.addRelationship(p->part->name, rel::kMaster, m->part->name);
    }
    p->mastersDropped.clear();
  }
  auto write = [&](XmlPart* part) {
    if (!part || !part->dirty) return;
    pkg.setPart(part->name, part->contentType, serializeXml(*part));
    part->dirty = false;
  };
  write(d.document.get());
  write(d.pagesXml.get());
  write(d.mastersXml.get());
  for (auto& m : d.masters) write(m->part.get());
  for (auto& p : d.pages) write(p->part.get());
  packageParts_ = pkg.partNames();
  d.isNew = false;
  changed = false;
}

// ---------------------------------------------------------------- cells

pugi::xml_node Model::localCell(const ShapeM& s, const CellAddr& a) const {
  return findCell(s.node, a);
}
pugi::xml_node Model::inheritedCell(const ShapeM& s, const CellAddr& a) const {
  if (!s.inherits) return {};
  // A row deleted locally hides what the master has in it.
  if (!a.section.empty() && rowState(s.node, a) == RowState::Deleted) return {};
  return findCell(s.inherits, a);
}

bool Model::cellExists(const ShapeM& s, const CellAddr& a, bool locally) const {
  if (locally) return static_cast<bool>(localCell(s, a));
  if (a.section.empty()) return localCell(s, a) || inheritedCell(s, a) || alwaysPresentCell(a.cell);
  const RowState local = rowState(s.node, a);
  if (local == RowState::Deleted) return false;
  if (local == RowState::Present) return true;
  return rowState(s.inherits, a) == RowState::Present;
}

std::string Model::formula(const ShapeM& s, const CellAddr& a) const {
  const pugi::xml_node local = localCell(s, a);
  const pugi::xml_node inh = inheritedCell(s, a);
  auto ofValue = [&](pugi::xml_node c) {
    return formulaOfValue(c.attribute("V").value(), c.attribute("U").value(), isLengthCell(a),
                          isTextCell(a));
  };
  auto explicitFormula = [](pugi::xml_node c) -> std::optional<std::string> {
    pugi::xml_attribute f = c.attribute("F");
    if (!f) return std::nullopt;
    const std::string_view v = f.value();
    if (v == "Inh") return std::nullopt;
    if (v == "No Formula") return std::string();
    return std::string(v);
  };
  if (local) {
    const std::string_view f = local.attribute("F").value();
    if (f != "Inh") {
      if (auto e = explicitFormula(local)) return *e;
      return ofValue(local);
    }
    if (inh)
      if (auto e = explicitFormula(inh)) return *e;
    return ofValue(local);
  }
  if (inh) {
    if (auto e = explicitFormula(inh)) return *e;
    return ofValue(inh);
  }
  // A cell every shape has, stated nowhere: Visio's default, zero.
  if (a.section.empty() && alwaysPresentCell(a.cell))
    return formulaOfValue("0", "", isLengthCell(a), false);
  return {};
}

std::string Model::valueText(const ShapeM& s, const CellAddr& a) const {
  if (pugi::xml_node c = localCell(s, a); c && c.attribute("V")) return c.attribute("V").value();
  if (pugi::xml_node c = inheritedCell(s, a)) return c.attribute("V").value();
  return {};
}

double Model::value(const ShapeM& s, const CellAddr& a) const {
  const std::string v = valueText(s, a);
  return v.empty() ? 0.0 : std::strtod(v.c_str(), nullptr);
}

pugi::xml_node Model::ensureCell(ShapeM& s, const CellAddr& a) {
  if (pugi::xml_node c = localCell(s, a)) return c;
  const pugi::xml_node inh = findCell(s.inherits, a);
  pugi::xml_node cell;
  if (a.section.empty()) {
    cell = insertCellNode(s.node);
  } else {
    pugi::xml_node sec = findSection(s.node, a);
    if (!sec) {
      sec = insertSectionNode(s.node);
      sec.append_attribute("N") = a.section.c_str();
      if (a.sectionIx >= 0) sec.append_attribute("IX") = a.sectionIx;
    }
    pugi::xml_node row = findRow(sec, a);
    if (!row) {
      if (a.rowIx >= 0) {
        pugi::xml_node after;
        for (pugi::xml_node r : sec.children("Row"))
          if (r.attribute("IX").as_int(-1) < a.rowIx) after = r;
        row = after ? sec.insert_child_after("Row", after) : sec.prepend_child("Row");
        // Visio writes the row type first: T, then IX.
        pugi::xml_node inhRow;
        if (s.inherits)
          if (pugi::xml_node is = findSection(s.inherits, a)) inhRow = findRow(is, a);
        if (const char* t = inhRow.attribute("T").value(); *t) row.append_attribute("T") = t;
        row.append_attribute("IX") = a.rowIx;
      } else {
        row = sec.append_child("Row");
        row.append_attribute("N") = a.rowN.c_str();
      }
    }
    cell = row.append_child("Cell");
  }
  cell.append_attribute("N") = a.cell.c_str();
  // The new local cell starts from what it inherited.
  cell.append_attribute("V") = inh.attribute("V").value();
  if (inh.attribute("U")) cell.append_attribute("U") = inh.attribute("U").value();
  return cell;
}

void Model::setValue(ShapeM& s, const CellAddr& a, double v, const char* formula) {
  pugi::xml_node c = ensureCell(s, a);
  setAttr(c, "V", numberText(v));
  if (formula)
    setAttr(c, "F", formula);
  else
    removeAttr(c, "F");
}

// The shape's text keeps the field's current text inside its <fld> element, as
// Visio stores it; readers of the file show that text.
void Model::showFieldText(ShapeM& s, std::int32_t fieldIx, const std::string& text) {
  pugi::xml_node t = s.node.child("Text");
  if (!t) {
    const pugi::xml_node inherited = s.inherits.child("Text");
    if (!inherited) return;
    pugi::xml_node sub = s.node.child("Shapes");
    t = sub ? s.node.insert_copy_before(inherited, sub) : s.node.append_copy(inherited);
  }
  for (pugi::xml_node fld : t.children("fld")) {
    if (fld.attribute("IX").as_int(-1) != fieldIx) continue;
    while (fld.first_child()) fld.remove_child(fld.first_child());
    fld.append_child(pugi::node_pcdata).set_value(text.c_str());
  }
}

void Model::putFormula(ShapeM& s, const CellAddr& a, const std::string& text) {
  const std::optional<ParsedFormula> p = parseFormula(text);
  // Visio's formula parser reports every malformed formula this way; the cell keeps its value.
  if (!p) oleError("Unexpected end of file.");
  pugi::xml_node c = ensureCell(s, a);
  switch (p->kind) {
    case ParsedFormula::Kind::Literal: {
      std::string_view f = text;
      while (!f.empty() && (f.front() == ' ' || f.front() == '=')) f.remove_prefix(1);
      while (!f.empty() && f.back() == ' ') f.remove_suffix(1);
      setAttr(c, "V", p->text);
      setAttr(c, "U", "STR");
      setAttr(c, "F", std::string(f));
      break;
    }
    case ParsedFormula::Kind::Number:
      // A constant is stored as Visio stores it: the value in internal
      // units and the unit to show, with no formula.
      setAttr(c, "V", numberText(p->value));
      if (p->unit.empty())
        removeAttr(c, "U");
      else
        setAttr(c, "U", p->unit);
      removeAttr(c, "F");
      break;
    case ParsedFormula::Kind::Boolean:
      setAttr(c, "V", p->value != 0.0 ? "1" : "0");
      setAttr(c, "U", "BOOL");
      removeAttr(c, "F");
      break;
    case ParsedFormula::Kind::Expression:
      // Not evaluated here: the cached value stays what it was.
      setAttr(c, "F", p->text);
      break;
    case ParsedFormula::Kind::Empty:
      setAttr(c, "F", "No Formula");
      break;
  }
  // A text field that shows this Shape Data value follows it (the event
  // master shows its number this way).
  if (a.section == "Property" && a.cell == "Value") {
    const std::string ref = "Prop." + a.rowN;
    for (pugi::xml_node holder : {s.node, s.inherits}) {
      if (!holder) continue;
      for (pugi::xml_node sec : holder.children("Section")) {
        if (std::strcmp(sec.attribute("N").value(), "Field") != 0) continue;
        for (pugi::xml_node row : sec.children("Row")) {
          pugi::xml_node v = row.find_child_by_attribute("Cell", "N", "Value");
          const std::string_view f = v.attribute("F").value();
          if (f != ref && f != ref + ".Value") continue;
          CellAddr fa;
          fa.section = "Field";
          fa.rowIx = row.attribute("IX").as_int();
          fa.cell = "Value";
          pugi::xml_node fc = ensureCell(s, fa);
          setAttr(fc, "V", c.attribute("V").value());
          setAttr(fc, "U", "STR");
          if (!fc.attribute("F")) fc.append_attribute("F") = "Inh";
          showFieldText(s, fa.rowIx, c.attribute("V").value());
        }
      }
    }
  }
  s.page->touch();
}

std::vector<std::string> Model::propertyRows(const ShapeM& s) const {
  std::vector<std::string> rows;
  CellAddr a;
  a.section = "Property";
  if (s.inherits)
    if (pugi::xml_node sec = findSection(s.inherits, a))
      for (pugi::xml_node r : sec.children("Row"))
        if (!isDel(r)) rows.emplace_back(r.attribute("N").value());
  if (pugi::xml_node sec = findSection(s.node, a)) {
    for (pugi::xml_node r : sec.children("Row")) {
      const std::string n = r.attribute("N").value();
      auto it = std::find(rows.begin(), rows.end(), n);
      if (isDel(r)) {
        if (it != rows.end()) rows.erase(it);
      } else if (it == rows.end()) {
        rows.push_back(n);
      }
    }
  }
  return rows;
}

std::optional<CellAddr> Model::addrFromSRC(const ShapeM& s, std::int32_t section, std::int32_t row,
                                           std::int32_t column) const {
  CellAddr a;
  auto inSection = [&](const SectionCells& sc) -> bool {
    if (column < 0 || static_cast<std::size_t>(column) >= sc.cells.size()) return false;
    a.section = sc.section;
    a.cell = sc.cells[static_cast<std::size_t>(column)];
    return true;
  };
  switch (section) {
    case 1: {  // visSectionObject: the rows callers use
      static const std::map<std::pair<int, int>, const char*> kObject = {
          {{1, 0}, "PinX"},
          {{1, 1}, "PinY"},
          {{1, 2}, "Width"},
          {{1, 3}, "Height"},
          {{1, 4}, "LocPinX"},
          {{1, 5}, "LocPinY"},
          {{1, 6}, "Angle"},
          {{1, 7}, "FlipX"},
          {{1, 8}, "FlipY"},
          {{1, 9}, "ResizeMode"},
          {{4, 0}, "BeginX"},
          {{4, 1}, "BeginY"},
          {{4, 2}, "EndX"},
          {{4, 3}, "EndY"},
          {{23, 10}, "ShapeRouteStyle"},
          {{23, 19}, "ConLineRouteExt"}};
      auto it = kObject.find({row, column});
      if (it == kObject.end()) return std::nullopt;
      a.cell = it->second;
      break;
    }
    case 243: {  // visSectionProp: rows by position
      const std::vector<std::string> rows = propertyRows(s);
      if (row < 0 || static_cast<std::size_t>(row) >= rows.size() || !inSection(kProperty))
        return std::nullopt;
      a.rowN = rows[static_cast<std::size_t>(row)];
      break;
    }
    case 7:  // visSectionConnectionPts: rows by IX
      if (row < 0 || !inSection(kConnection)) return std::nullopt;
      a.rowIx = row;
      break;
    default:
      // Geometry sections: visSectionFirstComponent (10) + n; row 0 is the
      // section's own cells, which this model does not address.
      if (section >= 10 && section < 10 + 1000 && row >= 1 && inSection(kGeometryRow)) {
        a.sectionIx = section - 10;
        a.rowIx = row;
        break;
      }
      return std::nullopt;
  }
  if (!cellExists(s, a, false) && !a.section.empty()) return std::nullopt;
  return a;
}

std::optional<CellAddr> Model::addrFromName(std::string_view name) const {
  CellAddr a;
  auto named = [&](const SectionCells& sc, std::string_view rest) -> bool {
    const std::size_t dot = rest.find('.');
    const std::string_view row = rest.substr(0, dot);
    const std::string_view cell = dot == std::string_view::npos ? "Value" : rest.substr(dot + 1);
    if (row.empty() || !knownCell(sc, cell)) return false;
    a.section = sc.section;
    a.rowN = std::string(row);
    a.cell = std::string(cell);
    return true;
  };
  auto indexed = [&](const SectionCells& sc, std::string_view rest, int base) -> bool {
    for (const char* c : sc.cells) {
      const std::string_view cn = c;
      if (rest.size() > cn.size() && rest.starts_with(cn) && allDigits(rest.substr(cn.size()))) {
        const int n = std::atoi(std::string(rest.substr(cn.size())).c_str()) - base;
        if (n < 0) return false;
        a.section = sc.section;
        a.cell = std::string(cn);
        a.rowIx = n;
        return true;
      }
    }
    return false;
  };
  if (name.starts_with("Prop."))
    return named(kProperty, name.substr(5)) ? std::optional(a) : std::nullopt;
  if (name.starts_with("User."))
    return named(kUser, name.substr(5)) ? std::optional(a) : std::nullopt;
  if (name.starts_with("Connections."))
    return indexed(kConnection, name.substr(12), 1) ? std::optional(a) : std::nullopt;
  if (name.starts_with("Geometry")) {
    const std::string_view rest = name.substr(8);
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || !allDigits(rest.substr(0, dot))) return std::nullopt;
    const int sec = std::atoi(std::string(rest.substr(0, dot)).c_str()) - 1;
    if (sec < 0 || !indexed(kGeometryRow, rest.substr(dot + 1), 0) || a.rowIx < 1)
      return std::nullopt;
    a.sectionIx = sec;
    return a;
  }
  if (name.empty() || name.find_first_of(".!() ") != std::string_view::npos) return std::nullopt;
  a.cell = std::string(name);
  return a;
}

std::string Model::cellName(const CellAddr& a) {
  if (a.section.empty()) return a.cell;
  if (a.section == "Property" || a.section == "User") {
    std::string n = (a.section == "Property" ? "Prop." : "User.") + a.rowN;
    if (a.cell != "Value") n += "." + a.cell;
    return n;
  }
  if (a.section == "Connection") return "Connections." + a.cell + std::to_string(a.rowIx + 1);
  if (a.section == "Geometry")
    return "Geometry" + std::to_string(a.sectionIx + 1) + "." + a.cell + std::to_string(a.rowIx);
  return a.section + "." + (a.rowN.empty() ? std::to_string(a.rowIx) : a.rowN) + "." + a.cell;
}

void Model::localToPage(const ShapeM& s, double& x, double& y) const {
  for (const ShapeM* cur = &s; cur; cur = cur->parent) {
    const double locX = value(*cur, topCell("LocPinX"));
    const double locY = value(*cur, topCell("LocPinY"));
    if (value(*cur, topCell("FlipX")) != 0.0) x = 2 * locX - x;
    if (value(*cur, topCell("FlipY")) != 0.0) y = 2 * locY - y;
    const double angle = value(*cur, topCell("Angle"));
    const double dx = x - locX;
    const double dy = y - locY;
    x = value(*cur, topCell("PinX")) + dx * std::cos(angle) - dy * std::sin(angle);
    y = value(*cur, topCell("PinY")) + dx * std::sin(angle) + dy * std::cos(angle);
  }
}

// ---------------------------------------------------------------- shapes

std::shared_ptr<ShapeM> Model::drop(PageM& page, MasterM& source, double x, double y) {
  MasterM* m = source.doc == drawing.get() ? &source : copyMaster(source);
  if (!m->top) oleError("Inappropriate target object for this action.");
  pugi::xml_node shapes = page.shapesNode(true);
  pugi::xml_node n = shapes.append_child("Shape");
  const std::int32_t id = ++page.maxId;
  n.append_attribute("ID") = id;
  // The first instance takes the master's name; later ones add ".<ID>", as Visio names them.
  auto unique = [&](const std::string& base) {
    return page.byName.count(base) ? base + "." + std::to_string(id) : base;
  };
  n.append_attribute("NameU") = unique(m->nameU()).c_str();
  n.append_attribute("Name") = unique(m->name()).c_str();
  const char* type = m->top.attribute("Type").value();
  n.append_attribute("Type") = *type ? type : "Shape";
  n.append_attribute("Master") = m->id;

  // Sub-shapes of a group master, each naming the master shape it inherits from.
  struct Subs {
    PageM& page;
    void operator()(pugi::xml_node from, pugi::xml_node to) {
      pugi::xml_node fromShapes = from.child("Shapes");
      if (!fromShapes) return;
      pugi::xml_node toShapes = to.append_child("Shapes");
      for (pugi::xml_node f : fromShapes.children("Shape")) {
        pugi::xml_node t = toShapes.append_child("Shape");
        t.append_attribute("ID") = ++page.maxId;
        const char* ft = f.attribute("Type").value();
        t.append_attribute("Type") = *ft ? ft : "Shape";
        t.append_attribute("MasterShape") = f.attribute("ID").as_int();
        (*this)(f, t);
      }
    }
  };
  Subs{page}(m->top, n);

  indexShape(page, nullptr, n, nullptr, 0);
  std::shared_ptr<ShapeM> s = page.top.back();
  const double mPinX = value(*s, topCell("PinX"));
  const double mPinY = value(*s, topCell("PinY"));
  auto inhFormula = [&](const char* cell) -> const char* {
    return findCell(s->inherits, topCell(cell)).attribute("F") ? "Inh" : nullptr;
  };
  if (findCell(s->inherits, topCell("BeginX"))) {
    // A 1-D master keeps its length and direction; its pin lands on (x, y).
    const double dx = x - mPinX;
    const double dy = y - mPinY;
    for (const char* c : {"BeginX", "EndX"})
      setValue(*s, topCell(c), value(*s, topCell(c)) + dx, inhFormula(c));
    for (const char* c : {"BeginY", "EndY"})
      setValue(*s, topCell(c), value(*s, topCell(c)) + dy, inhFormula(c));
    layoutConnector(*s);
  } else {
    setValue(*s, topCell("PinX"), x, nullptr);
    setValue(*s, topCell("PinY"), y, nullptr);
  }
  if (std::find(page.mastersDropped.begin(), page.mastersDropped.end(), m) ==
      page.mastersDropped.end())
    page.mastersDropped.push_back(m);
  page.touch();
  return s;
}

void Model::layoutConnector(ShapeM& c) {
  const double bx = value(c, topCell("BeginX"));
  const double by = value(c, topCell("BeginY"));
  const double ex = value(c, topCell("EndX"));
  const double ey = value(c, topCell("EndY"));
  const double w = ex - bx;
  const double h = ey - by;
  auto inh = [&](const char* cell) -> const char* {
    return findCell(c.inherits, topCell(cell)).attribute("F") ? "Inh" : nullptr;
  };
  setValue(c, topCell("PinX"), (bx + ex) / 2, inh("PinX"));
  setValue(c, topCell("PinY"), (by + ey) / 2, inh("PinY"));
  setValue(c, topCell("Width"), w, inh("Width"));
  setValue(c, topCell("Height"), h, inh("Height"));
  setValue(c, topCell("LocPinX"), w / 2, inh("LocPinX"));
  setValue(c, topCell("LocPinY"), h / 2, inh("LocPinY"));

  // The path the readers draw, from the begin point (local 0,0): connectors
  // leave rightwards and arrive from the left, as the event's connection
  // points face. Straight when the ends line up; right-angled through the
  // middle when the end lies to the right; otherwise out, across between the
  // two ends, and back in.
  constexpr double kLead = 0.2;  // inches of straight line at either end
  std::vector<std::pair<double, double>> pts = {{0, 0}};
  if (w >= 2 * kLead) {
    if (std::fabs(h) > 1e-9) {
      pts.emplace_back(w / 2, 0);
      pts.emplace_back(w / 2, h);
    }
  } else {
    const double across = std::fabs(h) > 1e-9 ? h / 2 : -0.5;
    pts.emplace_back(kLead, 0);
    pts.emplace_back(kLead, across);
    pts.emplace_back(w - kLead, across);
    pts.emplace_back(w - kLead, h);
  }
  pts.emplace_back(w, h);

  CellAddr ga;
  ga.section = "Geometry";
  ga.sectionIx = 0;
  pugi::xml_node sec = findSection(c.node, ga);
  if (sec) c.node.remove_child(sec);
  sec = insertSectionNode(c.node);
  sec.append_attribute("N") = "Geometry";
  sec.append_attribute("IX") = 0;
  for (const auto& [cellName, v] :
       {std::pair{"NoFill", "1"}, {"NoLine", "0"}, {"NoShow", "0"}, {"NoSnap", "0"}}) {
    pugi::xml_node cell = sec.append_child("Cell");
    cell.append_attribute("N") = cellName;
    cell.append_attribute("V") = v;
  }
  for (std::size_t i = 0; i < pts.size(); ++i) {
    pugi::xml_node row = sec.append_child("Row");
    row.append_attribute("T") = i == 0 ? "MoveTo" : "LineTo";
    row.append_attribute("IX") = static_cast<int>(i + 1);
    for (const auto& [cellName, v] : {std::pair{"X", pts[i].first}, {"Y", pts[i].second}}) {
      pugi::xml_node cell = row.append_child("Cell");
      cell.append_attribute("N") = cellName;
      cell.append_attribute("V") = numberText(v).c_str();
    }
  }
  // Rows the master has beyond these would otherwise be inherited.
  if (c.inherits)
    if (pugi::xml_node msec = findSection(c.inherits, ga))
      for (pugi::xml_node r : msec.children("Row"))
        if (r.attribute("IX").as_int() > static_cast<int>(pts.size())) {
          pugi::xml_node row = sec.append_child("Row");
          if (const char* t = r.attribute("T").value(); *t) row.append_attribute("T") = t;
          row.append_attribute("IX") = r.attribute("IX").as_int();
          row.append_attribute("Del") = 1;
        }
}

void Model::glue(ShapeM& from, const CellAddr& fromCell, ShapeM& to, const CellAddr& toCell) {
  const bool begin = fromCell.cell == "BeginX" || fromCell.cell == "BeginY";
  const bool end = fromCell.cell == "EndX" || fromCell.cell == "EndY";
  if (!fromCell.section.empty() || !(begin || end) || !cellExists(from, topCell("BeginX"), false) ||
      from.page != to.page || &from == &to || from.deleted || to.deleted)
    oleError("Inappropriate target object for this action.");
  PageM& page = *from.page;
  const std::string sheet = "Sheet." + std::to_string(to.id) + "!";
  std::string toName;
  std::string formula;
  int toPart = 0;
  double x = 0;
  double y = 0;
  if (toCell.section == "Connection" && (toCell.cell == "X" || toCell.cell == "Y")) {
    const std::string n = std::to_string(toCell.rowIx + 1);
    toName = "Connections.X" + n;
    toPart = 100 + toCell.rowIx;
    formula = "PAR(PNT(" + sheet + "Connections.X" + n + "," + sheet + "Connections.Y" + n + "))";
    CellAddr cx = toCell;
    cx.cell = "X";
    CellAddr cy = toCell;
    cy.cell = "Y";
    x = value(to, cx);
    y = value(to, cy);
    localToPage(to, x, y);
  } else if (toCell.section.empty() && (toCell.cell == "PinX" || toCell.cell == "PinY")) {
    // Glue to the whole shape: the end sits on the shape's pin.
    toName = "PinX";
    toPart = 3;
    formula = "PAR(PNT(" + sheet + "PinX," + sheet + "PinY))";
    x = value(to, topCell("LocPinX"));
    y = value(to, topCell("LocPinY"));
    localToPage(to, x, y);
  } else {
    oleError("Inappropriate target object for this action.");
  }

  const char* fromName = begin ? "BeginX" : "EndX";
  const std::vector<pugi::xml_node> existing = page.connectsFrom[from.id];
  for (pugi::xml_node c : existing)
    if (std::strcmp(c.attribute("FromCell").value(), fromName) == 0) removeConnect(page, c);

  pugi::xml_node c = page.connectsNode(true).append_child("Connect");
  c.append_attribute("FromSheet") = from.id;
  c.append_attribute("FromCell") = fromName;
  c.append_attribute("FromPart") = begin ? 9 : 12;
  c.append_attribute("ToSheet") = to.id;
  c.append_attribute("ToCell") = toName.c_str();
  c.append_attribute("ToPart") = toPart;
  page.connectsFrom[from.id].push_back(c);
  page.connectsTo[to.id].push_back(c);

  setValue(from, topCell(begin ? "BeginX" : "EndX"), x, formula.c_str());
  setValue(from, topCell(begin ? "BeginY" : "EndY"), y, formula.c_str());
  const std::string trigger = "_XFTRIGGER(" + sheet + "EventXFMod)";
  setValue(from, topCell(begin ? "BegTrigger" : "EndTrigger"), 2, trigger.c_str());
  layoutConnector(from);
  page.touch();
}

void Model::removeConnect(PageM& page, pugi::xml_node c) {
  auto drop = [&](std::unordered_map<std::int32_t, std::vector<pugi::xml_node>>& index,
                  const char* attr) {
    auto it = index.find(c.attribute(attr).as_int());
    if (it == index.end()) return;
    auto& v = it->second;
    v.erase(std::remove(v.begin(), v.end(), c), v.end());
    if (v.empty()) index.erase(it);
  };
  drop(page.connectsFrom, "FromSheet");
  drop(page.connectsTo, "ToSheet");
  c.parent().remove_child(c);
}

void Model::unglueReferencesTo(PageM& page, std::int32_t sheet) {
  const std::string ref = "Sheet." + std::to_string(sheet) + "!";
  auto it = page.connectsTo.find(sheet);
  if (it == page.connectsTo.end()) return;
  const std::vector<pugi::xml_node> connects = it->second;
  for (pugi::xml_node c : connects) {
    auto from = page.byId.find(c.attribute("FromSheet").as_int());
    if (from != page.byId.end()) {
      // The end stays where it was, as a plain value: its formula named the deleted shape.
      for (const char* cell : {"BeginX", "BeginY", "EndX", "EndY", "BegTrigger", "EndTrigger"}) {
        pugi::xml_node local = findCell(from->second->node, topCell(cell));
        if (local &&
            std::string_view(local.attribute("F").value()).find(ref) != std::string_view::npos)
          local.remove_attribute("F");
      }
    }
    removeConnect(page, c);
  }
}

void Model::deleteShape(ShapeM& shape) {
  PageM& page = *shape.page;
  std::vector<ShapeM*> all;
  struct Collect {
    std::vector<ShapeM*>& out;
    void operator()(ShapeM* s) {
      out.push_back(s);
      for (const auto& c : s->children) (*this)(c.get());
    }
  };
  Collect{all}(&shape);
  for (ShapeM* s : all) {
    if (auto it = page.connectsFrom.find(s->id); it != page.connectsFrom.end()) {
      const std::vector<pugi::xml_node> own = it->second;
      for (pugi::xml_node c : own) removeConnect(page, c);
    }
    unglueReferencesTo(page, s->id);
  }
  for (ShapeM* s : all) {
    if (auto it = page.byName.find(s->name()); it != page.byName.end() && it->second.get() == s)
      page.byName.erase(it);
    if (auto it = page.byId.find(s->id); it != page.byId.end() && it->second.get() == s)
      page.byId.erase(it);
    s->deleted = true;
    deselect(*s);
  }
  // Found by identity, not ID: a damaged drawing may repeat IDs.
  auto same = [&](const std::shared_ptr<ShapeM>& p) { return p.get() == &shape; };
  if (shape.parent) {
    std::erase_if(shape.parent->children, same);
  } else {
    auto it = std::find_if(page.top.rbegin(), page.top.rend(), same);
    if (it != page.top.rend()) page.top.erase(std::next(it).base());
  }
  shape.node.parent().remove_child(shape.node);
  page.touch();
}

void Model::sendToBack(ShapeM& shape) {
  PageM& page = *shape.page;
  pugi::xml_node parent = shape.node.parent();
  auto same = [&](const std::shared_ptr<ShapeM>& p) { return p.get() == &shape; };
  if (shape.parent) {
    auto& v = shape.parent->children;
    auto it = std::find_if(v.begin(), v.end(), same);
    if (it != v.end()) std::rotate(v.begin(), it, std::next(it));
  } else {
    // A shape just dropped is last: searching from there, and the deque's
    // cheap ends, keep this constant for the connectors sent back one by one.
    auto it = std::find_if(page.top.rbegin(), page.top.rend(), same);
    if (it != page.top.rend()) {
      std::shared_ptr<ShapeM> keep = *it;
      page.top.erase(std::next(it).base());
      page.top.push_front(std::move(keep));
    }
  }
  parent.prepend_move(shape.node);
  page.touch();
}

void Model::deselect(const ShapeM& shape) {
  selection.erase(
      std::remove_if(selection.begin(), selection.end(),
                     [&](const std::shared_ptr<ShapeM>& s) { return s.get() == &shape; }),
      selection.end());
}

}  // namespace tw::drawapp
