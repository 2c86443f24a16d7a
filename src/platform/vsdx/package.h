#pragma once
// An Open Packaging Conventions container (.vsdx, .vssx) held in memory:
// parts by name with their content types and relationships. Parts keep their
// bytes until replaced, so a save writes untouched parts back byte for byte.
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tw::vsdx {

struct Relationship {
  std::string id;         // "rId1"
  std::string type;       // full relationship type URI
  std::string target;     // resolved absolute part name, "/visio/pages/page1.xml"
  bool external = false;  // TargetMode="External": target is kept as written
};

struct Part {
  std::string name;         // absolute part name, "/visio/document.xml"
  std::string contentType;  // from [Content_Types].xml
  std::string bytes;        // the part's content
  bool changed = false;     // replaced since load: written anew on save
};

// What a container may hold before it is refused as absurd (a zip bomb, or
// not a drawing at all).
struct Limits {
  std::uint64_t maxPartBytes = 256ull << 20;    // uncompressed size of one part
  std::uint64_t maxTotalBytes = 1024ull << 20;  // all parts together
  std::uint64_t maxRatio = 1000;                // uncompressed : compressed
  std::uint64_t ratioFloorBytes = 1u << 20;     // small parts may compress well
  std::uint64_t maxEntries = 20000;
};

class Package {
 public:
  // An empty container: no parts, only the usual default content types.
  Package();

  // Reads and checks the container; raises tw::Error (kind EFileError) naming
  // the file and the problem for anything damaged, foreign or absurd.
  static Package load(const std::string& path, const Limits& limits = {});
  static Package fromBytes(const std::string& zipBytes, const std::string& nameForMessages,
                           const Limits& limits = {});

  bool has(const std::string& partName) const;
  const Part& part(const std::string& partName) const;  // raises when absent
  std::vector<std::string> partNames() const;           // in the container's order

  // Relationships of a part ("/" for the package's own); empty when none.
  const std::vector<Relationship>& relationships(const std::string& sourcePart) const;
  // The first target of the given relationship type from `sourcePart`, if any.
  std::optional<std::string> target(const std::string& sourcePart, const std::string& type) const;
  // The target of relationship `id` from `sourcePart`, if there is one.
  std::optional<std::string> targetById(const std::string& sourcePart, const std::string& id) const;

  // Replaces or adds a part (marks it changed). Replacing with identical
  // bytes and content type changes nothing.
  void setPart(const std::string& partName, const std::string& contentType, std::string bytes);
  // Adds a relationship from `sourcePart` and returns its new id.
  std::string addRelationship(const std::string& sourcePart, const std::string& type,
                              const std::string& targetPart);

  // Whether anything was set or added since load.
  bool changed() const;

  // The whole container as zip bytes.
  std::string toBytes() const;

  // Writes the whole container atomically: a new file beside `path`, flushed,
  // then renamed over it. On failure `path` is left as it was.
  void save(const std::string& path) const;

 private:
  struct Entry {
    std::string zipName;  // as stored, without the leading "/"
    std::time_t mtime = 0;
  };

  std::string contentTypesXml() const;
  std::string relsXml(const std::string& source) const;
  std::string defaultContentType(const std::string& partName) const;

  std::vector<Entry> order_;                               // zip entries in their original order
  std::map<std::string, Part> parts_;                      // by absolute part name
  std::map<std::string, std::vector<Relationship>> rels_;  // by source part
  std::map<std::string, std::string> originalRelsBytes_;   // by source part
  std::set<std::string> changedRels_;                      // sources with added relationships
  std::string contentTypesBytes_;                          // as read
  std::map<std::string, std::string> defaults_;            // extension (lower case) -> type
  std::map<std::string, std::string> overrides_;           // part name (lower case) -> type
  std::string contentTypesName_ = "[Content_Types].xml";
};

// Writes `bytes` to `path` atomically: a temporary file in the same folder,
// flushed to disk, then renamed over `path` (which keeps its permissions).
// `beforeRename` runs once the temporary file is complete; an exception from
// it, or any failure, removes the temporary file and leaves `path` untouched.
void writeFileAtomically(const std::string& path, std::string_view bytes,
                         const std::function<void(const std::string& tempPath)>& beforeRename = {});

// The part name `target` written relative to the folder of `sourcePart`, as
// relationship targets are written ("page1.xml", "../masters/master1.xml").
std::string relativeTarget(const std::string& sourcePart, const std::string& target);

// The absolute part name of `target` as written in a relationship of
// `sourcePart`; raises std::invalid_argument when it climbs above the root.
std::string resolveTarget(const std::string& sourcePart, std::string_view target);

// The relationships part that holds the relationships of `sourcePart`.
std::string relsPartName(const std::string& sourcePart);

}  // namespace tw::vsdx
