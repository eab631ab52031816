// Files for the tests: a file's bytes read and written whole, and a folder of
// a test's own, made afresh for each test and removed afterwards.
#ifndef KESTROVA_TESTS_SUPPORT_FILES_H_
#define KESTROVA_TESTS_SUPPORT_FILES_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kestrova::testing {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kestrova-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Every name below the folder, a link with its target: "d/row-1.html -> ../x".
  std::vector<std::string> Tree() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      std::string name = entry.path().lexically_relative(dir_).generic_string();
      if (entry.is_symlink()) name += " -> " + fs::read_symlink(entry.path()).generic_string();
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

}  // namespace kestrova::testing

#endif  // KESTROVA_TESTS_SUPPORT_FILES_H_
