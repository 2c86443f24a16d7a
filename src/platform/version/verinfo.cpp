#include "verinfo.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "verblock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
// The block the build embeds in every executable that links this library.
extern "C" const unsigned char tw_embedded_version_info[];
#endif

namespace tw {

VersionCacheList VersionCache;
std::string VersionFormat = "%0:d.%1:d.%2:d.%3:d";

namespace {

bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

VersionCacheList::iterator findEntry(const std::string& fileName) {
  return std::find_if(VersionCache.begin(), VersionCache.end(),
                      [&](const auto& entry) { return sameName(entry.first, fileName); });
}

#ifdef _WIN32
std::wstring wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
  w.resize(w.size() - 1);
  return w;
}

class SystemVersionSource final : public VersionSource {
 public:
  std::uint32_t blockSize(const std::string& fileName) override {
    DWORD handle = 0;
    return GetFileVersionInfoSizeW(wide(fileName).c_str(), &handle);
  }
  bool readBlock(const std::string& fileName, std::uint32_t size, std::uint8_t* data) override {
    return GetFileVersionInfoW(wide(fileName).c_str(), 0, size, data) != 0;
  }
};
#else
// Stands in for the version API: finds the VS_VERSIONINFO block inside the
// file's bytes. The size query keeps the block for the read that follows.
class EmbeddedVersionSource final : public VersionSource {
 public:
  std::uint32_t blockSize(const std::string& fileName) override {
    pending_.clear();
    pendingName_ = fileName;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return 0;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    const auto found = FindVersionBlock(bytes.data(), bytes.size());
    if (!found) return 0;
    const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(found->first);
    pending_.assign(begin, begin + static_cast<std::ptrdiff_t>(found->second));
    return static_cast<std::uint32_t>(pending_.size());
  }
  bool readBlock(const std::string& fileName, std::uint32_t size, std::uint8_t* data) override {
    if (fileName != pendingName_ || pending_.empty()) return false;
    std::copy_n(pending_.begin(), std::min<std::size_t>(size, pending_.size()), data);
    pending_.clear();
    return true;
  }

 private:
  std::string pendingName_;
  std::vector<std::uint8_t> pending_;
};
#endif

VersionSource* installedSource = nullptr;

// Empties the cache when the program ends, as module finalisation did.
struct CacheFinaliser {
  ~CacheFinaliser() {
    UnloadAllVersionInfo();
    VersionFormat.clear();
  }
} finaliser;

}  // namespace

VersionSource& versionSource() {
#ifdef _WIN32
  static SystemVersionSource real;
#else
  static EmbeddedVersionSource real;
#endif
  return installedSource ? *installedSource : real;
}

void setVersionSource(VersionSource* source) {
  installedSource = source;
}

void LoadVersionInfo(const std::string& fileName) {
  UnloadVersionInfo(fileName);
  VersionSource& source = versionSource();
  auto data = std::make_unique<TVerData>();
  const std::uint32_t size = source.blockSize(fileName);
  data->Size = static_cast<std::int32_t>(size);
  if (size > 0) {
    data->Data = std::make_unique<std::uint8_t[]>(size);
    // As with the version API, a failed read leaves a block that yields no version.
    static_cast<void>(source.readBlock(fileName, size, data->Data.get()));
  }
  VersionCache.emplace_back(fileName, std::move(data));
}

void UnloadVersionInfo(const std::string& fileName) {
  const auto it = findEntry(fileName);
  if (it != VersionCache.end()) VersionCache.erase(it);
}

void UnloadAllVersionInfo() {
  while (!VersionCache.empty()) VersionCache.erase(VersionCache.begin());
}

std::string GetFileVersion(const std::string& fileName) {
  const auto it = findEntry(fileName);
  if (it == VersionCache.end()) return {};
  const TVerData& data = *it->second;
  std::uint32_t ms = 0, ls = 0;
#ifdef _WIN32
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!data.Data ||
      !VerQueryValueW(data.Data.get(), L"\\", reinterpret_cast<void**>(&info), &len) ||
      info == nullptr || len < sizeof(VS_FIXEDFILEINFO))
    return {};
  ms = info->dwFileVersionMS;
  ls = info->dwFileVersionLS;
#else
  const auto fixed =
      QueryFixedFileInfo(data.Data.get(), static_cast<std::size_t>(std::max(data.Size, 0)));
  if (!fixed) return {};
  ms = fixed->fileVersionMS;
  ls = fixed->fileVersionLS;
#endif
  const std::uint32_t parts[4] = {ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF};
  return FormatVersion(VersionFormat, parts);
}

std::string ExePath() {
#ifdef _WIN32
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  const int len = WideCharToMultiByte(CP_UTF8, 0, buf.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(len > 0 ? len : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, buf.c_str(), -1, out.data(), len, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
#else
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
#endif
}

std::string GetExeVersion() {
#ifndef _WIN32
  // Keeps the embedded block in the executable: nothing else refers to it.
  static_cast<void>(*static_cast<const volatile unsigned char*>(tw_embedded_version_info));
#endif
  const std::string path = ExePath();
  if (findEntry(path) == VersionCache.end()) LoadVersionInfo(path);
  return GetFileVersion(path);
}

std::string FormatVersion(const std::string& format, const std::uint32_t (&parts)[4]) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    std::size_t index = next;
    std::size_t digitsEnd = j;
    while (digitsEnd < format.size() && std::isdigit(static_cast<unsigned char>(format[digitsEnd])))
      ++digitsEnd;
    if (digitsEnd < format.size() && format[digitsEnd] == ':' && digitsEnd > j) {
      index = std::stoul(format.substr(j, digitsEnd - j));
      j = digitsEnd + 1;
    }
    if (j < format.size() && (format[j] == 'd' || format[j] == 'u') && index < 4) {
      out += std::to_string(parts[index]);
      next = index + 1;
      i = j;
      continue;
    }
    out += format[i];  // not a specifier we know: kept as written
  }
  return out;
}

}  // namespace tw
