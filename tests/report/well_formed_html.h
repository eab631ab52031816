// The pages kestrova-cli writes, read back for the tests and the fuzz target by
// libxml2's XML parser. A page is accepted only when it starts with
// "<!DOCTYPE html>" and is well-formed XML with one <html> root - so every
// element is closed by its own end tag or written "<name … />", attributes are
// quoted and not repeated, '<' and '&' appear only as markup and references,
// and the text is valid UTF-8 without control characters - and when it holds
// no comment, processing instruction, CDATA section or <script>. Its elements
// come back in document order, so that tests can look at the chart.
#ifndef KESTROVA_TESTS_CLI_WELL_FORMED_HTML_H_
#define KESTROVA_TESTS_CLI_WELL_FORMED_HTML_H_

#include <libxml/parser.h>
#include <libxml/tree.h>

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
  std::string error;                  // why not, with the line
  std::vector<HtmlElement> elements;  // in document order
};

namespace detail {

inline std::string Text(const xmlChar* text) {
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

inline HtmlElement ElementOf(xmlDoc* tree, const xmlNode* node, std::size_t parent) {
  HtmlElement element;
  element.name = Text(node->name);
  element.parent = parent;
  for (xmlAttr* a = node->properties; a != nullptr; a = a->next) {
    xmlChar* value = xmlNodeListGetString(tree, a->children, 1);
    element.attributes.emplace_back(Text(a->name), Text(value));
    xmlFree(value);
  }
  return element;
}

// Appends the element children of `node` below `parent`; false with `error`
// for anything a page may not hold.
inline bool CollectElements(xmlDoc* tree, xmlNode* node, std::size_t parent, HtmlDocument& doc) {
  for (xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE) {
      doc.elements[parent].text += Text(child->content);
      continue;
    }
    if (child->type != XML_ELEMENT_NODE) {
      doc.error = "a comment, processing instruction or CDATA section at line " + std::to_string(child->line);
      return false;
    }
    if (Text(child->name) == "script") {
      doc.error = "a <script> at line " + std::to_string(child->line);
      return false;
    }
    doc.elements.push_back(ElementOf(tree, child, parent));
    if (!CollectElements(tree, child, doc.elements.size() - 1, doc)) return false;
  }
  return true;
}

}  // namespace detail

inline HtmlDocument ParseStrictHtml(std::string_view page) {
  HtmlDocument doc;
  if (page.substr(0, 15) != "<!DOCTYPE html>") {
    doc.error = "the page does not start with <!DOCTYPE html>";
    return doc;
  }
  xmlDoc* tree = xmlReadMemory(page.data(), static_cast<int>(page.size()), "page.html", "UTF-8",
                               XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (tree == nullptr) {
    const xmlError* e = xmlGetLastError();
    doc.error = e != nullptr ? detail::Text(reinterpret_cast<const xmlChar*>(e->message)) + " at line " +
                                   std::to_string(e->line)
                             : "not well-formed";
    return doc;
  }
  xmlNode* root = xmlDocGetRootElement(tree);
  if (root == nullptr || detail::Text(root->name) != "html") {
    doc.error = "the root element is not <html>";
  } else {
    doc.elements.push_back(detail::ElementOf(tree, root, static_cast<std::size_t>(-1)));
    doc.ok = detail::CollectElements(tree, root, 0, doc);
  }
  for (xmlNode* n = tree->children; doc.ok && n != nullptr; n = n->next) {
    if (n->type == XML_COMMENT_NODE || n->type == XML_PI_NODE) {
      doc.error = "a comment or processing instruction outside <html>";
      doc.ok = false;
    }
  }
  xmlFreeDoc(tree);
  return doc;
}

}  // namespace kestrova::testing

#endif  // KESTROVA_TESTS_CLI_WELL_FORMED_HTML_H_
