#include "verblock.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

namespace tw {

namespace {

constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";
constexpr std::size_t kHeader = 6;        // wLength, wValueLength, wType
constexpr std::size_t kFixedOffset = 40;  // header + key, padded to 4
constexpr std::size_t kFixedSize = 13 * 4;

struct Node {
  std::u16string key;
  std::vector<std::uint8_t> value;
  std::uint16_t valueLength = 0;  // bytes for binary values, characters for text
  std::uint16_t type = 0;         // 0 binary, 1 text
  std::vector<Node> children;
};

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  put16(out, static_cast<std::uint16_t>(v >> 16));
}
void align4(std::vector<std::uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}
std::uint16_t get16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t get32(const std::uint8_t* p) {
  return std::uint32_t{get16(p)} | (std::uint32_t{get16(p + 2)} << 16);
}

std::vector<std::uint8_t> text(const std::u16string& s) {
  std::vector<std::uint8_t> out;
  for (char16_t c : s) put16(out, static_cast<std::uint16_t>(c));
  put16(out, 0);
  return out;
}

// Offsets inside `out` are relative to its start, which is always 4-aligned.
void serialize(const Node& n, std::vector<std::uint8_t>& out) {
  const std::size_t start = out.size();
  put16(out, 0);  // length, patched below
  put16(out, n.valueLength);
  put16(out, n.type);
  const auto key = text(n.key);
  out.insert(out.end(), key.begin(), key.end());
  align4(out);
  out.insert(out.end(), n.value.begin(), n.value.end());
  for (const Node& child : n.children) {
    align4(out);
    serialize(child, out);
  }
  const auto length = static_cast<std::uint16_t>(out.size() - start);
  out[start] = static_cast<std::uint8_t>(length & 0xFF);
  out[start + 1] = static_cast<std::uint8_t>(length >> 8);
}

std::u16string hex4(std::uint16_t v) {
  static constexpr char16_t digits[] = u"0123456789ABCDEF";
  std::u16string s;
  for (int shift = 12; shift >= 0; shift -= 4) s.push_back(digits[(v >> shift) & 0xF]);
  return s;
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const FixedFileInfo& f, const VersionStrings& strings) {
  Node root;
  root.key = kRootKey;
  root.type = 0;
  root.valueLength = kFixedSize;
  for (std::uint32_t v : {f.signature, f.strucVersion, f.fileVersionMS, f.fileVersionLS,
                          f.productVersionMS, f.productVersionLS, f.fileFlagsMask, f.fileFlags,
                          f.fileOS, f.fileType, f.fileSubtype, f.fileDateMS, f.fileDateLS})
    put32(root.value, v);

  Node table;
  table.key = hex4(strings.language) + hex4(strings.codePage);
  table.type = 1;
  for (const auto& [name, value] : strings.entries) {
    Node s;
    s.key = name;
    s.type = 1;
    s.value = text(value);
    s.valueLength = static_cast<std::uint16_t>(value.size() + 1);
    table.children.push_back(std::move(s));
  }
  Node stringInfo;
  stringInfo.key = u"StringFileInfo";
  stringInfo.type = 1;
  stringInfo.children.push_back(std::move(table));

  Node translation;
  translation.key = u"Translation";
  translation.type = 0;
  translation.valueLength = 4;
  put16(translation.value, strings.language);
  put16(translation.value, strings.codePage);
  Node varInfo;
  varInfo.key = u"VarFileInfo";
  varInfo.type = 1;
  varInfo.children.push_back(std::move(translation));

  root.children.push_back(std::move(stringInfo));
  root.children.push_back(std::move(varInfo));
  std::vector<std::uint8_t> out;
  serialize(root, out);
  return out;
}

std::optional<FixedFileInfo> QueryFixedFileInfo(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kFixedOffset + kFixedSize) return std::nullopt;
  const std::size_t length = get16(data);
  if (length < kFixedOffset + kFixedSize || length > size) return std::nullopt;
  if (get16(data + 2) != kFixedSize) return std::nullopt;  // no fixed part
  for (std::size_t i = 0; i < std::size(kRootKey); ++i)
    if (get16(data + kHeader + 2 * i) != static_cast<std::uint16_t>(kRootKey[i]))
      return std::nullopt;
  const std::uint8_t* p = data + kFixedOffset;
  if (get32(p) != kFixedInfoSignature) return std::nullopt;
  FixedFileInfo f;
  std::uint32_t* fields[] = {&f.signature,     &f.strucVersion,     &f.fileVersionMS,
                             &f.fileVersionLS, &f.productVersionMS, &f.productVersionLS,
                             &f.fileFlagsMask, &f.fileFlags,        &f.fileOS,
                             &f.fileType,      &f.fileSubtype,      &f.fileDateMS,
                             &f.fileDateLS};
  for (std::uint32_t* field : fields) {
    *field = get32(p);
    p += 4;
  }
  return f;
}

std::optional<std::pair<std::size_t, std::size_t>> FindVersionBlock(const std::uint8_t* bytes,
                                                                    std::size_t size) {
  const auto key = text(kRootKey);
  const std::boyer_moore_horspool_searcher searcher(key.begin(), key.end());
  const std::uint8_t* end = bytes + size;
  for (const std::uint8_t* from = bytes; from < end;) {
    const std::uint8_t* hit = std::search(from, end, searcher);
    if (hit == end) break;
    if (hit - bytes >= static_cast<std::ptrdiff_t>(kHeader)) {
      const std::uint8_t* start = hit - kHeader;
      const auto rest = static_cast<std::size_t>(end - start);
      // The key text also occurs elsewhere (in this reader itself): only a
      // block with a valid fixed part counts.
      if (QueryFixedFileInfo(start, rest))
        return std::make_pair(static_cast<std::size_t>(start - bytes), std::size_t{get16(start)});
    }
    from = hit + 1;
  }
  return std::nullopt;
}

}  // namespace tw
