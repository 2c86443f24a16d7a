#include "platform/vsdx/package.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <map>

#include "platform/error.h"
#include "zip_fixture.h"

namespace fs = std::filesystem;
using tw::vsdx::Package;
using namespace tw::vsdx::testing;
using ::testing::HasSubstr;

namespace {

const std::string kSamples = TW_SAMPLES_DIR;

const char* kTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/visio/document.xml" ContentType="application/vnd.ms-visio.drawing.main+xml"/>)"
    R"(</Types>)";

std::string rels(const std::string& body) {
  return R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
         body + "</Relationships>";
}
std::string rel(const std::string& id, const std::string& target, const std::string& extra = "") {
  return R"(<Relationship Id=")" + id +
         R"(" Type="http://schemas.microsoft.com/visio/2010/relationships/t" Target=")" + target +
         "\"" + extra + "/>";
}

// The smallest container: a document with one page reached through relationships.
Entries minimal() {
  return {{"[Content_Types].xml", kTypes},
          {"_rels/.rels", rels(rel("rId1", "visio/document.xml"))},
          {"visio/document.xml", "<VisioDocument/>"},
          {"visio/_rels/document.xml.rels", rels(rel("rId1", "pages/pages.xml"))},
          {"visio/pages/pages.xml", "<Pages/>"},
          {"visio/pages/_rels/pages.xml.rels", rels(rel("rId1", "page1.xml"))},
          {"visio/pages/page1.xml", "<PageContents/>"}};
}

Entries with(Entries e, const std::string& name, const std::string& bytes) {
  for (auto& [n, b] : e)
    if (n == name) {
      b = bytes;
      return e;
    }
  e.emplace_back(name, bytes);
  return e;
}

Entries without(Entries e, const std::string& name) {
  std::erase_if(e, [&](const auto& kv) { return kv.first == name; });
  return e;
}

std::string refusal(const std::string& zipBytes, const tw::vsdx::Limits& limits = {}) {
  try {
    Package::fromBytes(zipBytes, "plan.vsdx", limits);
  } catch (const tw::Error& e) {
    EXPECT_EQ(e.kind(), "EFileError");
    return e.what();
  }
  return "(accepted)";
}

class VsdxSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tw_vsdx_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

}  // namespace

TEST(VsdxSamples, EveryGoodSampleLoadsAndSavesUnchanged) {
  int loaded = 0;
  for (const auto& entry : fs::directory_iterator(kSamples)) {
    const std::string name = entry.path().filename().string();
    const std::string ext = entry.path().extension().string();
    if (ext != ".vsdx" && ext != ".vssx") continue;
    SCOPED_TRACE(name);
    if (name == "lv__recursion-cycle.vsdx" || name == "lv__tab-short-prefix.vsdx") continue;
    const Package pkg = Package::load(entry.path().string());
    ASSERT_FALSE(pkg.partNames().empty());
    ASSERT_TRUE(pkg.target("/", "http://schemas.microsoft.com/visio/2010/relationships/document")
                    .has_value());
    EXPECT_FALSE(pkg.changed());
    // Every entry (parts, relationships, content types) comes back byte for byte, in order.
    const Entries original = readZip(readFile(entry.path().string()));
    const Entries saved = readZip(pkg.toBytes());
    ASSERT_EQ(saved.size(), original.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
      EXPECT_EQ(saved[i].first, original[i].first);
      EXPECT_TRUE(saved[i].second == original[i].second) << saved[i].first;
    }
    ++loaded;
  }
  EXPECT_EQ(loaded, 13);
}

TEST(VsdxSamples, DamagedSamplesAreRefusedNamingFileAndProblem) {
  for (const char* name : {"lv__recursion-cycle.vsdx", "lv__tab-short-prefix.vsdx"}) {
    SCOPED_TRACE(name);
    const std::string path = kSamples + "/" + name;
    try {
      Package::load(path);
      ADD_FAILURE() << "accepted";
    } catch (const tw::Error& e) {
      EXPECT_EQ(e.kind(), "EFileError");
      EXPECT_THAT(e.what(), HasSubstr(path));
      EXPECT_THAT(e.what(), HasSubstr("[Content_Types].xml"));
    }
  }
}

TEST(VsdxSamples, RelationshipsResolveToPartsOfTheSample) {
  const Package pkg = Package::load(kSamples + "/poi__60973.vsdx");
  const auto doc =
      pkg.target("/", "http://schemas.microsoft.com/visio/2010/relationships/document");
  ASSERT_EQ(doc, "/visio/document.xml");
  EXPECT_EQ(pkg.part(*doc).contentType, "application/vnd.ms-visio.drawing.main+xml");
  const auto masters =
      pkg.target(*doc, "http://schemas.microsoft.com/visio/2010/relationships/masters");
  ASSERT_EQ(masters, "/visio/masters/masters.xml");
  for (const auto& r : pkg.relationships(*masters)) {
    EXPECT_TRUE(pkg.has(r.target)) << r.target;
    EXPECT_EQ(pkg.part(r.target).contentType, "application/vnd.ms-visio.master+xml");
  }
}

TEST(VsdxRefusals, DamagedOrForeignContainers) {
  Entries bad = minimal();
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  const std::string good = makeZip(minimal());
  const std::vector<Case> cases = {
      {"empty file", "", "not a zip"},
      {"text", "hello, world", "not a zip"},
      {"old binary drawing",
       std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'),
       "old binary format"},
      {"truncated zip", good.substr(0, good.size() / 2), "zip"},
      {"no content types", makeZip(without(minimal(), "[Content_Types].xml")),
       "[Content_Types].xml"},
      {"content types malformed",
       makeZip(with(minimal(), "[Content_Types].xml", "<Types><Default")),
       "malformed XML in part [Content_Types].xml"},
      {"relationships malformed",
       makeZip(with(minimal(), "visio/_rels/document.xml.rels", "<Relationships><x></y>")),
       "malformed XML in part /visio/_rels/document.xml.rels"},
      {"missing target", makeZip(without(minimal(), "visio/pages/page1.xml")),
       "missing part /visio/pages/page1.xml"},
      {"target above the root",
       makeZip(with(minimal(), "_rels/.rels", rels(rel("rId1", "../../x.xml")))),
       "outside the container"},
      {"relationship to itself",
       makeZip(with(minimal(), "visio/pages/_rels/pages.xml.rels", rels(rel("rId1", "pages.xml")))),
       "loops back"},
      {"relationship back to an ancestor",
       makeZip(with(minimal(), "visio/pages/_rels/page1.xml.rels",
                    rels(rel("rId1", "../document.xml")))),
       "loops back to /visio/document.xml"},
      {"relationship without target",
       makeZip(with(minimal(), "_rels/.rels", rels(R"(<Relationship Id="rId1" Type="t"/>)"))),
       "no Id or no Target"},
      {"duplicate entry", makeZip(with(minimal(), "VISIO/document.xml", "<x/>")), "appears twice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string msg = refusal(c.bytes);
    EXPECT_THAT(msg, HasSubstr("\"plan.vsdx\"")) << msg;
    EXPECT_THAT(msg, HasSubstr(c.message)) << msg;
  }
}

TEST(VsdxRefusals, CorruptedCompressedDataIsRefused) {
  Entries e = minimal();
  e.emplace_back("visio/big.xml", std::string(50000, 'a') + "unique tail 12345");
  std::string zip = makeZip(e);
  const auto at = zip.find("visio/big.xml");  // local header; the data follows it
  ASSERT_NE(at, std::string::npos);
  for (std::size_t i = at + 20; i < at + 40; ++i) zip[i] = static_cast<char>(zip[i] ^ 0x5A);
  EXPECT_THAT(refusal(zip), HasSubstr("big.xml"));

  // A central directory that claims far more data than there is.
  std::string lying = makeZip(e);
  const auto central = lying.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  for (std::size_t i = central + 20; i < central + 28; ++i) lying[i] = '\x7f';  // sizes
  EXPECT_THAT(refusal(lying), HasSubstr("\"plan.vsdx\""));
}

TEST(VsdxRefusals, AbsurdSizesRatiosAndCounts) {
  tw::vsdx::Limits small;
  small.maxPartBytes = 4096;
  small.maxTotalBytes = 1 << 20;
  small.ratioFloorBytes = 1024;
  small.maxRatio = 50;
  small.maxEntries = 10;
  EXPECT_THAT(refusal(makeZip(with(minimal(), "visio/a.bin", std::string(5000, 'x'))), small),
              HasSubstr("absurdly large"));
  // 3000 zeros deflate to a few bytes: far beyond a ratio of 50.
  EXPECT_THAT(refusal(makeZip(with(minimal(), "visio/a.bin", std::string(3000, '\0'))), small),
              HasSubstr("compression ratio"));
  Entries many = minimal();
  for (int i = 0; i < 10; ++i) many.emplace_back("x/" + std::to_string(i), "x");
  EXPECT_THAT(refusal(makeZip(many), small), HasSubstr("too many entries"));
  // The default limits keep a real drawing's parts.
  EXPECT_EQ(refusal(makeZip(with(minimal(), "visio/a.bin", std::string(3000, '\0')))),
            "(accepted)");
}

TEST(VsdxRefusals, LongRelationshipChainsAreFollowedAndTheirLoopsFound) {
  // Thousands of parts, each reached from the one before.
  Entries e = minimal();
  const int n = 5000;
  e = with(e, "visio/pages/_rels/page1.xml.rels", rels(rel("rId1", "/c/0.xml")));
  for (int i = 0; i < n; ++i) {
    e.emplace_back("c/" + std::to_string(i) + ".xml", "<x/>");
    if (i + 1 < n)
      e.emplace_back("c/_rels/" + std::to_string(i) + ".xml.rels",
                     rels(rel("rId1", std::to_string(i + 1) + ".xml")));
  }
  EXPECT_EQ(refusal(makeZip(e)), "(accepted)");
  e.emplace_back("c/_rels/" + std::to_string(n - 1) + ".xml.rels",
                 rels(rel("rId1", "../visio/pages/page1.xml")));
  EXPECT_THAT(refusal(makeZip(e)), HasSubstr("loops back to /visio/pages/page1.xml"));
}

TEST(VsdxRefusals, LoadNamesAMissingFile) {
  try {
    Package::load("/nonexistent/plan.vsdx");
    FAIL();
  } catch (const tw::Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("/nonexistent/plan.vsdx"));
    EXPECT_THAT(e.what(), HasSubstr("does not exist"));
  }
}

TEST(VsdxTargets, ResolveAndRelativeAreInverse) {
  struct Case {
    const char* source;
    const char* written;
    const char* absolute;
  };
  const Case cases[] = {
      {"/", "visio/document.xml", "/visio/document.xml"},
      {"/visio/document.xml", "pages/pages.xml", "/visio/pages/pages.xml"},
      {"/visio/pages/page1.xml", "../masters/master1.xml", "/visio/masters/master1.xml"},
      {"/visio/pages/page1.xml", "page2.xml", "/visio/pages/page2.xml"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(tw::vsdx::resolveTarget(c.source, c.written), c.absolute);
    EXPECT_EQ(tw::vsdx::relativeTarget(c.source, c.absolute), c.written);
  }
  // Forms only a reader meets.
  EXPECT_EQ(tw::vsdx::resolveTarget("/visio/pages/page1.xml", "/visio/media/a.png"),
            "/visio/media/a.png");
  EXPECT_EQ(tw::vsdx::resolveTarget("/visio/pages/page1.xml", "./../media/image%201.png"),
            "/visio/media/image 1.png");
  EXPECT_THROW(tw::vsdx::resolveTarget("/a.xml", "../b.xml"), std::invalid_argument);
  EXPECT_EQ(tw::vsdx::relsPartName("/visio/pages/page1.xml"), "/visio/pages/_rels/page1.xml.rels");
  EXPECT_EQ(tw::vsdx::relsPartName("/"), "/_rels/.rels");
}

TEST(VsdxTargets, ADanglingPropertiesRelationshipIsKept) {
  // Some writers list document properties they never wrote; only the drawing's
  // own relationships must lead somewhere.
  const std::string dangling =
      R"(<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>)";
  const Entries e =
      with(minimal(), "_rels/.rels", rels(rel("rId1", "visio/document.xml") + dangling));
  const Package pkg = Package::fromBytes(makeZip(e), "plan.vsdx");
  EXPECT_EQ(pkg.relationships("/").size(), 2u);
  EXPECT_FALSE(pkg.has("/docProps/core.xml"));
  EXPECT_EQ(readZip(pkg.toBytes())[1].second, e[1].second);
}

TEST(VsdxTargets, ExternalTargetsAreKeptAsWritten) {
  const Entries e =
      with(minimal(), "visio/pages/_rels/page1.xml.rels",
           rels(rel("rId1", "http://example.com/a?b=1", R"( TargetMode="External")")));
  const Package pkg = Package::fromBytes(makeZip(e), "plan.vsdx");
  const auto& r = pkg.relationships("/visio/pages/page1.xml");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(r[0].external);
  EXPECT_EQ(r[0].target, "http://example.com/a?b=1");
}

TEST(VsdxEdit, ChangedAndAddedPartsCarryTheirTypesAndRelationships) {
  Package pkg = Package::fromBytes(makeZip(minimal()), "plan.vsdx");
  pkg.setPart("/visio/pages/page1.xml", "application/xml",
              "<PageContents/>");  // same bytes: no change
  EXPECT_FALSE(pkg.changed());
  pkg.setPart("/visio/pages/page1.xml", "application/vnd.ms-visio.page+xml",
              "<PageContents><Shapes/></PageContents>");
  pkg.setPart("/visio/masters/master1.xml", "application/vnd.ms-visio.master+xml",
              "<MasterContents/>");
  pkg.setPart("/visio/masters/masters.xml", "application/vnd.ms-visio.masters+xml", "<Masters/>");
  EXPECT_EQ(pkg.addRelationship("/visio/document.xml", "http://example/masters",
                                "/visio/masters/masters.xml"),
            "rId2");
  const std::string id = pkg.addRelationship("/visio/pages/page1.xml", "http://example/master",
                                             "/visio/masters/master1.xml");
  EXPECT_TRUE(pkg.changed());

  const std::string bytes = pkg.toBytes();
  const Package back = Package::fromBytes(bytes, "saved.vsdx");
  EXPECT_EQ(back.part("/visio/pages/page1.xml").bytes, "<PageContents><Shapes/></PageContents>");
  EXPECT_EQ(back.part("/visio/pages/page1.xml").contentType, "application/vnd.ms-visio.page+xml");
  EXPECT_EQ(back.part("/visio/masters/master1.xml").contentType,
            "application/vnd.ms-visio.master+xml");
  EXPECT_EQ(back.targetById("/visio/pages/page1.xml", id), "/visio/masters/master1.xml");
  EXPECT_EQ(back.target("/visio/document.xml", "http://example/masters"),
            "/visio/masters/masters.xml");
  EXPECT_EQ(
      back.target("/visio/document.xml", "http://schemas.microsoft.com/visio/2010/relationships/t"),
      "/visio/pages/pages.xml");

  // Untouched entries stay byte for byte; the new relationship is written relative to its source.
  std::map<std::string, std::string> saved;
  for (auto& [n, b] : readZip(bytes)) saved[n] = b;
  EXPECT_EQ(saved["_rels/.rels"], minimal()[1].second);
  EXPECT_EQ(saved["visio/pages/_rels/pages.xml.rels"], minimal()[5].second);
  EXPECT_THAT(saved["visio/pages/_rels/page1.xml.rels"],
              HasSubstr(R"(Target="../masters/master1.xml")"));
  EXPECT_THAT(saved["visio/_rels/document.xml.rels"], HasSubstr(R"(Target="pages/pages.xml")"));
}

TEST(VsdxEdit, AnEmptyPackageBecomesAValidContainer) {
  Package pkg;
  pkg.setPart("/visio/document.xml", "application/vnd.ms-visio.drawing.main+xml",
              "<VisioDocument/>");
  pkg.addRelationship("/", "http://schemas.microsoft.com/visio/2010/relationships/document",
                      "/visio/document.xml");
  const Entries e = readZip(pkg.toBytes());
  ASSERT_FALSE(e.empty());
  EXPECT_EQ(e[0].first, "[Content_Types].xml");
  const Package back = Package::fromBytes(pkg.toBytes(), "new.vsdx");
  EXPECT_EQ(back.part("/visio/document.xml").contentType,
            "application/vnd.ms-visio.drawing.main+xml");
}

TEST(VsdxEdit, PartNamesThatAreNotPartsAreRejected) {
  Package pkg;
  for (const char* bad :
       {"", "visio/x.xml", "/visio/", "/[Content_Types].xml", "/visio/_rels/document.xml.rels"})
    EXPECT_THROW(pkg.setPart(bad, "application/xml", "x"), tw::Error) << bad;
}

TEST_F(VsdxSave, SaveReplacesTheFileAndKeepsItsPermissions) {
  const std::string path = (dir_ / "plan.vsdx").string();
  writeFile(path, "old");
  ::chmod(path.c_str(), 0640);
  Package pkg = Package::fromBytes(makeZip(minimal()), "plan.vsdx");
  pkg.setPart("/visio/pages/page1.xml", "application/xml",
              "<PageContents><Shapes/></PageContents>");
  pkg.save(path);
  EXPECT_EQ(Package::load(path).part("/visio/pages/page1.xml").bytes,
            "<PageContents><Shapes/></PageContents>");
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(listing(), std::vector<std::string>{"plan.vsdx"});
}

TEST_F(VsdxSave, AFailedSaveLeavesTheOldFileAndNoTemporary) {
  const std::string path = (dir_ / "plan.vsdx").string();
  const std::string original = makeZip(minimal());
  writeFile(path, original);
  Package pkg = Package::load(path);
  pkg.setPart("/visio/pages/page1.xml", "application/xml",
              "<PageContents><Shapes/></PageContents>");
  const std::string bytes = pkg.toBytes();

  // Failure after the new file is complete, just before it would replace the old one.
  std::string seenTemp;
  EXPECT_THROW(tw::vsdx::writeFileAtomically(path, bytes,
                                             [&](const std::string& tmp) {
                                               seenTemp = tmp;
                                               EXPECT_EQ(readFile(tmp), bytes);
                                               throw tw::Error("EFileError", "disk pulled out");
                                             }),
               tw::Error);
  EXPECT_EQ(fs::path(seenTemp).parent_path(), dir_);
  EXPECT_EQ(readFile(path), original);
  EXPECT_EQ(listing(), std::vector<std::string>{"plan.vsdx"});

  // Failure part-way through writing: the file size limit cuts the write short.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit oldLimit{};
  ::getrlimit(RLIMIT_FSIZE, &oldLimit);
  rlimit limit = oldLimit;
  limit.rlim_cur = 100;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  try {
    pkg.save(path);
    ADD_FAILURE() << "the save succeeded";
  } catch (const tw::Error& e) {
    EXPECT_THAT(e.what(), HasSubstr(path));
    EXPECT_THAT(e.what(), HasSubstr("not saved"));
  }
  ::setrlimit(RLIMIT_FSIZE, &oldLimit);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(readFile(path), original);
  EXPECT_EQ(listing(), std::vector<std::string>{"plan.vsdx"});

  // No way to make a file in the folder at all.
  if (::geteuid() != 0) {
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_THROW(pkg.save(path), tw::Error);
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(readFile(path), original);
  }
  EXPECT_THROW(pkg.save((dir_ / "missing" / "plan.vsdx").string()), tw::Error);
}

TEST_F(VsdxSave, SaveThroughASymbolicLinkKeepsTheLink) {
  const std::string real = (dir_ / "real.vsdx").string();
  const std::string link = (dir_ / "link.vsdx").string();
  writeFile(real, "old");
  fs::create_symlink(real, link);
  Package::fromBytes(makeZip(minimal()), "plan.vsdx").save(link);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NO_THROW(Package::load(real));
}
