#include "report/reading_items.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::report {
namespace {

struct ColumnsCase {
  PatientInputs inputs;
  std::string values;  // the reading's CSV values, comma-separated
};

std::string Joined(const auto& values) {
  std::string out;
  for (std::string_view value : values) (out += value) += ',';
  out.pop_back();
  return out;
}

// The row's values are the items' own columns', in their order. Male
// 60 years, 170 cm, VC 3.0, FVC 2.9, FEV1 1.6 as in the header's example; a
// patient with nothing measured reads nothing.
TEST(ReadingColumnValues, TheItemsColumnsInOrder) {
  const ColumnsCase cases[] = {
      {{kSexMale, 60, 170, 3.0, 2.9, 1.6},
       "mixed,74.8,obstructive,84.5,possibleMixed,moderate,1,1,1,-3.96,III,49.1,119.4,>95,0,39.9,grade4"},
      {{kSexFemale, 45, 160, 0, 0, 0}, ",,,,,,,,,,,,,,,,"},
      // At 17.5 years only ERS/ATS 2022 is read; the key columns of the rest
      // say so, their other columns stay empty.
      {{kSexMale, 17.5, 170, 4, 4, 3.5},
       "outOfRange,,outOfRange,,normal,,0,0,0,-1.17,outOfRange,,,outOfRange,,,outOfRange"},
  };
  for (const ColumnsCase& c : cases) {
    PanelResult result;
    ComputePanelResult(c.inputs, result);
    const Reading reading = ReadResult(result);
    std::array<std::string_view, kReadingColumnCount> values;
    ReadingColumnValues(reading, values);
    EXPECT_EQ(Joined(values), c.values);
    std::vector<std::string_view> fromItems;
    for (const ReadingItem& item : ReadingItems(reading)) {
      for (const ReadingColumn& column : item.columns) fromItems.push_back(column.value);
    }
    EXPECT_EQ(Joined(fromItems), c.values);
  }
}

}  // namespace
}  // namespace kestrova::report
