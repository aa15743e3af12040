#pragma once

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace virlo::test {

// Reads what the exporters write with tinyxml2, and adds the checks of XML 1.0
// that tinyxml2 leaves out, so a document that passes is well-formed: valid
// UTF-8 of allowed characters, one root element, no "<" in attribute values,
// and every "&" one of the five predefined entities or a character reference.
class XmlDocument {
 public:
  struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    // Character data directly inside, references resolved.
    std::string text;
    std::vector<std::unique_ptr<Element>> children;

    // Every element below this one (not itself) with the name, document order.
    std::vector<const Element*> FindAll(std::string_view which) const {
      std::vector<const Element*> found;
      for (const auto& child : children) {
        if (child->name == which) found.push_back(child.get());
        const std::vector<const Element*> below = child->FindAll(which);
        found.insert(found.end(), below.begin(), below.end());
      }
      return found;
    }
    // Every element below with the name, each as "key=value" for the keys,
    // joined by blanks; the key "#text" gives its character data.
    std::vector<std::string> Described(std::string_view which, std::initializer_list<std::string> keys) const {
      std::vector<std::string> described;
      for (const Element* e : FindAll(which)) {
        std::string line;
        for (const std::string& key : keys) {
          line += (line.empty() ? "" : " ") + key + "=" + (key == "#text" ? e->text : e->Attribute(key));
        }
        described.push_back(line);
      }
      return described;
    }
    std::string Attribute(const std::string& key) const {
      const auto it = attributes.find(key);
      return it == attributes.end() ? std::string() : it->second;
    }
  };

  // The root element of what must be well-formed; a failure and no element if it is not.
  static Element Checked(std::string_view xml) {
    std::string error;
    std::optional<Element> root = Parse(xml, error);
    EXPECT_TRUE(root.has_value()) << error << "\n" << xml;
    return root.has_value() ? std::move(*root) : Element{};
  }

  // The root element, or nothing with the first fault.
  static std::optional<Element> Parse(std::string_view xml, std::string& error) {
    error = CharacterFault(xml);
    tinyxml2::XMLDocument resolved;
    tinyxml2::XMLDocument raw(false);  // references left as written
    if (error.empty() && resolved.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) error = resolved.ErrorStr();
    if (error.empty() && raw.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) error = raw.ErrorStr();
    if (error.empty() && resolved.RootElement()->NextSiblingElement() != nullptr) error = "a second root element";
    if (error.empty()) error = MarkupFault(*raw.RootElement());
    if (!error.empty()) return std::nullopt;
    return Read(*resolved.RootElement());
  }

 private:
  static Element Read(const tinyxml2::XMLElement& from) {
    Element element;
    element.name = from.Name();
    for (const tinyxml2::XMLAttribute* a = from.FirstAttribute(); a != nullptr; a = a->Next()) {
      element.attributes.emplace(a->Name(), a->Value());
    }
    for (const tinyxml2::XMLNode* node = from.FirstChild(); node != nullptr; node = node->NextSibling()) {
      if (node->ToText() != nullptr) element.text += node->Value();
      if (node->ToElement() != nullptr) element.children.push_back(std::make_unique<Element>(Read(*node->ToElement())));
    }
    return element;
  }

  // Attribute values and text as written: no "<", and no "&" but a reference.
  static std::string MarkupFault(const tinyxml2::XMLElement& element) {
    std::vector<std::string> written;
    for (const tinyxml2::XMLAttribute* a = element.FirstAttribute(); a != nullptr; a = a->Next()) {
      written.emplace_back(a->Value());
    }
    for (const tinyxml2::XMLNode* node = element.FirstChild(); node != nullptr; node = node->NextSibling()) {
      if (node->ToText() != nullptr) written.emplace_back(node->Value());
      const tinyxml2::XMLElement* child = node->ToElement();
      const std::string fault = child != nullptr ? MarkupFault(*child) : "";
      if (!fault.empty()) return fault;
    }
    for (const std::string& value : written) {
      if (value.find('<') != std::string::npos) return "'<' in <" + std::string(element.Name()) + ">: " + value;
      if (HasBareAmpersand(value)) return "a bare '&' in <" + std::string(element.Name()) + ">: " + value;
    }
    return "";
  }

  // An "&" that does not start a reference XML knows: a named one or a number.
  static bool HasBareAmpersand(const std::string& value) {
    for (std::size_t at = value.find('&'); at != std::string::npos; at = value.find('&', at + 1)) {
      const std::size_t end = value.find(';', at);
      if (end == std::string::npos) return true;
      const std::string name = value.substr(at + 1, end - at - 1);
      const bool named = name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
      const bool hex =
          name.size() > 2 && name[1] == 'x' && name.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
      const bool decimal = name.size() > 1 && name.find_first_not_of("0123456789", 1) == std::string::npos;
      const bool number = !name.empty() && name[0] == '#' && (hex || decimal);
      if (!named && !number) return true;
    }
    return false;
  }

  // Every character valid UTF-8 and one XML 1.0 allows.
  static std::string CharacterFault(std::string_view xml) {
    std::size_t i = 0;
    while (i < xml.size()) {
      const auto b = static_cast<unsigned char>(xml[i]);
      const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
      if (length == 0 || i + length > xml.size()) return "invalid UTF-8 at byte " + std::to_string(i);
      const std::uint32_t lead = b;
      std::uint32_t cp = length == 1 ? lead : lead & (0xFFu >> (length + 1));
      for (std::size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(xml[i + k]);
        if ((c & 0xC0) != 0x80) return "invalid UTF-8 at byte " + std::to_string(i);
        cp = (cp << 6) | (c & 0x3F);
      }
      const bool allowed = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
                           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
      if (!allowed) return "a character XML does not allow at byte " + std::to_string(i);
      i += length;
    }
    return "";
  }
};

}  // namespace virlo::test
