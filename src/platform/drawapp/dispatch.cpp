#include "dispatch.h"

#include <algorithm>
#include <cctype>

#include "platform/error.h"

namespace tw::drawapp {

namespace {

using Args = std::vector<Variant>;

[[noreturn]] void oleError(const std::string& msg) {
  throw Error(errkind::kOle, msg);
}

// Member names are matched without regard to case, as IDispatch does.
bool is(std::string_view member, std::string_view name) {
  if (member.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(member[i])) !=
        std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

bool docNameMatches(std::string_view docName, std::string_view wanted) {
  // "Tarnwick.vss" also finds "Tarnwick.vssx": the old format's name of the same stencil.
  auto lower = [](std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
  };
  const std::string d = lower(docName);
  const std::string w = lower(wanted);
  return d == w || d == w + "x";
}

class Obj : public Dispatch {
 public:
  explicit Obj(std::shared_ptr<Model> m) : m_(std::move(m)) {}

 protected:
  [[noreturn]] static void unknown(std::string_view member, const char* what) {
    oleError("Unknown name '" + std::string(member) + "': " + what + " has no such member.");
  }
  [[noreturn]] static void badArgs() { oleError("Invalid parameter."); }
  [[noreturn]] static void readOnly(std::string_view member) {
    oleError("Property '" + std::string(member) + "' is read-only.");
  }
  static const Variant& arg(const Args& a, std::size_t i) {
    if (i >= a.size()) badArgs();
    return a[i];
  }
  static void noPut(std::string_view member, InvokeKind k) {
    if (k == InvokeKind::Put) readOnly(member);
  }
  // A 1-based index into a collection of `count` items.
  static std::size_t index(const Variant& v, std::size_t count) {
    const std::int32_t i = v.toInt();
    if (i < 1 || static_cast<std::size_t>(i) > count) oleError("Invalid index.");
    return static_cast<std::size_t>(i - 1);
  }
  static bool isIndex(const Variant& v) {
    return v.type() == Variant::Type::Int || v.type() == Variant::Type::Double;
  }
  std::shared_ptr<Model> m_;
};

DispatchPtr makeShape(const std::shared_ptr<Model>& m, std::shared_ptr<ShapeM> s);

// A collection property read with arguments gives the item they name, as
// late binding reads Documents("x") as Documents.Item("x").
Variant collection(DispatchPtr c, const Args& args) {
  if (args.empty()) return Variant(std::move(c));
  return c->invoke("Item", InvokeKind::Get, args);
}

DispatchPtr makePage(const std::shared_ptr<Model>& m, PageM* p);
DispatchPtr makeDoc(const std::shared_ptr<Model>& m, Doc* d);

// ------------------------------------------------------------------ cell

class CellD final : public Obj {
 public:
  CellD(std::shared_ptr<Model> m, std::shared_ptr<ShapeM> s, CellAddr a)
      : Obj(std::move(m)), s_(std::move(s)), a_(std::move(a)) {}
  const std::shared_ptr<ShapeM>& shape() const { return s_; }
  const CellAddr& addr() const { return a_; }

  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    if (is(member, "FormulaU") || is(member, "Formula")) {
      live();
      if (kind == InvokeKind::Put) {
        const Variant& v = arg(args, args.size() - 1);
        m_->putFormula(*s_, a_, v.toText());
        return {};
      }
      return m_->formula(*s_, a_);
    }
    noPut(member, kind);
    if (is(member, "ResultIU")) {
      live();
      return m_->value(*s_, a_);
    }
    if (is(member, "ResultStr")) {
      live();
      return m_->valueText(*s_, a_);
    }
    if (is(member, "Name")) return Model::cellName(a_);
    if (is(member, "Shape")) return makeShape(m_, s_);
    if (is(member, "GlueTo")) {
      live();
      auto* to = dynamic_cast<CellD*>(arg(args, 0).ref().get());
      if (!to) oleError("Inappropriate target object for this action.");
      to->live();
      m_->glue(*s_, a_, *to->s_, to->a_);
      return {};
    }
    unknown(member, "Cell");
  }

 private:
  void live() const {
    if (s_->deleted) oleError("Object has been deleted.");
    if (!m_->cellExists(*s_, a_, false)) oleError("Unexpected end of file.");
  }
  std::shared_ptr<ShapeM> s_;
  CellAddr a_;
};

// ------------------------------------------------------------------ connects

struct ConnectData {
  std::shared_ptr<ShapeM> from, to;
  std::string fromCell, toCell;
  std::int32_t fromPart = 0, toPart = 0;
};

DispatchPtr cellFor(const std::shared_ptr<Model>& m, const std::shared_ptr<ShapeM>& s,
                    const std::string& name) {
  if (!s) return {};
  std::optional<CellAddr> a = m->addrFromName(name);
  if (!a) {
    // A cell name this model does not parse (foreign drawings): kept as written.
    a = CellAddr{};
    a->cell = name;
  }
  return std::make_shared<CellD>(m, s, *a);
}

class ConnectD final : public Obj {
 public:
  ConnectD(std::shared_ptr<Model> m, ConnectData c) : Obj(std::move(m)), c_(std::move(c)) {}
  Variant invoke(std::string_view member, InvokeKind kind, const Args&) override {
    noPut(member, kind);
    if (is(member, "FromCell")) return Variant(cellFor(m_, c_.from, c_.fromCell));
    if (is(member, "ToCell")) return Variant(cellFor(m_, c_.to, c_.toCell));
    if (is(member, "FromSheet")) return c_.from ? makeShape(m_, c_.from) : Variant();
    if (is(member, "ToSheet")) return c_.to ? makeShape(m_, c_.to) : Variant();
    if (is(member, "FromPart")) return c_.fromPart;
    if (is(member, "ToPart")) return c_.toPart;
    unknown(member, "Connect");
  }

 private:
  ConnectData c_;
};

class ConnectsD final : public Obj {
 public:
  ConnectsD(std::shared_ptr<Model> m, std::vector<ConnectData> items)
      : Obj(std::move(m)), items_(std::move(items)) {}
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "Count")) return static_cast<std::int32_t>(items_.size());
    if (is(member, "Item") || member.empty())
      return Variant(std::make_shared<ConnectD>(m_, items_[index(arg(args, 0), items_.size())]));
    unknown(member, "Connects");
  }

 private:
  std::vector<ConnectData> items_;
};

std::vector<ConnectData> connectsOf(const PageM& page, const std::vector<pugi::xml_node>& nodes) {
  std::vector<ConnectData> out;
  out.reserve(nodes.size());
  auto shape = [&](std::int32_t id) -> std::shared_ptr<ShapeM> {
    auto it = page.byId.find(id);
    return it == page.byId.end() ? nullptr : it->second;
  };
  for (pugi::xml_node c : nodes) {
    ConnectData d;
    d.from = shape(c.attribute("FromSheet").as_int());
    d.to = shape(c.attribute("ToSheet").as_int());
    d.fromCell = c.attribute("FromCell").value();
    d.toCell = c.attribute("ToCell").value();
    d.fromPart = c.attribute("FromPart").as_int();
    d.toPart = c.attribute("ToPart").as_int();
    out.push_back(std::move(d));
  }
  return out;
}

// ------------------------------------------------------------------ shapes

class ShapesD final : public Obj {
 public:
  ShapesD(std::shared_ptr<Model> m, PageM* page, std::shared_ptr<ShapeM> group)
      : Obj(std::move(m)), page_(page), group_(std::move(group)) {}
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "Count"))
      return static_cast<std::int32_t>(group_ ? group_->children.size() : page_->top.size());
    if (is(member, "Item") || is(member, "ItemU") || member.empty()) {
      const Variant& a = arg(args, 0);
      if (isIndex(a)) {
        if (group_) return makeShape(m_, group_->children[index(a, group_->children.size())]);
        return makeShape(m_, page_->top[index(a, page_->top.size())]);
      }
      const std::string name = a.toText();
      if (auto it = page_->byName.find(name);
          it != page_->byName.end() && it->second->parent == group_.get())
        return makeShape(m_, it->second);
      for (const auto& [id, s] : page_->byId)
        if (s->parent == group_.get() && (s->nameU() == name || s->name() == name))
          return makeShape(m_, s);
      oleError("Object name not found.");
    }
    if (is(member, "ItemFromID")) {
      auto it = page_->byId.find(arg(args, 0).toInt());
      if (it == page_->byId.end()) oleError("Invalid sheet identifier.");
      return makeShape(m_, it->second);
    }
    unknown(member, "Shapes");
  }

 private:
  PageM* page_;
  std::shared_ptr<ShapeM> group_;
};

class ShapeD final : public Obj {
 public:
  ShapeD(std::shared_ptr<Model> m, std::shared_ptr<ShapeM> s)
      : Obj(std::move(m)), s_(std::move(s)) {}
  const std::shared_ptr<ShapeM>& shape() const { return s_; }

  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    // The default member: a text unique to this shape, so that two
    // references compare equal exactly when they stand for the same shape.
    if (member.empty()) return "Shape#" + std::to_string(s_->serial);
    noPut(member, kind);
    if (s_->deleted) oleError("Object has been deleted.");
    if (is(member, "Name")) return s_->name();
    if (is(member, "NameU")) return s_->nameU();
    if (is(member, "ID")) return s_->id;
    if (is(member, "Type"))
      return std::string_view(s_->node.attribute("Type").value()) == "Group" ? 2 : 3;
    if (is(member, "Text")) return text();
    if (is(member, "CellsSRC")) {
      std::optional<CellAddr> a =
          m_->addrFromSRC(*s_, arg(args, 0).toInt(), arg(args, 1).toInt(), arg(args, 2).toInt());
      if (!a) oleError("Unexpected end of file.");
      return Variant(std::make_shared<CellD>(m_, s_, *a));
    }
    if (is(member, "CellsSRCExists")) {
      std::optional<CellAddr> a =
          m_->addrFromSRC(*s_, arg(args, 0).toInt(), arg(args, 1).toInt(), arg(args, 2).toInt());
      const bool locally = args.size() > 3 && args[3].toInt() != 0;
      return (a && m_->cellExists(*s_, *a, locally)) ? -1 : 0;
    }
    if (is(member, "Cells") || is(member, "CellsU")) {
      std::optional<CellAddr> a = m_->addrFromName(arg(args, 0).toText());
      if (!a || !m_->cellExists(*s_, *a, false)) oleError("Unexpected end of file.");
      return Variant(std::make_shared<CellD>(m_, s_, *a));
    }
    if (is(member, "CellExists") || is(member, "CellExistsU")) {
      std::optional<CellAddr> a = m_->addrFromName(arg(args, 0).toText());
      const bool locally = args.size() > 1 && args[1].toInt() != 0;
      return (a && m_->cellExists(*s_, *a, locally)) ? -1 : 0;
    }
    if (is(member, "SendToBack")) {
      m_->sendToBack(*s_);
      return {};
    }
    if (is(member, "Delete")) {
      m_->deleteShape(*s_);
      return {};
    }
    if (is(member, "Connects")) {
      std::vector<pugi::xml_node> nodes;
      if (auto it = s_->page->connectsFrom.find(s_->id); it != s_->page->connectsFrom.end())
        nodes = it->second;
      // Visio lists a connector's begin point before its end point.
      std::stable_sort(nodes.begin(), nodes.end(), [](pugi::xml_node a, pugi::xml_node b) {
        auto rank = [](pugi::xml_node n) {
          return std::string_view(n.attribute("FromCell").value()) == "BeginX" ? 0 : 1;
        };
        return rank(a) < rank(b);
      });
      return collection(std::make_shared<ConnectsD>(m_, connectsOf(*s_->page, nodes)), args);
    }
    if (is(member, "FromConnects")) {
      std::vector<pugi::xml_node> nodes;
      if (auto it = s_->page->connectsTo.find(s_->id); it != s_->page->connectsTo.end())
        nodes = it->second;
      return collection(std::make_shared<ConnectsD>(m_, connectsOf(*s_->page, nodes)), args);
    }
    if (is(member, "Shapes")) return collection(std::make_shared<ShapesD>(m_, s_->page, s_), args);
    if (is(member, "ContainingPage")) return makePage(m_, s_->page);
    if (is(member, "Master")) {
      if (!s_->master || s_->parent) return {};
      return Variant(makeMaster(s_->master));
    }
    unknown(member, "Shape");
  }

 private:
  DispatchPtr makeMaster(MasterM* master) const;
  std::string text() const {
    pugi::xml_node t = s_->node.child("Text");
    if (!t && s_->inherits) t = s_->inherits.child("Text");
    std::string out;
    // Plain text and the current text of fields; cp/pp/tp markers carry none.
    for (pugi::xml_node n : t.children()) {
      if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
        out += n.value();
      else if (std::string_view(n.name()) == "fld")
        out += n.child_value();
    }
    return out;
  }
  std::shared_ptr<ShapeM> s_;
};

DispatchPtr makeShape(const std::shared_ptr<Model>& m, std::shared_ptr<ShapeM> s) {
  return std::make_shared<ShapeD>(m, std::move(s));
}

// ------------------------------------------------------------------ masters

class MasterD final : public Obj {
 public:
  MasterD(std::shared_ptr<Model> m, MasterM* master) : Obj(std::move(m)), master_(master) {}
  MasterM* master() const { return master_; }
  Variant invoke(std::string_view member, InvokeKind kind, const Args&) override {
    noPut(member, kind);
    if (is(member, "Name")) return master_->name();
    if (is(member, "NameU")) return master_->nameU();
    if (is(member, "ID")) return master_->id;
    if (is(member, "Document")) return makeDoc(m_, master_->doc);
    unknown(member, "Master");
  }

 private:
  MasterM* master_;
};

DispatchPtr ShapeD::makeMaster(MasterM* master) const {
  return std::make_shared<MasterD>(m_, master);
}

class MastersD final : public Obj {
 public:
  MastersD(std::shared_ptr<Model> m, Doc* d) : Obj(std::move(m)), d_(d) {}
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "Count")) return static_cast<std::int32_t>(d_->masters.size());
    const bool universal = is(member, "ItemU");
    if (universal || is(member, "Item") || member.empty()) {
      const Variant& a = arg(args, 0);
      if (isIndex(a))
        return Variant(
            std::make_shared<MasterD>(m_, d_->masters[index(a, d_->masters.size())].get()));
      const std::string name = a.toText();
      MasterM* found = universal ? d_->masterByNameU(name) : d_->masterByName(name);
      if (!found) oleError("Object name not found.");
      return Variant(std::make_shared<MasterD>(m_, found));
    }
    if (is(member, "ItemFromID")) {
      MasterM* found = d_->masterById(arg(args, 0).toInt());
      if (!found) oleError("Invalid sheet identifier.");
      return Variant(std::make_shared<MasterD>(m_, found));
    }
    unknown(member, "Masters");
  }

 private:
  Doc* d_;
};

// ------------------------------------------------------------------ pages

class PageD final : public Obj {
 public:
  PageD(std::shared_ptr<Model> m, PageM* p) : Obj(std::move(m)), p_(p) {}
  PageM* page() const { return p_; }
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "Name")) return p_->name();
    if (is(member, "NameU")) return p_->nameU();
    if (is(member, "ID")) return p_->entry.attribute("ID").as_int();
    if (is(member, "Shapes")) return collection(std::make_shared<ShapesD>(m_, p_, nullptr), args);
    if (is(member, "Document")) return makeDoc(m_, p_->doc);
    if (is(member, "Drop")) {
      auto* master = dynamic_cast<MasterD*>(arg(args, 0).ref().get());
      if (!master) oleError("Inappropriate target object for this action.");
      const double x = arg(args, 1).toDouble();
      const double y = arg(args, 2).toDouble();
      return makeShape(m_, m_->drop(*p_, *master->master(), x, y));
    }
    unknown(member, "Page");
  }

 private:
  PageM* p_;
};

DispatchPtr makePage(const std::shared_ptr<Model>& m, PageM* p) {
  return std::make_shared<PageD>(m, p);
}

class PagesD final : public Obj {
 public:
  PagesD(std::shared_ptr<Model> m, Doc* d) : Obj(std::move(m)), d_(d) {}
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "Count")) return static_cast<std::int32_t>(d_->pages.size());
    const bool universal = is(member, "ItemU");
    if (universal || is(member, "Item") || member.empty()) {
      const Variant& a = arg(args, 0);
      if (isIndex(a)) return makePage(m_, d_->pages[index(a, d_->pages.size())].get());
      const std::string name = a.toText();
      for (const auto& p : d_->pages)
        if ((universal ? p->nameU() : p->name()) == name) return makePage(m_, p.get());
      oleError("Object name not found.");
    }
    unknown(member, "Pages");
  }

 private:
  Doc* d_;
};

// ------------------------------------------------------------------ documents

class DocD final : public Obj {
 public:
  DocD(std::shared_ptr<Model> m, Doc* d) : Obj(std::move(m)), d_(d) {}
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    // Name is the file's name; FullName what the document was opened as (a path).
    if (is(member, "Name")) return d_->name.substr(d_->name.find_last_of("/\\") + 1);
    if (is(member, "FullName")) return d_->name;
    if (is(member, "Masters")) return collection(std::make_shared<MastersD>(m_, d_), args);
    if (is(member, "Pages")) return collection(std::make_shared<PagesD>(m_, d_), args);
    if (is(member, "Type")) return d_->stencil ? 2 : 1;  // visTypeStencil, visTypeDrawing
    unknown(member, "Document");
  }

 private:
  Doc* d_;
};

DispatchPtr makeDoc(const std::shared_ptr<Model>& m, Doc* d) {
  return std::make_shared<DocD>(m, d);
}

class DocumentsD final : public Obj {
 public:
  using Obj::Obj;
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    std::vector<Doc*> docs;
    if (m_->drawing) docs.push_back(m_->drawing.get());
    if (m_->stencilDoc) docs.push_back(m_->stencilDoc.get());
    if (is(member, "Count")) return static_cast<std::int32_t>(docs.size());
    if (is(member, "Item") || is(member, "ItemU") || member.empty()) {
      const Variant& a = arg(args, 0);
      if (isIndex(a)) return makeDoc(m_, docs[index(a, docs.size())]);
      const std::string name = a.toText();
      for (Doc* d : docs)
        if (docNameMatches(d->name, name)) return makeDoc(m_, d);
      oleError("Object name not found.");
    }
    unknown(member, "Documents");
  }
};

// ------------------------------------------------------------------ window

class SelectionD final : public Obj {
 public:
  SelectionD(std::shared_ptr<Model> m, std::vector<std::shared_ptr<ShapeM>> items)
      : Obj(std::move(m)), items_(std::move(items)) {}
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "Count")) return static_cast<std::int32_t>(items_.size());
    if (is(member, "Item") || member.empty())
      return makeShape(m_, items_[index(arg(args, 0), items_.size())]);
    unknown(member, "Selection");
  }

 private:
  std::vector<std::shared_ptr<ShapeM>> items_;  // a snapshot, as Visio's Selection is
};

class WindowD final : public Obj {
 public:
  using Obj::Obj;
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    if (is(member, "Page")) {
      if (kind == InvokeKind::Put) {
        const Variant& v = arg(args, args.size() - 1);
        PageM* target = nullptr;
        if (v.type() == Variant::Type::Ref) {
          if (auto* p = dynamic_cast<PageD*>(v.ref().get())) target = p->page();
        } else {
          for (const auto& p : m_->drawing->pages)
            if (p->name() == v.toText() || p->nameU() == v.toText()) target = p.get();
        }
        if (!target) oleError("Object name not found.");
        m_->activePage = target;
        m_->selection.clear();
        return {};
      }
      return makePage(m_, m_->activePage);
    }
    noPut(member, kind);
    if (is(member, "Selection")) {
      // Selection(i) is read as the i-th selected shape.
      if (!args.empty()) return makeShape(m_, m_->selection[index(args[0], m_->selection.size())]);
      return Variant(std::make_shared<SelectionD>(m_, m_->selection));
    }
    if (is(member, "DeselectAll")) {
      m_->selection.clear();
      return {};
    }
    if (is(member, "Select")) {
      auto* shape = dynamic_cast<ShapeD*>(arg(args, 0).ref().get());
      if (!shape) oleError("Inappropriate target object for this action.");
      const std::shared_ptr<ShapeM>& s = shape->shape();
      if (s->deleted || s->page != m_->activePage)
        oleError("Inappropriate target object for this action.");
      const std::int32_t how = arg(args, 1).toInt();
      switch (how) {
        case 1:  // visDeselect
          m_->deselect(*s);
          break;
        case 2:  // visSelect: added to the selection
          if (std::find(m_->selection.begin(), m_->selection.end(), s) == m_->selection.end())
            m_->selection.push_back(s);
          break;
        case 256:  // visDeselectAll
          m_->selection.clear();
          break;
        case 258:  // visDeselectAll + visSelect
          m_->selection.assign(1, s);
          break;
        default:
          badArgs();
      }
      return {};
    }
    if (is(member, "Document")) return makeDoc(m_, m_->drawing.get());
    unknown(member, "Window");
  }
};

class WindowsD final : public Obj {
 public:
  using Obj::Obj;
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "Count")) return 1;
    if (is(member, "Item") || member.empty()) {
      index(arg(args, 0), 1);
      return Variant(std::make_shared<WindowD>(m_));
    }
    unknown(member, "Windows");
  }
};

class ApplicationD final : public Obj {
 public:
  using Obj::Obj;
  Variant invoke(std::string_view member, InvokeKind kind, const Args& args) override {
    noPut(member, kind);
    if (is(member, "ActiveWindow")) return Variant(std::make_shared<WindowD>(m_));
    if (is(member, "ActivePage")) return makePage(m_, m_->activePage);
    if (is(member, "ActiveDocument")) return makeDoc(m_, m_->drawing.get());
    if (is(member, "Documents")) return collection(std::make_shared<DocumentsD>(m_), args);
    if (is(member, "Windows")) return collection(std::make_shared<WindowsD>(m_), args);
    unknown(member, "Application");
  }
};

}  // namespace

DispatchPtr makeApplication(std::shared_ptr<Model> model) {
  return std::make_shared<ApplicationD>(std::move(model));
}

}  // namespace tw::drawapp
