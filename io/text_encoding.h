// The two encodings a text handed in may have, and the encoding of a batch
// file, decided once per file.
//
// The decision: a UTF-8 byte order mark means UTF-8; otherwise the start of the
// file (kEncodingSampleBytes, or all of a shorter file) decides: valid UTF-8
// means UTF-8, anything else Shift-JIS (code page 932). A file in plain ASCII
// is UTF-8, and reads the same either way. Field bytes are never converted:
// what is passed through stays in the file's encoding.
#ifndef KESTROVA_IO_TEXT_ENCODING_H_
#define KESTROVA_IO_TEXT_ENCODING_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::io {

// The byte encoding of a text handed in: a batch file's, the window's (CP932).
enum class TextEncoding : std::uint8_t { kUtf8, kShiftJis };

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::size_t kEncodingSampleBytes = std::size_t{1} << 20;

struct EncodingDecision {
  TextEncoding encoding = TextEncoding::kUtf8;
  bool byteOrderMark = false;  // the file starts with one (it is not data)
};

// Decides from `start`, the first bytes of the file; `complete` when they are the
// whole file (otherwise a character cut at the end of `start` still counts as
// valid). `forced` (--encoding) overrides the decision; a byte order mark is
// recognised either way.
EncodingDecision DecideEncoding(std::string_view start, bool complete,
                                std::optional<TextEncoding> forced = std::nullopt);

// `text` (input bytes in `encoding`) as a message on a terminal shows it: in
// UTF-8, with Shift-JIS converted, and with control bytes (C0, DEL and the C1
// controls) and bytes that are no character of the encoding written as \xNN,
// so that input can neither drive the terminal nor fake a line of its own.
//   "\x1b[2J"        -> "\\x1b[2J"
//   "\x8E\x52\x93\x63" (Shift-JIS) -> "山田"
std::string MessageText(std::string_view text, TextEncoding encoding);

// `text` (input bytes in `encoding`) in UTF-8, for a page: Shift-JIS converted,
// UTF-8 as it stands; a byte that is no character of the encoding becomes U+FFFD.
//   "\x8E\x81\x96\xBC\xFF" (Shift-JIS) -> "氏名\uFFFD"
std::string TextAsUtf8(std::string_view text, TextEncoding encoding);

// `utf8` (the tool's own UTF-8 text) in `encoding`, for a file in that
// encoding: UTF-8 as it stands, Shift-JIS by code page 932; a character the
// code page lacks, or a byte that is no UTF-8, becomes "?".
//   "氏名" -> "\x8E\x81\x96\xBC" (Shift-JIS)
std::string Utf8AsText(std::string_view utf8, TextEncoding encoding);

// "utf-8" (also "utf8") or "sjis" (also "shift_jis", "shift-jis", "cp932"), any case.
std::optional<TextEncoding> ParseEncodingName(std::string_view name);

// ASCII letters in lower case; other bytes as they are.
std::string LowerAscii(std::string_view s);

}  // namespace kestrova::io

#endif  // KESTROVA_IO_TEXT_ENCODING_H_
