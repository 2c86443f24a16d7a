#pragma once
// Version information of executable files: a process-wide cache of each
// file's version block and the file version read from its fixed part.
// On Windows the blocks come from the version API; elsewhere from the
// VS_VERSIONINFO block that the build embeds in our executable.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tw {

// One file's version-information block, exactly as the source returned it.
class TVerData {
 public:
  std::int32_t Size = 0;
  std::unique_ptr<std::uint8_t[]> Data;
};

// Unsorted; names compared without regard to letter case.
using VersionCacheList = std::vector<std::pair<std::string, std::unique_ptr<TVerData>>>;
extern VersionCacheList VersionCache;

// Printed with the four numbers as arguments 0..3.
extern std::string VersionFormat;

// Where version blocks come from: the operating system (or our reader).
// Tests install their own to count reads.
class VersionSource {
 public:
  virtual ~VersionSource() = default;
  // Size of the block, 0 when the file has none or cannot be read.
  virtual std::uint32_t blockSize(const std::string& fileName) = 0;
  // Fills `data` with up to `size` bytes of the block.
  virtual bool readBlock(const std::string& fileName, std::uint32_t size, std::uint8_t* data) = 0;
};
VersionSource& versionSource();
void setVersionSource(VersionSource* source);  // nullptr: the real one

void LoadVersionInfo(const std::string& fileName);
void UnloadVersionInfo(const std::string& fileName);
void UnloadAllVersionInfo();
std::string GetFileVersion(const std::string& fileName);
std::string GetExeVersion();

// Full path of the running executable.
std::string ExePath();

// Formats with Delphi-style "%d" and "%N:d" specifiers (what VersionFormat holds).
std::string FormatVersion(const std::string& format, const std::uint32_t (&parts)[4]);

}  // namespace tw
