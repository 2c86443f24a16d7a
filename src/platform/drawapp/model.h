#pragma once
// The documents behind the in-process application. Each page and master part
// stays a parsed XML document; shapes and cells are views onto its nodes, so
// a changed part is written back with every element and attribute it had,
// in order, and an unchanged part is never re-serialised.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/vsdx/package.h"

namespace tw::drawapp {

namespace rel {
inline constexpr const char* kDocument =
    "http://schemas.microsoft.com/visio/2010/relationships/document";
inline constexpr const char* kPages = "http://schemas.microsoft.com/visio/2010/relationships/pages";
inline constexpr const char* kPage = "http://schemas.microsoft.com/visio/2010/relationships/page";
inline constexpr const char* kMasters =
    "http://schemas.microsoft.com/visio/2010/relationships/masters";
inline constexpr const char* kMaster =
    "http://schemas.microsoft.com/visio/2010/relationships/master";
}  // namespace rel

namespace ctype {
inline constexpr const char* kDrawing = "application/vnd.ms-visio.drawing.main+xml";
inline constexpr const char* kTemplate = "application/vnd.ms-visio.template.main+xml";
inline constexpr const char* kStencil = "application/vnd.ms-visio.stencil.main+xml";
inline constexpr const char* kPages = "application/vnd.ms-visio.pages+xml";
inline constexpr const char* kPage = "application/vnd.ms-visio.page+xml";
inline constexpr const char* kMasters = "application/vnd.ms-visio.masters+xml";
inline constexpr const char* kMaster = "application/vnd.ms-visio.master+xml";
}  // namespace ctype

inline constexpr const char* kVisioNs = "http://schemas.microsoft.com/office/visio/2012/main";
inline constexpr const char* kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

struct XmlPart {
  std::string name;  // part name, "/visio/pages/page1.xml"
  std::string contentType;
  pugi::xml_document xml;
  bool dirty = false;  // changed: re-serialised on store
  bool added = false;  // not in the package yet: its relationship is added on store
};

// Parses part bytes; raises EFileError naming `what` on malformed XML.
void parseXml(XmlPart& part, const std::string& bytes, const std::string& what);
std::string serializeXml(const XmlPart& part);

struct Doc;
struct PageM;

struct MasterM {
  Doc* doc = nullptr;
  std::int32_t id = 0;
  pugi::xml_node entry;  // <Master> in masters.xml
  std::unique_ptr<XmlPart> part;
  pugi::xml_node top;                                       // the master's (first) top-level shape
  std::unordered_map<std::int32_t, pugi::xml_node> shapes;  // every shape of the master by ID

  std::string nameU() const;
  std::string name() const;
  void index();  // fills top and shapes from part
};

// Groups nested deeper than this are refused as damaged: the walks over them recurse.
inline constexpr int kMaxGroupDepth = 64;

struct ShapeM {
  PageM* page = nullptr;
  ShapeM* parent = nullptr;  // the group it belongs to, if any
  pugi::xml_node node;
  pugi::xml_node inherits;    // the master's shape it inherits from, if any
  MasterM* master = nullptr;  // the master it (or its group) is an instance of
  std::int32_t id = 0;
  std::uint64_t serial = 0;  // unique for the application's lifetime
  bool deleted = false;
  std::vector<std::shared_ptr<ShapeM>> children;

  std::string name() const;  // Name, else NameU, else "Sheet.<ID>"
  std::string nameU() const;
};

// A Connect element seen from one of its two shapes.
struct ConnectRec {
  pugi::xml_node node;
};

struct PageM {
  Doc* doc = nullptr;
  pugi::xml_node entry;  // <Page> in pages.xml
  std::unique_ptr<XmlPart> part;
  std::deque<std::shared_ptr<ShapeM>> top;  // the page's Shapes, back to front
  std::unordered_map<std::int32_t, std::shared_ptr<ShapeM>> byId;  // every shape, sub-shapes too
  std::unordered_map<std::string, std::shared_ptr<ShapeM>> byName;
  std::unordered_map<std::int32_t, std::vector<pugi::xml_node>> connectsFrom;  // by FromSheet
  std::unordered_map<std::int32_t, std::vector<pugi::xml_node>> connectsTo;    // by ToSheet
  std::int32_t maxId = 0;
  std::uint64_t serial = 0;
  std::vector<MasterM*> mastersDropped;  // page needs a relationship to these

  std::string name() const;
  std::string nameU() const;
  pugi::xml_node shapesNode(bool create);
  pugi::xml_node connectsNode(bool create);
  void touch();  // marks the page part changed
};

struct Doc {
  class Model* model = nullptr;
  std::string name;
  bool stencil = false;
  bool isNew = false;                 // created here: store writes every part of it
  std::unique_ptr<XmlPart> document;  // only for a new document
  std::unique_ptr<XmlPart> pagesXml;
  std::unique_ptr<XmlPart> mastersXml;
  std::string documentPart = "/visio/document.xml";
  std::vector<std::unique_ptr<PageM>> pages;
  std::vector<std::unique_ptr<MasterM>> masters;

  MasterM* masterById(std::int32_t id) const;
  MasterM* masterByNameU(std::string_view nameU) const;
  MasterM* masterByName(std::string_view wanted) const;
};

// Where a cell lives in a shape's XML.
struct CellAddr {
  std::string section;          // "" for a cell of the shape itself, else the Section's N
  std::int32_t sectionIx = -1;  // Geometry sections are indexed
  std::string rowN;             // named rows (Property, User)
  std::int32_t rowIx = -1;      // indexed rows (Connection, Geometry)
  std::string cell;             // the Cell's N
};

class Model {
 public:
  Model();
  std::unique_ptr<Doc> drawing;
  std::unique_ptr<Doc> stencilDoc;
  PageM* activePage = nullptr;
  std::vector<std::shared_ptr<ShapeM>> selection;
  bool changed = false;

  std::uint64_t newSerial() { return nextSerial_++; }

  // Loading and storing.
  void loadDrawing(const vsdx::Package& pkg, const std::string& name);
  void createDrawing(const std::string& name);
  void openStencil();
  void store(vsdx::Package& pkg);

  // Operations the dispatch objects use.
  std::shared_ptr<ShapeM> drop(PageM& page, MasterM& master, double x, double y);
  void deleteShape(ShapeM& shape);
  void sendToBack(ShapeM& shape);
  void glue(ShapeM& from, const CellAddr& fromCell, ShapeM& to, const CellAddr& toCell);
  void deselect(const ShapeM& shape);

  // Cells.
  pugi::xml_node localCell(const ShapeM& s, const CellAddr& a) const;
  pugi::xml_node inheritedCell(const ShapeM& s, const CellAddr& a) const;
  bool cellExists(const ShapeM& s, const CellAddr& a, bool locally) const;
  std::string formula(const ShapeM& s, const CellAddr& a) const;
  double value(const ShapeM& s, const CellAddr& a) const;  // internal units; 0 when none
  std::string valueText(const ShapeM& s, const CellAddr& a) const;
  void putFormula(ShapeM& s, const CellAddr& a, const std::string& formula);
  // The Property rows of a shape in Visio's order: inherited rows first (less
  // those deleted locally), then rows of its own.
  std::vector<std::string> propertyRows(const ShapeM& s) const;

  // Addressing cells the ways callers name them; nullopt when no such cell.
  std::optional<CellAddr> addrFromSRC(const ShapeM& s, std::int32_t section, std::int32_t row,
                                      std::int32_t column) const;
  std::optional<CellAddr> addrFromName(std::string_view name) const;
  static std::string cellName(const CellAddr& a);

  // Page coordinates of a point given in a shape's local coordinates.
  void localToPage(const ShapeM& s, double& x, double& y) const;

 private:
  void loadDoc(Doc& doc, const vsdx::Package& pkg, const std::string& docPart);
  void indexPage(PageM& page);
  void indexShape(PageM& page, ShapeM* parent, pugi::xml_node node, MasterM* inheritedMaster,
                  int depth);
  MasterM* copyMaster(MasterM& stencilMaster);
  pugi::xml_node ensureCell(ShapeM& s, const CellAddr& a);
  void setValue(ShapeM& s, const CellAddr& a, double v, const char* formula);
  void layoutConnector(ShapeM& c);
  void showFieldText(ShapeM& s, std::int32_t fieldIx, const std::string& text);
  void removeConnect(PageM& page, pugi::xml_node connect);
  void unglueReferencesTo(PageM& page, std::int32_t sheet);
  std::string freePartName(const std::string& dir, const std::string& stem) const;

  std::uint64_t nextSerial_ = 1;
  std::vector<std::string> packageParts_;  // part names the loaded package already has
};

}  // namespace tw::drawapp
