#pragma once
// The binary VS_VERSIONINFO block: built (for embedding and for tests) and
// parsed (our stand-in for VerQueryValue on the root block "\").
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tw {

struct FixedFileInfo {
  std::uint32_t signature = 0xFEEF04BD;
  std::uint32_t strucVersion = 0x00010000;
  std::uint32_t fileVersionMS = 0, fileVersionLS = 0;
  std::uint32_t productVersionMS = 0, productVersionLS = 0;
  std::uint32_t fileFlagsMask = 0x3F, fileFlags = 0;
  std::uint32_t fileOS = 4, fileType = 1, fileSubtype = 0;
  std::uint32_t fileDateMS = 0, fileDateLS = 0;
};

inline constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;

struct VersionStrings {
  std::uint16_t language = 0x0419;  // Russian
  std::uint16_t codePage = 0x04E3;  // 1251
  std::vector<std::pair<std::u16string, std::u16string>> entries;
};

// The whole block in the little-endian layout of the Windows resource.
std::vector<std::uint8_t> BuildVersionBlock(const FixedFileInfo& fixed,
                                            const VersionStrings& strings);

// Fixed file information of a block, if it has a valid one.
std::optional<FixedFileInfo> QueryFixedFileInfo(const std::uint8_t* data, std::size_t size);

// Offset of the first valid VS_VERSIONINFO block in `bytes`, and its length.
std::optional<std::pair<std::size_t, std::size_t>> FindVersionBlock(const std::uint8_t* bytes,
                                                                    std::size_t size);

inline constexpr std::uint32_t MakeVersion(std::uint16_t hi, std::uint16_t lo) {
  return (std::uint32_t{hi} << 16) | lo;
}

}  // namespace tw
