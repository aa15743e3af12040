#pragma once

#include <expat.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace virlo::test {

// Reads what the exporters write with expat, which takes only well-formed
// XML 1.0: valid UTF-8 of allowed characters, one root element, no "<" in
// attribute values, and every "&" a predefined entity or a character reference.
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
    Reader reader;
    const XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, Reader::Start, Reader::End);
    XML_SetCharacterDataHandler(parser, Reader::Text);
    const bool parsed = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    if (!parsed) {
      error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
              std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    if (!parsed) return std::nullopt;
    return std::move(*reader.root);
  }

 private:
  // Builds the elements as expat reports them.
  struct Reader {
    std::unique_ptr<Element> root;
    std::vector<Element*> open;

    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
      auto* reader = static_cast<Reader*>(data);
      auto element = std::make_unique<Element>();
      element->name = name;
      for (const XML_Char** a = attributes; *a != nullptr; a += 2) element->attributes.emplace(a[0], a[1]);
      Element* made = element.get();
      if (reader->open.empty()) {
        reader->root = std::move(element);
      } else {
        reader->open.back()->children.push_back(std::move(element));
      }
      reader->open.push_back(made);
    }
    static void End(void* data, const XML_Char*) { static_cast<Reader*>(data)->open.pop_back(); }
    static void Text(void* data, const XML_Char* text, int length) {
      auto* reader = static_cast<Reader*>(data);
      if (!reader->open.empty()) reader->open.back()->text.append(text, static_cast<std::size_t>(length));
    }
  };
};

}  // namespace virlo::test
