#include <gtest/gtest.h>

#include <map>

#include "platform/version/verblock.h"
#include "platform/version/verinfo.h"

namespace tw {
namespace {

std::vector<std::uint8_t> blockFor(std::uint16_t a, std::uint16_t b, std::uint16_t c,
                                   std::uint16_t d) {
  FixedFileInfo fixed;
  fixed.fileVersionMS = MakeVersion(a, b);
  fixed.fileVersionLS = MakeVersion(c, d);
  fixed.productVersionMS = MakeVersion(9, 9);  // never shown: only the file version counts
  VersionStrings strings;
  strings.entries = {{u"FileVersion", u"ignored"}};
  return BuildVersionBlock(fixed, strings);
}

// Serves blocks from memory and counts how often each file is read.
class FakeSource : public VersionSource {
 public:
  std::map<std::string, std::vector<std::uint8_t>> blocks;
  std::map<std::string, int> reads;
  std::uint32_t blockSize(const std::string& name) override {
    auto it = blocks.find(name);
    return it == blocks.end() ? 0 : static_cast<std::uint32_t>(it->second.size());
  }
  bool readBlock(const std::string& name, std::uint32_t size, std::uint8_t* data) override {
    ++reads[name];
    const auto& b = blocks.at(name);
    std::copy_n(b.begin(), std::min<std::size_t>(size, b.size()), data);
    return true;
  }
};

class VersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadAllVersionInfo();
    setVersionSource(&source);
  }
  void TearDown() override {
    setVersionSource(nullptr);
    UnloadAllVersionInfo();
  }
  FakeSource source;
};

TEST_F(VersionTest, PrintsFileVersionOfCachedBlock) {
  struct Case {
    std::uint16_t v[4];
    const char* text;
  };
  for (const Case& c :
       {Case{{1, 0, 0, 3}, "1.0.0.3"}, Case{{10, 0, 12, 300}, "10.0.12.300"},
        Case{{0, 0, 0, 0}, "0.0.0.0"}, Case{{65535, 1, 65535, 2}, "65535.1.65535.2"}}) {
    source.blocks["f.exe"] = blockFor(c.v[0], c.v[1], c.v[2], c.v[3]);
    LoadVersionInfo("f.exe");
    EXPECT_EQ(GetFileVersion("f.exe"), c.text);
  }
}

TEST_F(VersionTest, EmptyWithoutBlockOrFixedPartOrLoad) {
  EXPECT_EQ(GetFileVersion("never-loaded.exe"), "");

  LoadVersionInfo("none.exe");  // no block at all
  ASSERT_EQ(VersionCache.size(), 1u);
  EXPECT_EQ(VersionCache[0].second->Size, 0);
  EXPECT_EQ(GetFileVersion("none.exe"), "");

  auto damaged = blockFor(1, 2, 3, 4);
  damaged[40] ^= 0xFF;  // the fixed part's signature
  source.blocks["damaged.exe"] = damaged;
  LoadVersionInfo("damaged.exe");
  EXPECT_EQ(GetFileVersion("damaged.exe"), "");

  auto truncated = blockFor(1, 2, 3, 4);
  truncated.resize(60);
  source.blocks["short.exe"] = truncated;
  LoadVersionInfo("short.exe");
  EXPECT_EQ(GetFileVersion("short.exe"), "");
}

TEST_F(VersionTest, NamesMatchWithoutLetterCaseAndReloadReplaces) {
  source.blocks["C:\\TW\\TARNWICK.EXE"] = blockFor(1, 0, 0, 3);
  LoadVersionInfo("C:\\TW\\TARNWICK.EXE");
  EXPECT_EQ(GetFileVersion("c:\\tw\\tarnwick.exe"), "1.0.0.3");

  source.blocks["c:\\tw\\tarnwick.exe"] = blockFor(2, 0, 0, 0);
  LoadVersionInfo("c:\\tw\\tarnwick.exe");
  ASSERT_EQ(VersionCache.size(), 1u);
  EXPECT_EQ(VersionCache[0].first, "c:\\tw\\tarnwick.exe");
  EXPECT_EQ(GetFileVersion("C:\\TW\\TARNWICK.EXE"), "2.0.0.0");

  UnloadVersionInfo("C:\\tw\\Tarnwick.exe");
  EXPECT_TRUE(VersionCache.empty());
  UnloadVersionInfo("C:\\tw\\Tarnwick.exe");  // not cached: nothing happens
}

TEST_F(VersionTest, ExeVersionIsReadOnce) {
  source.blocks[ExePath()] = blockFor(1, 0, 0, 3);
  EXPECT_EQ(GetExeVersion(), "1.0.0.3");
  EXPECT_EQ(GetExeVersion(), "1.0.0.3");
  EXPECT_EQ(source.reads[ExePath()], 1);
  EXPECT_EQ(VersionCache.size(), 1u);
}

TEST_F(VersionTest, FormatFollowsVersionFormat) {
  const std::uint32_t parts[4] = {1, 2, 3, 4};
  EXPECT_EQ(FormatVersion("%0:d.%1:d.%2:d.%3:d", parts), "1.2.3.4");
  EXPECT_EQ(FormatVersion("%1:d-%d %0:d%d%%", parts), "2-3 12%");
}

// Our executables carry the block built into them; the reader finds it in
// the file (and not the key text that the reader itself contains).
TEST(EmbeddedVersion, TestExecutableCarriesBuildVersion) {
  UnloadAllVersionInfo();
  EXPECT_EQ(GetExeVersion(), "1.0.0.3");
  ASSERT_EQ(VersionCache.size(), 1u);
  const TVerData& data = *VersionCache[0].second;
  const auto fixed = QueryFixedFileInfo(data.Data.get(), static_cast<std::size_t>(data.Size));
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->productVersionMS, MakeVersion(1, 0));
  EXPECT_EQ(fixed->productVersionLS, 0u);
  EXPECT_EQ(fixed->fileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->fileFlags, 0u);
  EXPECT_EQ(fixed->fileOS, 4u);
  EXPECT_EQ(fixed->fileType, 1u);
  UnloadAllVersionInfo();
}

TEST(VersionBlock, LayoutOfStringTable) {
  const auto block = blockFor(1, 0, 0, 3);
  const auto found = FindVersionBlock(block.data(), block.size());
  ASSERT_TRUE(found);
  EXPECT_EQ(found->first, 0u);
  EXPECT_EQ(found->second, block.size());
  // The Russian table key and the translation pair 0x0419, 0x04E3.
  const std::u16string key = u"041904E3";
  std::vector<std::uint8_t> keyBytes;
  for (char16_t ch : key) {
    keyBytes.push_back(static_cast<std::uint8_t>(ch));
    keyBytes.push_back(0);
  }
  EXPECT_NE(std::search(block.begin(), block.end(), keyBytes.begin(), keyBytes.end()), block.end());
  EXPECT_EQ(std::vector<std::uint8_t>(block.end() - 4, block.end()),
            (std::vector<std::uint8_t>{0x19, 0x04, 0xE3, 0x04}));
}

}  // namespace
}  // namespace tw
