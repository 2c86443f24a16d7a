// Runs the tarnwick executable on drawing files, as a planner would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "platform/vsdx/package.h"
#include "zip_fixture.h"

namespace fs = std::filesystem;
using namespace tw::vsdx::testing;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kSamples = TW_SAMPLES_DIR;

struct Outcome {
  int rc = -1;
  std::string out;
  std::string err;
};

std::string quote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

class FileMode : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tw_e2e_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome run(const std::string& program, const std::vector<std::string>& args) const {
    std::string cmd = "cd " + quote(dir_.string()) +
                      " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + quote(program);
    for (const auto& a : args) cmd += " " + quote(a);
    const std::string out = (dir_ / ".out").string();
    const std::string err = (dir_ / ".err").string();
    cmd += " >" + quote(out) + " 2>" + quote(err);
    Outcome r;
    const int status = std::system(cmd.c_str());
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    fs::remove(out);
    fs::remove(err);
    return r;
  }
  Outcome tarnwick(const std::vector<std::string>& args) const { return run(TW_TARNWICK, args); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string makePlan(const std::string& name) const {
    const Outcome r = run(TW_MAKEPLAN, {path(name)});
    EXPECT_EQ(r.rc, 0) << r.err;
    return path(name);
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

std::vector<std::vector<std::string>> rowsOf(const std::string& listing) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(listing);
  std::string line;
  std::getline(in, line);  // heading: file and page
  std::getline(in, line);  // column titles
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      cells.push_back(line.substr(start, tab - start));
    cells.push_back(line.substr(start));
    rows.push_back(cells);
  }
  return rows;
}

std::map<std::string, std::string> entriesOf(const std::string& file) {
  std::map<std::string, std::string> m;
  for (auto& [n, b] : readZip(readFile(file))) m[n] = b;
  return m;
}

}  // namespace

TEST_F(FileMode, RenumberingTheDemoPlanChangesOnlyItsPage) {
  const std::string plan = makePlan("plan.vsdx");
  const Outcome before = tarnwick({"--drawing", plan, "--list"});
  ASSERT_EQ(before.rc, 0) << before.err;
  const auto rowsBefore = rowsOf(before.out);
  ASSERT_EQ(rowsBefore.size(), 12u) << before.out;
  for (const auto& r : rowsBefore) {
    ASSERT_EQ(r.size(), 11u);
    EXPECT_EQ(r[2], "");  // no numbers yet
  }
  EXPECT_EQ(rowsBefore[0][5], "Утверждение проекта");
  EXPECT_EQ(rowsBefore[2][7], "Поставщик: «Северсталь»");
  const auto entriesBefore = entriesOf(plan);

  const Outcome renumber = tarnwick({"--drawing", plan, "2"});
  ASSERT_EQ(renumber.rc, 0) << renumber.err;
  const Outcome after = tarnwick({"--drawing", plan, "--list"});
  ASSERT_EQ(after.rc, 0) << after.err;
  const auto rowsAfter = rowsOf(after.out);
  ASSERT_EQ(rowsAfter.size(), 12u);
  // Columns left to right, top to bottom in each.
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(rowsAfter[i][2], "P" + std::to_string(i + 1));
    for (std::size_t c = 3; c < 10; ++c) EXPECT_EQ(rowsAfter[i][c], rowsBefore[i][c]);
  }
  EXPECT_EQ(rowsAfter[3][10], "P1,P2");  // "Подготовка площадки" follows the first two
  EXPECT_EQ(rowsAfter[11][10], "P10,P11");

  const auto entriesAfter = entriesOf(plan);
  ASSERT_EQ(entriesAfter.size(), entriesBefore.size());
  std::vector<std::string> changed;
  for (const auto& [name, bytes] : entriesAfter)
    if (entriesBefore.at(name) != bytes) changed.push_back(name);
  EXPECT_EQ(changed, std::vector<std::string>{"visio/pages/page1.xml"});

  // Renumbering again changes nothing, so nothing is written.
  const std::string saved = readFile(plan);
  ASSERT_EQ(tarnwick({"--drawing", plan, "2"}).rc, 0);
  EXPECT_EQ(readFile(plan), saved);
  EXPECT_EQ(listing(), std::vector<std::string>{"plan.vsdx"});
}

TEST_F(FileMode, AMissingFileBecomesANewDrawingWithOnePage) {
  const Outcome r = tarnwick({"--drawing", "new.vsdx", "2"});
  ASSERT_EQ(r.rc, 0) << r.err;
  ASSERT_TRUE(fs::exists(path("new.vsdx")));
  const Outcome list = tarnwick({"--drawing", "new.vsdx", "--list"});
  EXPECT_EQ(list.rc, 0) << list.err;
  EXPECT_THAT(list.out, HasSubstr(": 0 events"));
  EXPECT_EQ(tarnwick({"--drawing", "new.vsdx", "--page", "2", "--list"}).rc, 1);
  // Listing never creates anything.
  EXPECT_EQ(tarnwick({"--drawing", "other.vsdx", "--list"}).rc, 1);
  EXPECT_FALSE(fs::exists(path("other.vsdx")));
}

TEST_F(FileMode, BadOptionsAreRefusedAndNothingIsWritten) {
  const std::string plan = makePlan("plan.vsdx");
  const std::string original = readFile(plan);
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"--drawing", plan}, "command number is missing"},
      {{"--drawing", "fresh.vsdx"}, "command number is missing"},
      {{"--drawing", plan, "--verbose", "2"}, "\"--verbose\" is not an option"},
      {{"--drawing", plan, "--page", "2"}, "command number is missing"},
      {{"--drawing", plan, "--page", "--list"}, "--page needs a value"},
      {{"--drawing", plan, "--drawing", plan, "2"}, "given twice"},
      {{"--drawing", plan, "--list", "2"}, "With --list there is no command number"},
      {{"--drawing", plan, "--select", "1", "--list"}, "--select has no use with --list"},
      {{"--drawing", plan, "--page", "Нет такой", "2"}, "Нет такой"},
      {{"--drawing", plan, "--select", "9999", "2"}, "9999"},
      {{"--drawing", path("no/such/folder/x.vsdx"), "2"}, "folder does not exist"},
      {{"2"}, "--drawing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back() + " / " + c.message);
    const Outcome r = tarnwick(c.args);
    EXPECT_EQ(r.rc, 1);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(readFile(plan), original);
  EXPECT_EQ(listing(), std::vector<std::string>{"plan.vsdx"});
}

TEST_F(FileMode, RefusedFilesAreNamedAndLeftAlone) {
  struct Case {
    std::string name;
    std::string bytes;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"notes.vsdx", "just some text", "not a zip"},
      {"old.vsdx", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(1024, '\0'),
       "old binary format"},
      {"cycle.vsdx", readFile(kSamples + "/lv__recursion-cycle.vsdx"), "[Content_Types].xml"},
      {"boxes.vsdx", readFile(kSamples + "/ibm__Boxes.vssx"), "stencil"},
      {"Tarnwick.vssx", readFile(TW_STENCIL_FILE), "stencil"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(path(c.name), c.bytes);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--drawing", c.name, "2"},
          std::vector<std::string>{"--drawing", c.name, "--list"}}) {
      const Outcome r = tarnwick(args);
      EXPECT_EQ(r.rc, 1);
      EXPECT_THAT(r.err, HasSubstr(c.name));
      EXPECT_THAT(r.err, HasSubstr(c.message));
    }
    EXPECT_EQ(readFile(path(c.name)), c.bytes);
    fs::remove(path(c.name));
    EXPECT_EQ(listing(), std::vector<std::string>{});
  }
}

TEST_F(FileMode, PagesAreChosenByNameOrNumber) {
  const std::string file = path("test1.vsdx");
  fs::copy_file(kSamples + "/dh__test4_connectors.vsdx", file);
  const std::string original = readFile(file);
  const Outcome first = tarnwick({"--drawing", file, "--list"});
  const Outcome second = tarnwick({"--drawing", file, "--page", "2", "--list"});
  ASSERT_EQ(first.rc, 0) << first.err;
  ASSERT_EQ(second.rc, 0) << second.err;
  EXPECT_NE(first.out.substr(0, first.out.find('\n')), second.out.substr(0, second.out.find('\n')));
  const std::string heading = second.out.substr(0, second.out.find('\n'));
  const auto open = heading.find("page \"") + 6;
  const std::string name = heading.substr(open, heading.rfind('"') - open);
  const Outcome byName = tarnwick({"--drawing", file, "--page", name, "--list"});
  EXPECT_EQ(byName.out, second.out);
  // A drawing with no events: renumbering changes nothing and nothing is saved.
  EXPECT_EQ(tarnwick({"--drawing", file, "--page", name, "2"}).rc, 0);
  EXPECT_EQ(readFile(file), original);
}

TEST_F(FileMode, LibvisioReadsTheSavedDrawing) {
  if (std::system("command -v vsd2xhtml >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "vsd2xhtml (libvisio-tools) missing";
  const std::string plan = makePlan("plan.vsdx");
  ASSERT_EQ(tarnwick({"--drawing", plan, "2"}).rc, 0);
  const Outcome r = run("vsd2xhtml", {plan});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("<svg:svg"));
  // libvisio draws from cached values: every connector as a path with its arrow.
  auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (auto at = r.out.find(what); at != std::string::npos; at = r.out.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("marker-end: url(#endMarker"), 13u);
  // The events show their numbers.
  for (int i = 1; i <= 12; ++i)
    EXPECT_EQ(count(">\nP" + std::to_string(i) + "</svg:tspan>"), 1u) << i;

  // The stencil file draws both its masters.
  const Outcome stencil = run("vss2xhtml", {TW_STENCIL_FILE});
  EXPECT_EQ(stencil.rc, 0) << stencil.err;
  std::size_t masters = 0;
  for (auto at = stencil.out.find("<svg:svg"); at != std::string::npos;
       at = stencil.out.find("<svg:svg", at + 1))
    ++masters;
  EXPECT_EQ(masters, 2u);
}

TEST_F(FileMode, LibreOfficeConvertsTheSavedDrawing) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "soffice (LibreOffice Draw) missing";
  const std::string plan = makePlan("plan.vsdx");
  ASSERT_EQ(tarnwick({"--drawing", plan, "2"}).rc, 0);
  // A private profile: a shared one may be locked by another run.
  const Outcome r =
      run("soffice", {"-env:UserInstallation=file://" + path("lo-profile"), "--headless",
                      "--convert-to", "pdf", "--outdir", dir_.string(), plan});
  EXPECT_EQ(r.rc, 0) << r.err;
  // soffice exits 0 even when it could not convert: the PDF is the proof.
  ASSERT_TRUE(fs::exists(path("plan.pdf"))) << r.out << r.err;
  EXPECT_GT(fs::file_size(path("plan.pdf")), 1000u);
  // Kept for a look: build/<preset>/e2e-demo.pdf (and .png when pdftoppm is there).
  fs::copy_file(path("plan.pdf"), std::string(TW_BINARY_DIR) + "/e2e-demo.pdf",
                fs::copy_options::overwrite_existing);
  if (std::system("command -v pdftoppm >/dev/null 2>&1") == 0)
    run("pdftoppm", {"-png", "-r", "60", "-singlefile", path("plan.pdf"),
                     std::string(TW_BINARY_DIR) + "/e2e-demo"});
}
