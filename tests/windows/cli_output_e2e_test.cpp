// kestrova-cli.exe --batch -o under Wine: the output may not be the input,
// however the path names it (another letter case, the 8.3 short name, the
// \\?\ form, a relative path with . and .., a hard link), and an existing
// output file is replaced only by a complete run.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "io/output_file.h"
#include "tests/windows/e2e_support.h"

namespace {

using namespace kestrova::e2e;
using kestrova::winprobe::WindowsPath;

const std::string kPatients = "id,sex,age,height\r\nA-1,M,40,170\r\n";

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// kestrova-cli.exe's exit code, its output going to NUL.
std::optional<DWORD> RunQuietly(const std::string& arguments, const std::string& directory = {}) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                           0, nullptr);
  const std::optional<DWORD> code = RunCli(arguments, nul, directory);
  CloseHandle(nul);
  return code;
}

// A folder of its own under the temporary folder, emptied and removed afterwards.
class Folder {
 public:
  Folder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    dir_ = std::string(temp) + "kestrova-cli-output-" + std::to_string(GetCurrentProcessId());
    ok_ = CreateDirectoryA(dir_.c_str(), nullptr) != 0;
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  ~Folder() {
    for (const std::string& name : Names()) {
      const std::string path = dir_ + "\\" + name;
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(dir_.c_str());
  }

  bool ok() const { return ok_; }
  const std::string& path() const { return dir_; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string dir_;
  bool ok_ = false;
};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

struct SpellingCase {
  std::string name;
  std::string output;     // -o as spelled
  std::string directory;  // where kestrova-cli runs; empty: here
};

TEST(CliOutput, InputNamedAnotherWayIsRefused) {
  ASSERT_FALSE(g_kestrovaCliExe.empty()) << "kestrova-cli.exe not given (--kestrova-cli=PATH)";
  Folder folder;
  ASSERT_TRUE(folder.ok()) << folder.path();
  const std::string& dir = folder.path();
  const std::string input = dir + "\\Patients_Register.csv";
  Write(input, kPatients);
  const std::string sub = dir + "\\sub";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  const std::string hard = dir + "\\hard.csv";
  ASSERT_TRUE(CreateHardLinkA(hard.c_str(), input.c_str(), nullptr));
  char shortName[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameA(input.c_str(), shortName, sizeof shortName), 0u);
  const std::string name = dir.substr(dir.rfind('\\') + 1);
  const SpellingCase cases[] = {
      {"the same", input, {}},
      {"upper case", Upper(input), {}},
      {"8.3 short name", shortName, {}},
      {"\\\\?\\ form", "\\\\?\\" + input, {}},
      {"relative with . and ..", "..\\..\\" + name + "\\.\\Patients_Register.csv", sub},
      {"hard link", hard, {}},
  };
  for (const SpellingCase& c : cases) {
    EXPECT_TRUE(c.name == "the same" || c.output != input) << c.name << ": " << c.output;
    EXPECT_EQ(RunQuietly("--batch " + Quoted(input) + " -o " + Quoted(c.output), c.directory), 64u) << c.name;
    EXPECT_EQ(Read(input), kPatients) << c.name;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Patients_Register.csv", "hard.csv", "sub"}))
        << c.name;
  }
}

struct ReplaceCase {
  std::string name;
  std::string input;
  DWORD attributes;  // of the existing output
  DWORD status;
};

// An existing output is replaced by a complete run only: it stays as it was
// after a run that fails and when it is read-only (attrib +r), and no
// temporary file is left beside it.
TEST(CliOutput, OutputIsReplacedOnlyByACompleteRun) {
  ASSERT_FALSE(g_kestrovaCliExe.empty()) << "kestrova-cli.exe not given (--kestrova-cli=PATH)";
  Folder folder;
  ASSERT_TRUE(folder.ok()) << folder.path();
  const std::string input = folder.path() + "\\in.csv";
  const std::string output = folder.path() + "\\out.csv";
  const ReplaceCase cases[] = {
      {"no height column", "sex,age\r\nM,40\r\n", FILE_ATTRIBUTE_NORMAL, 2},
      {"read-only", kPatients, FILE_ATTRIBUTE_READONLY, 1},
      {"complete", kPatients, FILE_ATTRIBUTE_NORMAL, 0},
  };
  for (const ReplaceCase& c : cases) {
    Write(input, c.input);
    Write(output, "earlier results\r\n");
    ASSERT_TRUE(SetFileAttributesA(output.c_str(), c.attributes));
    EXPECT_EQ(RunQuietly("--batch " + Quoted(input) + " -o " + Quoted(output)), c.status) << c.name;
    EXPECT_TRUE(Read(output).starts_with(c.status == 0 ? "id,sex,age,height,error,vcJrs2014,"
                                                       : "earlier results\r\n"))
        << c.name << ": " << Read(output);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"in.csv", "out.csv"})) << c.name;
    SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// A device name (Windows writes AUX to a serial port and reports success) is
// refused before anything is opened.
TEST(CliOutput, DeviceNamesAreRefused) {
  Folder folder;
  ASSERT_TRUE(folder.ok()) << folder.path();
  Write(folder.path() + "\\in.csv", kPatients);
  for (const std::string output : {"aux.csv", "CON.csv", "com1"}) {
    EXPECT_EQ(RunQuietly("--batch in.csv -o " + output, folder.path()), 64u) << output;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"in.csv"})) << output;
  }
}

// A run removes the temporary files other runs left behind, never one that a
// live run holds open, whatever its process id says (another computer may
// write the same shared folder): the system refuses to remove an open one.
TEST(CliOutput, OnlyLeftoverTemporaryFilesAreRemoved) {
  Folder folder;
  ASSERT_TRUE(folder.ok()) << folder.path();
  Write(folder.path() + "\\in.csv", kPatients);
  Write(folder.path() + "\\.kestrova-1-0.tmp", "left behind");
  kestrova::io::OutputFile live;
  std::string error;
  ASSERT_TRUE(live.Open(folder.path() + "\\live.csv", error)) << error;
  EXPECT_FALSE(DeleteFileA(live.temporary().c_str()));
  EXPECT_EQ(RunQuietly("--batch in.csv -o out.csv", folder.path()), 0u);
  ASSERT_TRUE(live.Write("id\r\n"));
  EXPECT_TRUE(live.Commit(error)) << error;
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"in.csv", "live.csv", "out.csv"}));
}

// The byte count of the output is 64 bits wide, counted as written: an output
// past 2 GiB (the range of the C library's long on Windows) is kept. The
// count is taken there through the test seam instead of writing gigabytes.
TEST(CliOutput, ByteCountPassesTwoAndFourGiB) {
  Folder folder;
  ASSERT_TRUE(folder.ok()) << folder.path();
  const std::string output = folder.path() + "\\out.csv";
  for (const std::uint64_t counted : {std::uint64_t{0}, (std::uint64_t{1} << 31) - 4, std::uint64_t{1} << 31,
                                      (std::uint64_t{1} << 32) + 1}) {
    kestrova::io::OutputFile file;
    std::string error;
    ASSERT_TRUE(file.Open(output, error)) << error;
    ASSERT_TRUE(file.Write("id\r\n"));
    file.CountForTest(counted);
    EXPECT_EQ(file.Written(), counted + 4);
    EXPECT_TRUE(file.Commit(error)) << error;
    EXPECT_EQ(Read(output), "id\r\n") << counted;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"out.csv"})) << counted;
  }
}

}  // namespace
