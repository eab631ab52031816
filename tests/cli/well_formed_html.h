// A strict reader for the pages kestrova-cli writes, for the tests and the fuzz
// target: it accepts a page only when it is both sound HTML and well-formed
// XML, and hands back its elements so that tests can look at the chart.
//
// Accepted: valid UTF-8 without control characters (tab, LF and CR aside);
// "<!DOCTYPE html>" first and then exactly one <html> element; every element
// closed by its own end tag, or written "<name … />" when it is an HTML void
// element (meta, br, …) or inside <svg>; attributes quoted with '"', no
// attribute twice; in text and attribute values '<' never, '>' never, and '&'
// only as a character reference (&amp; &lt; &gt; &quot; &#39; &#N; &#xN;);
// <style> holding no '<'. Anything else (a comment, a <script>, an unclosed or
// crossed element) is refused with the reason.
#ifndef KESTROVA_TESTS_CLI_WELL_FORMED_HTML_H_
#define KESTROVA_TESTS_CLI_WELL_FORMED_HTML_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrova::testing {

struct HtmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // values with references decoded
  std::string text;                                             // the element's own text, references decoded
  std::size_t parent = static_cast<std::size_t>(-1);

  const std::string* Attribute(std::string_view key) const {
    for (const auto& [k, v] : attributes) {
      if (k == key) return &v;
    }
    return nullptr;
  }
  bool HasClass(std::string_view cls) const {
    const std::string* value = Attribute("class");
    if (value == nullptr) return false;
    std::string_view rest = *value;
    while (!rest.empty()) {
      const std::size_t space = rest.find(' ');
      if (rest.substr(0, space) == cls) return true;
      if (space == std::string_view::npos) break;
      rest.remove_prefix(space + 1);
    }
    return false;
  }
};

struct HtmlDocument {
  bool ok = false;
  std::string error;                  // why not, with the byte offset
  std::vector<HtmlElement> elements;  // in document order
};

namespace detail {

inline bool ValidUtf8(std::string_view s, std::size_t& at) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned lo = 0x80, hi = 0xBF;
    if (b < 0x80) {
      if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7F) {
        at = i;
        return false;
      }
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      n = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      at = i;
      return false;
    }
    if (i + n >= s.size()) {
      at = i;
      return false;
    }
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) {
        at = i;
        return false;
      }
    }
    i += n + 1;
  }
  return true;
}

inline bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == ':' || c == '.';
}

inline bool IsVoid(std::string_view name) {
  for (std::string_view v : {"meta", "br", "hr", "img", "input", "link", "col", "wbr"}) {
    if (name == v) return true;
  }
  return false;
}

inline void AppendCodePoint(unsigned long c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes text up to `end` (exclusive); false at a stray '<', '>' or '&'.
inline bool DecodeText(std::string_view s, std::size_t from, std::size_t end, char quote, std::string& out,
                       std::size_t& bad) {
  for (std::size_t i = from; i < end; ++i) {
    const char c = s[i];
    if (c == '<' || c == '>' || (quote != 0 && c == quote)) {
      bad = i;
      return false;
    }
    if (c != '&') {
      out += c;
      continue;
    }
    const std::size_t semi = s.find(';', i);
    if (semi == std::string_view::npos || semi >= end || semi - i > 10) {
      bad = i;
      return false;
    }
    const std::string_view ref = s.substr(i + 1, semi - i - 1);
    const std::pair<std::string_view, char> named[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    bool known = false;
    for (const auto& [n, ch] : named) {
      if (ref == n) {
        out += ch;
        known = true;
      }
    }
    if (!known) {
      const bool hex = ref.size() > 2 && ref[0] == '#' && (ref[1] == 'x' || ref[1] == 'X');
      const std::string_view digits = ref.substr(hex ? 2 : 1);
      unsigned long value = 0;
      bool ok = ref.size() > 1 && ref[0] == '#' && !digits.empty();
      for (char d : digits) {
        int v = -1;
        if (d >= '0' && d <= '9') v = d - '0';
        if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
        if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
        if (v < 0) ok = false;
        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(v < 0 ? 0 : v);
      }
      ok = ok && value >= 0x20 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF) &&
           value != 0xFFFE && value != 0xFFFF;
      if (!ok) {
        bad = i;
        return false;
      }
      AppendCodePoint(value, out);
    }
    i = semi;
  }
  return true;
}

}  // namespace detail

inline HtmlDocument ParseStrictHtml(std::string_view s) {
  HtmlDocument doc;
  const auto fail = [&](std::size_t at, const std::string& why) {
    doc.ok = false;
    doc.error = why + " at byte " + std::to_string(at);
    return doc;
  };
  std::size_t bad = 0;
  if (!detail::ValidUtf8(s, bad)) return fail(bad, "not UTF-8 or a control character");
  constexpr std::string_view kDoctype = "<!DOCTYPE html>";
  if (s.substr(0, kDoctype.size()) != kDoctype) return fail(0, "no <!DOCTYPE html>");
  std::vector<std::size_t> open;  // element indices
  std::size_t roots = 0;
  std::size_t i = kDoctype.size();
  while (i < s.size()) {
    const std::size_t lt = s.find('<', i);
    const std::size_t end = lt == std::string_view::npos ? s.size() : lt;
    std::string text;
    if (!detail::DecodeText(s, i, end, 0, text, bad)) return fail(bad, "a stray '<', '>' or '&' in text");
    if (open.empty()) {
      if (text.find_first_not_of(" \t\r\n") != std::string::npos) return fail(i, "text outside <html>");
    } else {
      doc.elements[open.back()].text += text;
    }
    if (lt == std::string_view::npos) break;
    i = lt + 1;
    if (i < s.size() && s[i] == '/') {
      std::size_t j = i + 1;
      while (j < s.size() && detail::IsNameChar(s[j])) ++j;
      const std::string_view name = s.substr(i + 1, j - i - 1);
      if (j >= s.size() || s[j] != '>') return fail(j, "a bad end tag");
      if (open.empty() || doc.elements[open.back()].name != name) {
        return fail(lt, "</" + std::string(name) + "> does not close the open element");
      }
      open.pop_back();
      i = j + 1;
      continue;
    }
    std::size_t j = i;
    while (j < s.size() && detail::IsNameChar(s[j])) ++j;
    const std::string name(s.substr(i, j - i));
    if (name.empty() || !((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'))) {
      return fail(lt, "a '<' that opens no element (comment, declaration or stray)");
    }
    bool inSvg = name == "svg";
    for (std::size_t e : open) inSvg = inSvg || doc.elements[e].name == "svg";
    if (!inSvg && name.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos) {
      return fail(lt, "an HTML element name not in lower case");
    }
    if (name == "script") return fail(lt, "a script");
    HtmlElement element;
    element.name = name;
    element.parent = open.empty() ? static_cast<std::size_t>(-1) : open.back();
    bool selfClosed = false;
    for (;;) {
      const std::size_t before = j;
      while (j < s.size() && (s[j] == ' ' || s[j] == '\n' || s[j] == '\t' || s[j] == '\r')) ++j;
      if (j >= s.size()) return fail(lt, "an unclosed tag");
      if (s[j] == '>') {
        ++j;
        break;
      }
      if (s[j] == '/' && j + 1 < s.size() && s[j + 1] == '>') {
        selfClosed = true;
        j += 2;
        break;
      }
      if (j == before) return fail(j, "no space before an attribute");
      std::size_t k = j;
      while (k < s.size() && detail::IsNameChar(s[k])) ++k;
      const std::string key(s.substr(j, k - j));
      if (key.empty() || k + 1 >= s.size() || s[k] != '=' || s[k + 1] != '"') {
        return fail(j, "an attribute not written name=\"value\"");
      }
      if (element.Attribute(key) != nullptr) return fail(j, "attribute " + key + " twice");
      const std::size_t close = s.find('"', k + 2);
      if (close == std::string_view::npos) return fail(k, "an unclosed attribute value");
      std::string value;
      if (!detail::DecodeText(s, k + 2, close, '"', value, bad)) {
        return fail(bad, "a stray '<', '>' or '&' in an attribute");
      }
      element.attributes.emplace_back(key, std::move(value));
      j = close + 1;
    }
    i = j;
    const bool isVoid = !inSvg && detail::IsVoid(name);
    if (selfClosed && !inSvg && !isVoid) return fail(lt, "<" + name + "/> is not closed in HTML");
    if (isVoid && !selfClosed) return fail(lt, "void element <" + name + "> not written <" + name + " />");
    if (open.empty()) {
      if (++roots > 1 || name != "html") return fail(lt, "the page is not one <html> element");
    }
    doc.elements.push_back(std::move(element));
    if (name == "style" && !selfClosed) {
      const std::size_t endStyle = s.find("</style>", i);
      if (endStyle == std::string_view::npos) return fail(lt, "an unclosed <style>");
      const std::string_view css = s.substr(i, endStyle - i);
      if (css.find('<') != std::string_view::npos) return fail(i, "a '<' in <style>");
      doc.elements.back().text = std::string(css);
      i = endStyle + 8;
      continue;
    }
    if (!selfClosed) open.push_back(doc.elements.size() - 1);
  }
  if (!open.empty()) return fail(s.size(), "<" + doc.elements[open.back()].name + "> is never closed");
  if (roots != 1) return fail(s.size(), "no <html> element");
  doc.ok = true;
  return doc;
}

}  // namespace kestrova::testing

#endif  // KESTROVA_TESTS_CLI_WELL_FORMED_HTML_H_
