// JSON text as the program writes it. An object or an array is laid out on
// one line, its entries joined by ", ", or one entry a line, indented two
// spaces a level:
//   {
//     "inputs": {"sexCode": 1, "age": 40},
//     "results": [
//       {"name": "vcJrs2014", "value": 4.48, "text": "4.48"}
//     ],
//     "warnings": []
//   }
// Strings are written as they are (UTF-8 included) but for '"' and '\', which
// take a backslash, and the control characters, written \u00XX. Numbers are
// the program's own number texts written as they stand ("4.48", "-2.88"); a
// text that is not a JSON number (empty, "*.**") is written null. A double
// handed over as such is written in full: the shortest text that reads back
// as the same double (3.8354622467203445, 0.1, 1e-05); NaN and the
// infinities, which JSON has no number for, are written null.
//
//   std::string out;
//   JsonWriter json(out);
//   json.BeginObject().Key("z").Number("-2.88").Key("text").StringOrNull("").EndObject();
//   // out: {"z": -2.88, "text": null}
#ifndef KESTROVA_REPORT_JSON_WRITER_H_
#define KESTROVA_REPORT_JSON_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::report {

class JsonWriter {
 public:
  enum class Layout : std::uint8_t { kOneLine, kLines };

  // Appends to `out`, which must outlive the writer.
  explicit JsonWriter(std::string& out) : out_(out) {}

  JsonWriter& BeginObject(Layout layout = Layout::kOneLine);
  JsonWriter& EndObject() { return End('}'); }
  JsonWriter& BeginArray(Layout layout = Layout::kOneLine);
  JsonWriter& EndArray() { return End(']'); }
  // The name of the object's next member; its value follows.
  JsonWriter& Key(std::string_view name);

  JsonWriter& String(std::string_view text);
  JsonWriter& StringOrNull(std::string_view text);  // null when empty
  JsonWriter& Number(std::string_view text);        // null when not a JSON number
  JsonWriter& Number(double value);                 // shortest round trip; null when not finite
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

 private:
  struct Level {
    Layout layout;
    bool empty = true;
  };
  // The separator and indent before an entry of the innermost level.
  void BeginEntry();
  void Indent(std::size_t depth);
  JsonWriter& Begin(char open, Layout layout);
  JsonWriter& End(char close);
  void Quoted(std::string_view text);

  std::string& out_;
  std::vector<Level> levels_;
  bool afterKey_ = false;  // the value of a member written by Key comes next
};

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_JSON_WRITER_H_
