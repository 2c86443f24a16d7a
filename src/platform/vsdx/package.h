#pragma once
// An Open Packaging Conventions container (.vsdx, .vssx) held in memory:
// parts by name with their content types and relationships. Parts keep their
// bytes until replaced, so a save writes untouched parts back byte for byte.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tw::vsdx {

struct Relationship {
  std::string id;          // "rId1"
  std::string type;        // full relationship type URI
  std::string target;      // resolved absolute part name, "/visio/pages/page1.xml"
  bool external = false;   // TargetMode="External": target is kept as written
};

struct Part {
  std::string name;         // absolute part name, "/visio/document.xml"
  std::string contentType;  // from [Content_Types].xml
  std::string bytes;        // the part's content
  bool changed = false;     // replaced since load: written anew on save
};

class Package {
 public:
  // Reads and checks the container; raises tw::Error (kind EFileError) naming
  // the file and the problem for anything damaged, foreign or absurd.
  static Package load(const std::string& path);
  static Package fromBytes(const std::string& zipBytes, const std::string& nameForMessages);

  bool has(const std::string& partName) const;
  const Part& part(const std::string& partName) const;  // raises when absent
  std::vector<std::string> partNames() const;

  // Relationships of a part ("/" for the package's own); empty when none.
  const std::vector<Relationship>& relationships(const std::string& sourcePart) const;
  // The single target of the given relationship type from `sourcePart`, if any.
  std::optional<std::string> target(const std::string& sourcePart, const std::string& type) const;

  // Replaces or adds a part (marks it changed).
  void setPart(const std::string& partName, const std::string& contentType, std::string bytes);
  // Adds a relationship from `sourcePart` and returns its new id.
  std::string addRelationship(const std::string& sourcePart, const std::string& type,
                              const std::string& targetPart);

  // Writes the whole container atomically: a new file beside `path`, flushed,
  // then renamed over it. On failure `path` is left as it was.
  void save(const std::string& path) const;

 private:
  struct Impl;
  std::map<std::string, Part> parts_;
  std::map<std::string, std::vector<Relationship>> rels_;
  std::map<std::string, std::string> originalRelsBytes_;
  std::string defaultTypesXml_;
};

}  // namespace tw::vsdx
