// The HTML writers on arbitrary inputs and texts: the report of a patient with
// hostile header fields and the batch index with hostile ids and errors.
// Properties: the pages are well-formed (tests/cli/well_formed_html.h: sound
// HTML and XML, valid UTF-8, no script); every report name is safe (ASCII
// letters, digits, '-' and '_', not empty, at most 64 bytes or "row-N" with
// its suffix, no leading '-', not a Windows device name) and unique without
// regard to case.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "cli/html_batch.h"
#include "cli/html_report.h"
#include "fuzz/fuzz_support.h"
#include "kestrova/kestrova.h"
#include "tests/cli/well_formed_html.h"

namespace {

using namespace kestrova;
using namespace kestrova::cli;
using kestrova::fuzz::Require;

// Texts separated by NUL bytes (so every other byte, newlines included, can be in a text).
std::vector<std::string> SplitTexts(std::string_view data) {
  std::vector<std::string> texts;
  for (;;) {
    const std::size_t zero = data.find('\0');
    texts.emplace_back(data.substr(0, zero));
    if (zero == std::string_view::npos) return texts;
    data.remove_prefix(zero + 1);
  }
}

void RequireWellFormed(const std::string& page, const char* what) {
  const kestrova::testing::HtmlDocument doc = kestrova::testing::ParseStrictHtml(page);
  if (!doc.ok) std::fprintf(stderr, "%s\n", doc.error.c_str());
  Require(doc.ok, what);
}

bool SafeName(const std::string& name) {
  if (name.empty() || name.front() == '-' || name.size() > 64 + 24) return false;
  for (char c : name) {
    const bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok) return false;
  }
  std::string lower;
  for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  for (std::string_view device : {"con", "prn", "aux", "nul", "index"}) {
    if (lower == device) return false;
  }
  return !(lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) && lower[3] >= '0' &&
           lower[3] <= '9');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  // Six bytes choose the patient: any sex code, and ages, heights and volumes
  // across and beyond the ranges of the equations (0 = not measured).
  PatientInputs inputs;
  inputs.sexCode = static_cast<std::uint8_t>(1 + data[0] % 2);
  inputs.age = 1 + data[1] % 120;
  inputs.height = 80 + data[2];
  inputs.vc = data[3] / 20.0;
  inputs.fvc = data[4] / 20.0;
  inputs.fev1 = data[5] / 20.0;
  const std::vector<std::string> texts =
      SplitTexts(std::string_view(reinterpret_cast<const char*>(data) + 6, size - 6));

  PanelResult result;
  ComputePanelResult(inputs, result);
  if (result.computed) {
    HtmlHeader header;
    header.name = texts[0];
    for (std::size_t i = 1; i + 1 < texts.size(); i += 2) header.fields.push_back({texts[i], texts[i + 1]});
    RequireWellFormed(FormatHtml(header, result), "the report is well-formed");
  }

  ReportNames names;
  std::unordered_set<std::string> lowerNames;
  std::string index = HtmlIndexStart(texts.back());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    HtmlIndexEntry entry = result.computed ? IndexEntryOf(result) : HtmlIndexEntry{};
    entry.row = i + 1;
    entry.id = texts[i];
    if (i % 3 == 2 || !result.computed) {
      entry.error = texts[(i + 1) % texts.size()];
    } else {
      const std::string name = names.Next(texts[i], entry.row);
      Require(SafeName(name), "a report name is safe on every file system");
      std::string lower;
      for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      Require(lowerNames.insert(lower).second, "report names are unique regardless of case");
      entry.file = name + ".html";
    }
    AppendHtmlIndexRow(entry, index);
  }
  index += HtmlIndexEnd();
  RequireWellFormed(index, "the index is well-formed");
  return 0;
}
