#include "report/reading_items.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova::report {
namespace {

struct ColumnsCase {
  PatientInputs inputs;
  std::string values;  // the reading's CSV values, comma-separated
};

std::string Joined(const auto& columns) {
  std::string out;
  for (const ReadingColumn& column : columns)
    out.append(column.name).append("=").append(column.value).append(";");
  return out;
}

// The row's columns are the items' own, in their order, values included. Male
// 60 years, 170 cm, VC 3.0, FVC 2.9, FEV1 1.6 as in the header's example; a
// patient with nothing measured reads nothing.
TEST(ReadingColumnsOf, TheItemsColumnsInOrder) {
  const ColumnsCase cases[] = {
      {{kSexMale, 60, 170, 3.0, 2.9, 1.6},
       "mixed,74.8,obstructive,84.5,possibleMixed,moderate,1,1,1,-3.96,III,49.1,119.4,>95,0,39.9,grade4"},
      {{kSexFemale, 45, 160, 0, 0, 0}, ",,,,,,,,,,,,,,,,"},
  };
  for (const ColumnsCase& c : cases) {
    PanelResult result;
    ComputePanelResult(c.inputs, result);
    const Reading reading = ReadResult(result);
    const auto columns = ReadingColumnsOf(reading);
    std::string values;
    for (const ReadingColumn& column : columns) (values += column.value) += ',';
    values.pop_back();
    EXPECT_EQ(values, c.values);
    std::string fromItems;
    for (const ReadingItem& item : ReadingItems(reading)) fromItems += Joined(item.columns);
    EXPECT_EQ(Joined(columns), fromItems);
  }
}

}  // namespace
}  // namespace kestrova::report
