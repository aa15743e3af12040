#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace virlo::test {

// A small, strict reader of XML 1.0 documents, enough to prove that what the
// exporters write is well-formed and to look inside it: an optional
// declaration, comments, one root element, nested elements with quoted,
// unique attributes, the five predefined entities and character references.
// No DTD, no processing instructions besides the declaration, no CDATA.
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
      Collect(which, found);
      return found;
    }
    std::string Attribute(const std::string& key) const {
      const auto it = attributes.find(key);
      return it == attributes.end() ? std::string() : it->second;
    }

   private:
    void Collect(std::string_view which, std::vector<const Element*>& found) const {
      for (const auto& child : children) {
        if (child->name == which) found.push_back(child.get());
        child->Collect(which, found);
      }
    }
  };

  // The root element, or nothing with the first fault and its byte offset.
  static std::optional<Element> Parse(std::string_view xml, std::string& error) {
    XmlDocument reader(xml);
    Element root;
    if (reader.ReadDocument(root)) return root;
    error = reader.error_ + " at byte " + std::to_string(reader.pos_);
    return std::nullopt;
  }

 private:
  explicit XmlDocument(std::string_view xml) : xml_(xml) {}

  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  bool AtEnd() const { return pos_ >= xml_.size(); }
  bool LooksAt(std::string_view s) const { return xml_.substr(pos_).starts_with(s); }
  void SkipBlanks() {
    while (!AtEnd() && (xml_[pos_] == ' ' || xml_[pos_] == '\t' || xml_[pos_] == '\n' || xml_[pos_] == '\r')) ++pos_;
  }

  // Every character must be valid UTF-8 and allowed by XML 1.0.
  bool CheckCharacters() {
    std::size_t i = 0;
    while (i < xml_.size()) {
      const auto b = static_cast<unsigned char>(xml_[i]);
      std::uint32_t cp = b;
      std::size_t length = 1;
      if (b >= 0x80) {
        length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > xml_.size()) {
          pos_ = i;
          return Fail("invalid UTF-8");
        }
        cp = b & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
          const auto c = static_cast<unsigned char>(xml_[i + k]);
          if ((c & 0xC0) != 0x80) {
            pos_ = i;
            return Fail("invalid UTF-8");
          }
          cp = (cp << 6) | (c & 0x3F);
        }
      }
      const bool allowed = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
                           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
      if (!allowed) {
        pos_ = i;
        return Fail("a character XML does not allow");
      }
      i += length;
    }
    return true;
  }

  bool ReadDocument(Element& root) {
    if (!CheckCharacters()) return false;
    if (LooksAt("<?xml")) {
      const std::size_t end = xml_.find("?>", pos_);
      if (end == std::string_view::npos) return Fail("unclosed declaration");
      pos_ = end + 2;
    }
    if (!SkipMisc()) return false;
    if (!LooksAt("<")) return Fail("no root element");
    if (!ReadElement(root)) return false;
    if (!SkipMisc()) return false;
    if (!AtEnd()) return Fail("content after the root element");
    return true;
  }

  bool SkipMisc() {
    for (;;) {
      SkipBlanks();
      if (!LooksAt("<!--")) return true;
      const std::size_t end = xml_.find("-->", pos_ + 4);
      if (end == std::string_view::npos) return Fail("unclosed comment");
      pos_ = end + 3;
    }
  }

  static bool NameChar(char c, bool first) {
    const auto b = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || b >= 0x80) return true;
    return !first && ((c >= '0' && c <= '9') || c == '-' || c == '.');
  }

  bool ReadName(std::string& name) {
    const std::size_t start = pos_;
    while (!AtEnd() && NameChar(xml_[pos_], pos_ == start)) ++pos_;
    if (pos_ == start) return Fail("a name expected");
    name = std::string(xml_.substr(start, pos_ - start));
    return true;
  }

  // Character data up to the next '<' (or the quote), references resolved.
  bool ReadCharacters(char stop, std::string& out) {
    while (!AtEnd() && xml_[pos_] != stop && xml_[pos_] != '<') {
      const char c = xml_[pos_];
      if (c == '>' && stop == '<' && pos_ >= 2 && xml_.substr(pos_ - 2, 3) == "]]>") return Fail("']]>' in text");
      if (c != '&') {
        out += c;
        ++pos_;
        continue;
      }
      const std::size_t semi = xml_.find(';', pos_);
      if (semi == std::string_view::npos) return Fail("unterminated reference");
      const std::string_view ref = xml_.substr(pos_ + 1, semi - pos_ - 1);
      static const std::map<std::string_view, char> named{
          {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
      if (const auto it = named.find(ref); it != named.end()) {
        out += it->second;
      } else if (ref.starts_with("#")) {
        const bool hex = ref.starts_with("#x");
        const std::string digits(ref.substr(hex ? 2 : 1));
        if (digits.empty() ||
            digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
          return Fail("bad character reference");
        }
        const unsigned long cp = std::stoul(digits, nullptr, hex ? 16 : 10);
        if (cp == 0 || cp > 0x10FFFF || (cp < 0x20 && cp != 0x9 && cp != 0xA && cp != 0xD)) {
          return Fail("character reference to a character XML does not allow");
        }
        out += '?';  // the checks here need no more than that it is one character
      } else {
        return Fail("unknown entity '" + std::string(ref) + "'");
      }
      pos_ = semi + 1;
    }
    return true;
  }

  bool ReadElement(Element& element) {
    ++pos_;  // '<'
    if (!ReadName(element.name)) return false;
    for (;;) {
      const std::size_t before = pos_;
      SkipBlanks();
      if (LooksAt("/>")) {
        pos_ += 2;
        return true;
      }
      if (LooksAt(">")) {
        ++pos_;
        break;
      }
      if (pos_ == before) return Fail("blank expected between attributes");
      std::string key;
      if (!ReadName(key)) return false;
      SkipBlanks();
      if (!LooksAt("=")) return Fail("'=' expected after attribute " + key);
      ++pos_;
      SkipBlanks();
      if (AtEnd() || (xml_[pos_] != '"' && xml_[pos_] != '\'')) return Fail("quoted value expected");
      const char quote = xml_[pos_++];
      std::string value;
      if (!ReadCharacters(quote, value)) return false;
      if (AtEnd() || xml_[pos_] != quote) return Fail("'<' in an attribute value");
      ++pos_;
      if (!element.attributes.emplace(key, value).second) return Fail("attribute " + key + " given twice");
    }
    for (;;) {
      if (!ReadCharacters('<', element.text)) return false;
      if (AtEnd()) return Fail("element " + element.name + " not closed");
      if (LooksAt("</")) {
        pos_ += 2;
        std::string name;
        if (!ReadName(name)) return false;
        if (name != element.name) return Fail("</" + name + "> closes <" + element.name + ">");
        SkipBlanks();
        if (!LooksAt(">")) return Fail("'>' expected");
        ++pos_;
        return true;
      }
      if (LooksAt("<!--")) {
        const std::size_t end = xml_.find("-->", pos_ + 4);
        if (end == std::string_view::npos) return Fail("unclosed comment");
        pos_ = end + 3;
        continue;
      }
      if (LooksAt("<!") || LooksAt("<?")) return Fail("markup this reader does not take");
      auto child = std::make_unique<Element>();
      if (!ReadElement(*child)) return false;
      element.children.push_back(std::move(child));
    }
  }

  std::string_view xml_;
  std::size_t pos_ = 0;
  std::string error_;
};

}  // namespace virlo::test
