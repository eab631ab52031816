// kestrova-cli --html-dir against links, names of its own files and failing
// writes: nothing outside the folder is written, nothing is read that the run
// writes, a refused run creates nothing, and the old index stays until the run
// completes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "tests/cli/captured_stream.h"

namespace kestrova::cli {

using namespace kestrova::batch;  // NOLINT
namespace {

namespace fs = std::filesystem;

const std::string kPatients = "sex,age,height\nM,40,170\nF,45,160\n";

class HtmlDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kestrova-html-dir-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    Write(root_ / "in.csv", kPatients);
  }
  void TearDown() override { fs::remove_all(root_); }

  static void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Every name under the root, with a link's target: "d/row-1.html -> ../x".
  std::vector<std::string> Tree() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
      std::string name = entry.path().lexically_relative(root_).generic_string();
      if (entry.is_symlink()) name += " -> " + fs::read_symlink(entry.path()).generic_string();
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Runs the tool with the root as working folder (the names in `args` are relative).
  int Run(const std::vector<std::string>& args, std::string& err) {
    const fs::path before = fs::current_path();
    fs::current_path(root_);
    const std::vector<std::string_view> views(args.begin(), args.end());
    CapturedStream out;
    CapturedStream errors;
    const int status = RunCli(views, stdin, out.file(), errors.file(), Terminal{});
    out.Take();
    err = errors.Take();
    fs::current_path(before);
    return status;
  }

  fs::path root_;
};

struct LinkCase {
  std::string link;    // in d/
  std::string target;  // relative to d/
  bool targetExists;
};

// A link at the name of a report or of the index is replaced by the page; the
// file it points to stays as it was, and a dangling link creates nothing.
TEST_F(HtmlDirTest, LinksInTheFolderAreReplacedNotFollowed) {
  const LinkCase cases[] = {
      {"row-1.html", "../elsewhere.txt", true},
      {"index.html", "../elsewhere.txt", true},
      {"row-2.html", "../created.txt", false},
      {"index.html", "/proc/self/cwd/created.txt", false},
  };
  for (const LinkCase& c : cases) {
    fs::remove_all(root_ / "d");
    fs::create_directory(root_ / "d");
    fs::remove(root_ / "created.txt");
    Write(root_ / "elsewhere.txt", "kept");
    fs::create_symlink(c.target, root_ / "d" / c.link);
    std::string err;
    EXPECT_EQ(Run({"--batch", "in.csv", "--html-dir", "d"}, err), kExitOk) << c.link << ": " << err;
    EXPECT_EQ(Read(root_ / "elsewhere.txt"), "kept") << c.link;
    EXPECT_EQ(Tree(), (std::vector<std::string>{"d", "d/index.html", "d/row-1.html", "d/row-2.html",
                                                "elsewhere.txt", "in.csv"}))
        << c.link << " -> " << c.target;
    EXPECT_TRUE(Read(root_ / "d" / c.link).starts_with("<!DOCTYPE html>")) << c.link;
  }
}

struct RefusalCase {
  std::string name;
  std::vector<std::string> args;
  std::string message;  // after "kestrova-cli: "
};

// A run whose input or output is (or could be) a file the run writes in the
// folder is refused before anything is made or written: exit 64, and the tree
// stays as it was (no folder "new" either).
TEST_F(HtmlDirTest, OwnFilesAsInputOrOutputAreRefusedBeforeAnythingIsMade) {
  fs::create_directory(root_ / "d");
  Write(root_ / "d" / "index.html", kPatients);
  Write(root_ / "d" / "P0.HTML", kPatients);
  fs::create_symlink("d/P0.HTML", root_ / "link.csv");
  fs::create_symlink("new/index.html", root_ / "dangling.csv");
  const RefusalCase cases[] = {
      {"input is the index",
       {"--batch", "d/index.html", "--html-dir", "d"},
       "the input d/index.html is d/index.html, a file --html-dir d replaces; choose another folder"},
      {"input could be a report",
       {"--batch", "d/P0.HTML", "--html-dir", "./d/"},
       "the input d/P0.HTML is ./d/P0.HTML, a file --html-dir ./d/ replaces; choose another folder"},
      {"input links to a report",
       {"--batch", "link.csv", "--html-dir", "d"},
       "the input link.csv is d/P0.HTML, a file --html-dir d replaces; choose another folder"},
      {"-o is the index of a folder still to make",
       {"--batch", "in.csv", "-o", "new/index.html", "--html-dir", "new"},
       "-o new/index.html is new/index.html, a file --html-dir new replaces; choose another output file"},
      {"-o could be a report",
       {"--batch", "in.csv", "-o", "d/../d/results.html", "--html-dir", "d"},
       "-o d/../d/results.html is d/results.html, a file --html-dir d replaces; choose another output file"},
      {"-o is a dangling link to the index",
       {"--batch", "in.csv", "-o", "dangling.csv", "--html-dir", "new"},
       "-o dangling.csv is new/index.html, a file --html-dir new replaces; choose another output file"},
      {"-o is the input",
       {"--batch", "in.csv", "-o", "in.csv", "--html-dir", "new"},
       "-o in.csv is the input file; choose another output file"},
  };
  const std::vector<std::string> tree = Tree();
  for (const RefusalCase& c : cases) {
    std::string err;
    EXPECT_EQ(Run(c.args, err), kExitUsage) << c.name;
    EXPECT_EQ(err, "kestrova-cli: " + c.message + "\n") << c.name;
    EXPECT_EQ(Tree(), tree) << c.name;
    EXPECT_EQ(Read(root_ / "d" / "index.html"), kPatients) << c.name;
  }
}

struct WriteFailureCase {
  std::string name;
  std::vector<std::string> args;
  std::string blocked;  // a folder made at this name in d/
  std::string message;
};

// A page that cannot be written is named with the reason; the run fails, the
// CSV target and the old index stay as they were, and no temporary file is left.
TEST_F(HtmlDirTest, WriteFailuresNameTheFileAndKeepTheOldIndex) {
  const WriteFailureCase cases[] = {
      {"a report",
       {"--batch", "in.csv", "-o", "out.csv", "--html-dir", "d"},
       "row-2.html",
       "d/row-2.html: cannot be written (Is a directory)"},
      {"the output",
       {"--batch", "in.csv", "-o", "/dev/full", "--html-dir", "d"},
       "",
       "/dev/full: cannot be written (No space left on device)"},
  };
  for (const WriteFailureCase& c : cases) {
    fs::remove_all(root_ / "d");
    fs::create_directory(root_ / "d");
    Write(root_ / "d" / "index.html", "old index");
    Write(root_ / "out.csv", "old results");
    if (!c.blocked.empty()) fs::create_directory(root_ / "d" / c.blocked);
    std::string err;
    EXPECT_EQ(Run(c.args, err), kExitIoError) << c.name;
    EXPECT_NE(err.find("kestrova-cli: " + c.message + "\n"), std::string::npos) << c.name << ": " << err;
    EXPECT_EQ(Read(root_ / "d" / "index.html"), "old index") << c.name;
    EXPECT_EQ(Read(root_ / "out.csv"), "old results") << c.name;
    for (const auto& entry : fs::directory_iterator(root_ / "d")) {
      EXPECT_FALSE(entry.path().filename().string().ends_with(".tmp")) << c.name << ": " << entry.path();
    }
  }
}

}  // namespace
}  // namespace kestrova::cli
