#include "package.h"

#include <zip.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

#include "platform/error.h"

namespace tw::vsdx {

namespace {

constexpr const char* kRelsType = "application/vnd.openxmlformats-package.relationships+xml";
constexpr const char* kTypesNs = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr const char* kRelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kVisioRels = "http://schemas.microsoft.com/visio/2010/relationships/";
constexpr const char* kXmlDecl =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

[[noreturn]] void refuse(const std::string& file, const std::string& problem) {
  throw Error(errkind::kFile, "The file \"" + file + "\" cannot be used: " + problem);
}

std::string lower(std::string_view s) {
  std::string r(s);
  std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
  });
  return r;
}

std::string_view localName(std::string_view qname) {
  const auto colon = qname.find(':');
  return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

std::string extensionOf(const std::string& partName) {
  const auto slash = partName.rfind('/');
  const auto dot = partName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return lower(partName.substr(dot + 1));
}

std::string percentDecode(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
      r.push_back(static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2])));
      i += 2;
    } else {
      r.push_back(s[i]);
    }
  }
  return r;
}

// The part whose relationships a ".rels" entry holds, or "" for other entries.
std::string relsSource(const std::string& partName) {
  const auto slash = partName.rfind('/');
  const std::string folder = partName.substr(0, slash + 1);
  const std::string file = partName.substr(slash + 1);
  const std::string relsDir = "_rels/";
  if (folder.size() < relsDir.size() + 1 ||
      folder.compare(folder.size() - relsDir.size(), relsDir.size(), relsDir) != 0)
    return {};
  if (file.size() < 5 || lower(file.substr(file.size() - 5)) != ".rels") return {};
  const std::string owner = file.substr(0, file.size() - 5);
  const std::string ownerFolder = folder.substr(0, folder.size() - relsDir.size());
  if (owner.empty()) return ownerFolder == "/" ? "/" : std::string();
  return ownerFolder + owner;
}

pugi::xml_document parseXml(const std::string& bytes, const std::string& file,
                            const std::string& part) {
  pugi::xml_document doc;
  const pugi::xml_parse_result res =
      doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (!res)
    refuse(file, "malformed XML in part " + part + " (" + res.description() + " at byte " +
                     std::to_string(res.offset) + ").");
  return doc;
}

std::string serialize(const pugi::xml_document& doc) {
  std::ostringstream out;
  out << kXmlDecl;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

struct ZipCloser {
  void operator()(zip_t* z) const {
    if (z) zip_discard(z);
  }
};
struct FileCloser {
  void operator()(zip_file_t* f) const {
    if (f) zip_fclose(f);
  }
};

std::string zipErrorText(zip_error_t* err) {
  const char* s = zip_error_strerror(err);
  return s ? s : "unknown zip error";
}

}  // namespace

std::string relsPartName(const std::string& sourcePart) {
  if (sourcePart == "/" || sourcePart.empty()) return "/_rels/.rels";
  const auto slash = sourcePart.rfind('/');
  return sourcePart.substr(0, slash + 1) + "_rels/" + sourcePart.substr(slash + 1) + ".rels";
}

std::string resolveTarget(const std::string& sourcePart, std::string_view target) {
  const std::string decoded = percentDecode(target);
  std::string base;
  if (!decoded.empty() && decoded[0] == '/') {
    base = decoded;
  } else {
    const auto slash = sourcePart.rfind('/');
    base =
        (slash == std::string::npos ? std::string("/") : sourcePart.substr(0, slash + 1)) + decoded;
  }
  // Drop a fragment or query: relationship targets name parts.
  if (const auto cut = base.find_first_of("#?"); cut != std::string::npos) base.resize(cut);
  std::vector<std::string> segs;
  std::size_t i = 0;
  while (i <= base.size()) {
    const auto next = base.find('/', i);
    const std::string seg =
        base.substr(i, next == std::string::npos ? std::string::npos : next - i);
    if (seg == "..") {
      if (segs.empty()) throw std::invalid_argument("target climbs above the package root");
      segs.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segs.push_back(seg);
    }
    if (next == std::string::npos) break;
    i = next + 1;
  }
  std::string r;
  for (const auto& s : segs) r += "/" + s;
  return r.empty() ? "/" : r;
}

std::string relativeTarget(const std::string& sourcePart, const std::string& target) {
  const auto slash = sourcePart.rfind('/');
  const std::string folder =
      (sourcePart == "/" || slash == std::string::npos) ? "/" : sourcePart.substr(0, slash + 1);
  auto split = [](const std::string& p) {
    std::vector<std::string> v;
    std::stringstream ss(p);
    std::string seg;
    while (std::getline(ss, seg, '/'))
      if (!seg.empty()) v.push_back(seg);
    return v;
  };
  const auto from = split(folder);
  const auto to = split(target);
  std::size_t common = 0;
  while (common < from.size() && common + 1 < to.size() && from[common] == to[common]) ++common;
  std::string r;
  for (std::size_t k = common; k < from.size(); ++k) r += "../";
  for (std::size_t k = common; k < to.size(); ++k) r += (k > common ? "/" : "") + to[k];
  return r;
}

Package::Package() {
  defaults_["rels"] = kRelsType;
  defaults_["xml"] = "application/xml";
}

Package Package::load(const std::string& path, const Limits& limits) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    if (!std::filesystem::exists(path, ec)) refuse(path, "it does not exist.");
    refuse(path, "it is not a regular file.");
  }
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) refuse(path, "it cannot be read (" + ec.message() + ").");
  // A container can never be larger than the parts it may hold.
  if (size > limits.maxTotalBytes) refuse(path, "it is too large to be a drawing.");
  std::ifstream in(path, std::ios::binary);
  if (!in) refuse(path, std::string("it cannot be opened (") + std::strerror(errno) + ").");
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::uint64_t>(in.gcount()) != size)
    refuse(path, "it could not be read to its end.");
  return fromBytes(bytes, path, limits);
}

Package Package::fromBytes(const std::string& zipBytes, const std::string& file,
                           const Limits& limits) {
  if (zipBytes.size() >= 4 && static_cast<unsigned char>(zipBytes[0]) == 0xD0 &&
      static_cast<unsigned char>(zipBytes[1]) == 0xCF &&
      static_cast<unsigned char>(zipBytes[2]) == 0x11 &&
      static_cast<unsigned char>(zipBytes[3]) == 0xE0)
    refuse(file,
           "it is a drawing in the old binary format (.vsd); save it as a .vsdx drawing first.");
  if (zipBytes.size() < 4 || zipBytes.compare(0, 2, "PK") != 0)
    refuse(file, "it is not a .vsdx drawing (not a zip container).");

  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(zipBytes.data(), zipBytes.size(), 0, &err);
  if (!src) refuse(file, "it cannot be read (" + zipErrorText(&err) + ").");
  std::unique_ptr<zip_t, ZipCloser> za(zip_open_from_source(src, ZIP_RDONLY, &err));
  if (!za) {
    zip_source_free(src);
    const std::string why = zipErrorText(&err);
    zip_error_fini(&err);
    refuse(file, "it is not a readable zip container (" + why + ").");
  }
  zip_error_fini(&err);

  const zip_int64_t count = zip_get_num_entries(za.get(), 0);
  if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxEntries)
    refuse(file, "it holds too many entries (" + std::to_string(count) + ").");

  Package pkg;
  pkg.defaults_.clear();
  std::map<std::string, std::string> relsEntries;  // source part -> bytes
  std::map<std::string, std::string> relsNames;    // source part -> rels part name
  std::set<std::string> seen;
  std::uint64_t total = 0;
  bool haveTypes = false;

  for (zip_int64_t i = 0; i < count; ++i) {
    const auto idx = static_cast<zip_uint64_t>(i);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za.get(), idx, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
      refuse(file, "entry " + std::to_string(i) + " of the zip container cannot be read.");
    const std::string zipName = st.name;
    if (zipName.empty() || zipName.back() == '/') continue;  // folders are not parts
    const std::string partName = zipName[0] == '/' ? zipName : "/" + zipName;
    if (!seen.insert(lower(partName)).second)
      refuse(file, "the entry " + zipName + " appears twice.");
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
      refuse(file, "the entry " + zipName + " is encrypted.");
    const std::uint64_t usize = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    const std::uint64_t csize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
    if (csize > zipBytes.size())
      refuse(file, "the entry " + zipName + " claims more data than the container holds.");
    if (usize > limits.maxPartBytes)
      refuse(file,
             "the entry " + zipName + " is absurdly large (" + std::to_string(usize) + " bytes).");
    if (usize > limits.ratioFloorBytes && (csize == 0 || usize / csize > limits.maxRatio))
      refuse(file, "the entry " + zipName + " has an absurd compression ratio.");
    total += usize;
    if (total > limits.maxTotalBytes) refuse(file, "its entries together are absurdly large.");

    std::string bytes(static_cast<std::size_t>(usize), '\0');
    if (usize > 0) {
      std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(za.get(), idx, 0));
      if (!f)
        refuse(file, "the entry " + zipName + " cannot be read (" + zip_strerror(za.get()) + ").");
      const zip_int64_t got = zip_fread(f.get(), bytes.data(), usize);
      char extra = 0;
      if (got < 0 || static_cast<std::uint64_t>(got) != usize || zip_fread(f.get(), &extra, 1) != 0)
        refuse(file, "the entry " + zipName + " is damaged (" + zip_file_strerror(f.get()) + ").");
    }

    Entry e;
    e.zipName = zipName;
    e.mtime = (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
    pkg.order_.push_back(e);

    if (lower(partName) == "/[content_types].xml") {
      haveTypes = true;
      pkg.contentTypesName_ = zipName;
      pkg.contentTypesBytes_ = std::move(bytes);
      continue;
    }
    const std::string source = relsSource(partName);
    if (!source.empty()) {
      relsEntries[source] = std::move(bytes);
      relsNames[source] = partName;
      continue;
    }
    Part p;
    p.name = partName;
    p.bytes = std::move(bytes);
    pkg.parts_.emplace(partName, std::move(p));
  }

  if (!haveTypes)
    refuse(file, "it has no [Content_Types].xml, so it is not a valid drawing container.");

  {
    const pugi::xml_document doc = parseXml(pkg.contentTypesBytes_, file, "[Content_Types].xml");
    const pugi::xml_node types = doc.document_element();
    if (localName(types.name()) != "Types")
      refuse(file, "[Content_Types].xml is not a list of content types.");
    for (const pugi::xml_node n : types.children()) {
      if (n.type() != pugi::node_element) continue;
      const auto ln = localName(n.name());
      if (ln == "Default") {
        pkg.defaults_[lower(n.attribute("Extension").value())] = n.attribute("ContentType").value();
      } else if (ln == "Override") {
        std::string pn = n.attribute("PartName").value();
        if (pn.empty() || pn[0] != '/') pn = "/" + pn;
        pkg.overrides_[lower(pn)] = n.attribute("ContentType").value();
      }
    }
  }
  for (auto& [name, p] : pkg.parts_) p.contentType = pkg.defaultContentType(name);

  std::map<std::string, std::string> partsByLower;
  for (const auto& [name, p] : pkg.parts_) partsByLower[lower(name)] = name;

  for (auto& [source, bytes] : relsEntries) {
    const std::string& relsName = relsNames[source];
    const pugi::xml_document doc = parseXml(bytes, file, relsName);
    const pugi::xml_node root = doc.document_element();
    if (localName(root.name()) != "Relationships")
      refuse(file, "the part " + relsName + " is not a list of relationships.");
    std::vector<Relationship> list;
    for (const pugi::xml_node n : root.children()) {
      if (n.type() != pugi::node_element || localName(n.name()) != "Relationship") continue;
      Relationship r;
      r.id = n.attribute("Id").value();
      r.type = n.attribute("Type").value();
      const std::string rawTarget = n.attribute("Target").value();
      r.external = std::string_view(n.attribute("TargetMode").value()) == "External";
      if (r.id.empty() || rawTarget.empty())
        refuse(file, "a relationship in " + relsName + " has no Id or no Target.");
      if (r.external) {
        r.target = rawTarget;
      } else {
        try {
          r.target = resolveTarget(source, rawTarget);
        } catch (const std::invalid_argument&) {
          refuse(file,
                 "the relationship " + r.id + " in " + relsName + " points outside the container.");
        }
        const auto found = partsByLower.find(lower(r.target));
        if (found != partsByLower.end()) {
          r.target = found->second;
        } else if (r.type.rfind(kVisioRels, 0) == 0) {
          refuse(file, "the relationship " + r.id + " in " + relsName + " names the missing part " +
                           r.target + ".");
        }
        // Other writers leave document properties or thumbnails out but keep
        // their relationships; such a dangling one is kept as it was.
      }
      list.push_back(std::move(r));
    }
    pkg.originalRelsBytes_[source] = std::move(bytes);
    pkg.rels_[source] = std::move(list);
  }

  // A relationship that leads back to a part on its own path would send any
  // reader that follows relationships round in circles.
  // Walked without recursion: a container may chain thousands of parts.
  std::set<std::string> done;
  std::set<std::string> onPath;
  struct Frame {
    std::string part;
    std::size_t next = 0;
  };
  std::vector<Frame> path{{"/", 0}};
  onPath.insert("/");
  static const std::vector<Relationship> none;
  while (!path.empty()) {
    Frame& top = path.back();
    const auto it = pkg.rels_.find(top.part);
    const auto& list = it == pkg.rels_.end() ? none : it->second;
    if (top.next >= list.size()) {
      done.insert(top.part);
      onPath.erase(top.part);
      path.pop_back();
      continue;
    }
    const Relationship& r = list[top.next++];
    if (r.external) continue;
    if (onPath.count(r.target))
      refuse(file,
             "the relationship " + r.id + " of " + top.part + " loops back to " + r.target + ".");
    if (done.count(r.target) == 0 && pkg.parts_.count(r.target)) {
      onPath.insert(r.target);
      path.push_back({r.target, 0});
    }
  }
  return pkg;
}

std::string Package::defaultContentType(const std::string& partName) const {
  if (const auto o = overrides_.find(lower(partName)); o != overrides_.end()) return o->second;
  if (const auto d = defaults_.find(extensionOf(partName)); d != defaults_.end()) return d->second;
  return {};
}

bool Package::has(const std::string& partName) const {
  return parts_.count(partName) != 0;
}

const Part& Package::part(const std::string& partName) const {
  const auto it = parts_.find(partName);
  if (it == parts_.end()) throw Error(errkind::kFile, "The drawing has no part " + partName + ".");
  return it->second;
}

std::vector<std::string> Package::partNames() const {
  std::vector<std::string> names;
  std::set<std::string> listed;
  for (const auto& e : order_) {
    const std::string pn = "/" + e.zipName;
    if (parts_.count(pn) && listed.insert(pn).second) names.push_back(pn);
  }
  for (const auto& [name, p] : parts_)
    if (listed.insert(name).second) names.push_back(name);
  return names;
}

const std::vector<Relationship>& Package::relationships(const std::string& sourcePart) const {
  static const std::vector<Relationship> none;
  const auto it = rels_.find(sourcePart);
  return it == rels_.end() ? none : it->second;
}

std::optional<std::string> Package::target(const std::string& sourcePart,
                                           const std::string& type) const {
  for (const auto& r : relationships(sourcePart))
    if (r.type == type) return r.target;
  return std::nullopt;
}

std::optional<std::string> Package::targetById(const std::string& sourcePart,
                                               const std::string& id) const {
  for (const auto& r : relationships(sourcePart))
    if (r.id == id) return r.target;
  return std::nullopt;
}

void Package::setPart(const std::string& partName, const std::string& contentType,
                      std::string bytes) {
  if (partName.empty() || partName[0] != '/' || partName.back() == '/' ||
      relsSource(partName) != "" || lower(partName) == "/[content_types].xml")
    throw Error(errkind::kFile,
                "\"" + partName + "\" cannot be used as the name of a drawing part.");
  auto it = parts_.find(partName);
  if (it != parts_.end()) {
    if (it->second.bytes == bytes && it->second.contentType == contentType) return;
    it->second.bytes = std::move(bytes);
    it->second.contentType = contentType;
    it->second.changed = true;
    return;
  }
  Part p;
  p.name = partName;
  p.contentType = contentType;
  p.bytes = std::move(bytes);
  p.changed = true;
  parts_.emplace(partName, std::move(p));
}

std::string Package::addRelationship(const std::string& sourcePart, const std::string& type,
                                     const std::string& targetPart) {
  auto& list = rels_[sourcePart];
  long highest = 0;
  for (const auto& r : list) {
    if (r.id.rfind("rId", 0) == 0) {
      try {
        highest = std::max(highest, std::stol(r.id.substr(3)));
      } catch (const std::exception&) {
      }
    }
  }
  Relationship r;
  r.id = "rId" + std::to_string(highest + 1);
  r.type = type;
  r.target = targetPart;
  list.push_back(r);
  changedRels_.insert(sourcePart);
  return r.id;
}

bool Package::changed() const {
  if (!changedRels_.empty()) return true;
  return std::any_of(parts_.begin(), parts_.end(),
                     [](const auto& kv) { return kv.second.changed; });
}

std::string Package::contentTypesXml() const {
  std::vector<const Part*> needs;
  for (const auto& [name, p] : parts_)
    if (p.changed && defaultContentType(name) != p.contentType) needs.push_back(&p);
  if (needs.empty() && !contentTypesBytes_.empty()) return contentTypesBytes_;

  pugi::xml_document doc;
  if (!contentTypesBytes_.empty()) {
    doc.load_buffer(contentTypesBytes_.data(), contentTypesBytes_.size());
  } else {
    pugi::xml_node types = doc.append_child("Types");
    types.append_attribute("xmlns") = kTypesNs;
    for (const auto& [ext, type] : defaults_) {
      pugi::xml_node d = types.append_child("Default");
      d.append_attribute("Extension") = ext.c_str();
      d.append_attribute("ContentType") = type.c_str();
    }
  }
  pugi::xml_node types = doc.document_element();
  for (const Part* p : needs) {
    pugi::xml_node found;
    for (pugi::xml_node n : types.children()) {
      if (localName(n.name()) == "Override" &&
          lower(n.attribute("PartName").value()) == lower(p->name)) {
        found = n;
        break;
      }
    }
    if (!found) {
      found = types.append_child("Override");
      found.append_attribute("PartName") = p->name.c_str();
      found.append_attribute("ContentType");
    }
    found.attribute("ContentType") = p->contentType.c_str();
  }
  return serialize(doc);
}

std::string Package::relsXml(const std::string& source) const {
  const auto orig = originalRelsBytes_.find(source);
  if (changedRels_.count(source) == 0 && orig != originalRelsBytes_.end()) return orig->second;
  pugi::xml_document doc;
  std::set<std::string> present;
  if (orig != originalRelsBytes_.end()) {
    doc.load_buffer(orig->second.data(), orig->second.size());
    for (const pugi::xml_node n : doc.document_element().children())
      present.insert(n.attribute("Id").value());
  } else {
    doc.append_child("Relationships").append_attribute("xmlns") = kRelsNs;
  }
  pugi::xml_node root = doc.document_element();
  for (const auto& r : relationships(source)) {
    if (present.count(r.id)) continue;
    pugi::xml_node n = root.append_child("Relationship");
    n.append_attribute("Id") = r.id.c_str();
    n.append_attribute("Type") = r.type.c_str();
    n.append_attribute("Target") =
        (r.external ? r.target : relativeTarget(source, r.target)).c_str();
    if (r.external) n.append_attribute("TargetMode") = "External";
  }
  return serialize(doc);
}

std::string Package::toBytes() const {
  // Everything to write, in order: the content types first for new
  // containers, otherwise the original order, then what was added.
  struct Out {
    std::string name;
    std::string bytes;
    std::time_t mtime;
  };
  std::vector<Out> outs;
  std::set<std::string> written;
  const std::time_t now = std::time(nullptr);
  auto relsEntryName = [](const std::string& source) { return relsPartName(source).substr(1); };
  std::map<std::string, std::string> relsByEntry;  // zip name -> source
  for (const auto& [source, list] : rels_)
    if (!list.empty() || originalRelsBytes_.count(source))
      relsByEntry[lower(relsEntryName(source))] = source;
  for (const auto& [source, bytes] : originalRelsBytes_)
    relsByEntry[lower(relsEntryName(source))] = source;

  auto emit = [&](const std::string& zipName, std::time_t mtime) {
    if (!written.insert(lower(zipName)).second) return;
    const std::string pn = "/" + zipName;
    if (lower(zipName) == lower(contentTypesName_)) {
      const std::string xml = contentTypesXml();
      outs.push_back({zipName, xml, xml == contentTypesBytes_ ? mtime : now});
    } else if (const auto r = relsByEntry.find(lower(zipName)); r != relsByEntry.end()) {
      outs.push_back({zipName, relsXml(r->second), changedRels_.count(r->second) ? now : mtime});
    } else if (const auto p = parts_.find(pn); p != parts_.end()) {
      outs.push_back({zipName, p->second.bytes, p->second.changed ? now : mtime});
    }
  };
  if (order_.empty()) emit(contentTypesName_, now);
  for (const auto& e : order_) emit(e.zipName, e.mtime);
  for (const auto& name : partNames()) emit(name.substr(1), now);
  for (const auto& [entry, source] : relsByEntry) emit(relsEntryName(source), now);
  if (written.count(lower(contentTypesName_)) == 0) emit(contentTypesName_, now);

  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* buf = zip_source_buffer_create(nullptr, 0, 0, &err);
  if (!buf)
    throw Error(errkind::kFile, "Cannot build the drawing container: " + zipErrorText(&err));
  zip_t* za = zip_open_from_source(buf, ZIP_TRUNCATE, &err);
  if (!za) {
    zip_source_free(buf);
    throw Error(errkind::kFile, "Cannot build the drawing container: " + zipErrorText(&err));
  }
  zip_source_keep(buf);
  auto fail = [&](const std::string& what) {
    const std::string why = zip_strerror(za);
    zip_discard(za);
    zip_source_free(buf);
    throw Error(errkind::kFile, "Cannot build the drawing container (" + what + "): " + why);
  };
  for (const auto& o : outs) {
    zip_source_t* s = zip_source_buffer(za, o.bytes.data(), o.bytes.size(), 0);
    if (!s) fail(o.name);
    const zip_int64_t idx =
        zip_file_add(za, o.name.c_str(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (idx < 0) {
      zip_source_free(s);
      fail(o.name);
    }
    const auto u = static_cast<zip_uint64_t>(idx);
    // Level 6 is what Visio's own writer settles for: small files, quick saves.
    if (zip_set_file_compression(za, u, ZIP_CM_DEFLATE, 6) != 0) fail(o.name);
    if (o.mtime > 0) zip_file_set_mtime(za, u, o.mtime, 0);
  }
  if (zip_close(za) != 0) fail("writing");

  std::string result;
  if (zip_source_open(buf) != 0 || zip_source_seek(buf, 0, SEEK_END) != 0) {
    zip_source_free(buf);
    throw Error(errkind::kFile, "Cannot build the drawing container.");
  }
  const zip_int64_t size = zip_source_tell(buf);
  zip_source_seek(buf, 0, SEEK_SET);
  result.resize(static_cast<std::size_t>(std::max<zip_int64_t>(size, 0)));
  const zip_int64_t got = size > 0 ? zip_source_read(buf, result.data(), result.size()) : 0;
  zip_source_close(buf);
  zip_source_free(buf);
  if (got != size) throw Error(errkind::kFile, "Cannot build the drawing container.");
  return result;
}

void Package::save(const std::string& path) const {
  writeFileAtomically(path, toBytes());
}

#ifdef _WIN32
// Windows: the same steps with the Win32 file API; paths are UTF-8 here.
void writeFileAtomically(const std::string& pathIn, std::string_view bytes,
                         const std::function<void(const std::string&)>& beforeRename) {
  namespace fs = std::filesystem;
  auto fail = [&](const std::string& why) {
    throw Error(errkind::kFile, "The drawing \"" + pathIn + "\" was not saved: " + why);
  };
  const fs::path path(std::u8string(pathIn.begin(), pathIn.end()));
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  HANDLE h = INVALID_HANDLE_VALUE;
  fs::path tmp;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    tmp = folder /
          (L"." + path.filename().wstring() + L".saving-" + std::to_wstring(GetCurrentProcessId()) +
           L"-" + std::to_wstring(GetTickCount64() + static_cast<unsigned>(attempt)));
    h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) fail("cannot create a file in its folder.");
  const auto u8tmp = tmp.u8string();
  const std::string tmpName(u8tmp.begin(), u8tmp.end());
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) != 0;
    done += written;
  }
  ok = ok && FlushFileBuffers(h) != 0;
  ok = (CloseHandle(h) != 0) && ok;
  if (!ok) {
    DeleteFileW(tmp.c_str());
    fail("writing failed.");
  }
  try {
    if (beforeRename) beforeRename(tmpName);
    if (!MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      fail("replacing the file failed.");
  } catch (...) {
    DeleteFileW(tmp.c_str());
    throw;
  }
}
#else
void writeFileAtomically(const std::string& pathIn, std::string_view bytes,
                         const std::function<void(const std::string&)>& beforeRename) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Save through a symbolic link into the file it names, keeping the link.
  fs::path path = pathIn;
  if (fs::is_symlink(path, ec)) {
    const fs::path real = fs::canonical(path, ec);
    if (!ec) path = real;
  }
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::string tmpl = (folder / ("." + path.filename().string() + ".saving-XXXXXX")).string();
  auto fail = [&](const std::string& why) {
    throw Error(errkind::kFile, "The drawing \"" + pathIn + "\" was not saved: " + why);
  };
  const int fd = mkstemp(tmpl.data());
  if (fd < 0)
    fail(std::string("cannot create a file in its folder (") + std::strerror(errno) + ").");
  const std::string tmp = tmpl;
  try {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
      (void)::fchmod(fd, st.st_mode & 07777);
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      (void)::fchmod(fd, 0666 & ~mask);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail(std::string("writing failed (") + std::strerror(errno) + ").");
      }
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) fail(std::string("flushing failed (") + std::strerror(errno) + ").");
  } catch (...) {
    ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
  if (::close(fd) != 0) {
    const int e = errno;
    ::unlink(tmp.c_str());
    fail(std::string("closing failed (") + std::strerror(e) + ").");
  }
  try {
    if (beforeRename) beforeRename(tmp);
    if (::rename(tmp.c_str(), path.c_str()) != 0)
      fail(std::string("replacing the file failed (") + std::strerror(errno) + ").");
  } catch (...) {
    ::unlink(tmp.c_str());
    throw;
  }
  // Make the rename itself durable.
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }
}
#endif

}  // namespace tw::vsdx
