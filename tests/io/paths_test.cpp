#include "io/paths.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kestrova::io {
namespace {

struct DeviceNameCase {
  std::string_view path;
  bool device;
};

TEST(IsWindowsDeviceName, ReservedStemsWithAnyExtensionOrFolder) {
  const DeviceNameCase cases[] = {
      {"aux.csv", true},  {"CON", true},        {"Con.tar.gz", true},   {"reports\\nul.html", true},
      {"out/prn", true},  {"COM1.csv", true},   {"lpt9", true},         {"NUL .txt", true},
      {"con.", true},     {"aux1.csv", false},  {"com0", false},        {"com10", false},
      {"lpt.csv", false}, {"con-1.csv", false}, {"my.aux", false},      {"console.csv", false},
      {"", false},        {"reports\\", false}, {"con/results", false},
  };
  for (const DeviceNameCase& c : cases) EXPECT_EQ(IsWindowsDeviceName(c.path), c.device) << c.path;
}

}  // namespace
}  // namespace kestrova::io
