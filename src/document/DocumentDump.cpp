#include "document/DocumentDump.h"

#include <cstdio>

#include "platform/Utf8.h"
#include "store/Database.h"
#include "store/FieldVisitor.h"
#include "store/ObjectNumbering.h"
#include "store/TypeDescription.h"

namespace virlo {
namespace {

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

// A text as the document holds it, UTF-8; a byte that is no UTF-8 (a file
// name of another encoding) as "?".
std::string AsUtf8(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t at = i;
    if (Utf8::Decode(bytes, i)) {
      out.append(bytes.substr(at, i - at));
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

class FieldWriter : public store::FieldVisitor {
 public:
  FieldWriter(const store::ObjectNumbering& numbering, std::string& out) : numbering_(numbering), out_(out) {}

  void Int32(const char* name, std::int32_t& value) override { Add(name, std::to_string(value)); }
  void UInt32(const char* name, std::uint32_t& value) override { Add(name, std::to_string(value)); }
  void Reference(const char* name, void*& target, const store::TypeDescription* expected) override {
    std::uint32_t id = 0;
    std::uint32_t part = 0;
    if (!numbering_.Encode(target, expected, id, part)) {
      Add(name, "\"unknown\"");
    } else if (id == 0) {
      Add(name, "null");
    } else {
      Add(name, "[" + std::to_string(id) + ", " + std::to_string(part) + "]");
    }
  }
  void TransientReference(const char*, void*&) override {}
  void Embedded(const char* name, void* member, const store::TypeDescription& type) override {
    const std::string saved = prefix_;
    prefix_ += std::string(name) + ".";
    type.DescribeFields(member, *this);
    prefix_ = saved;
  }

 private:
  void Add(const char* name, const std::string& value) {
    out_ += first_ ? "\n      " : ",\n      ";
    first_ = false;
    out_ += Quote(prefix_ + name) + ": " + value;
  }

  const store::ObjectNumbering& numbering_;
  std::string& out_;
  std::string prefix_;
  bool first_ = true;
};

}  // namespace

bool DocumentDump::Write(const store::Database& db, std::string& json, std::string& error) {
  store::ObjectNumbering numbering(db);
  if (!numbering.Run(error)) return false;
  json = "{\n  \"roots\": {";
  bool first = true;
  for (const auto& root : db.Roots()) {
    std::uint32_t id = 0;
    std::uint32_t part = 0;
    numbering.Encode(root->GetValue(), nullptr, id, part);
    json += first ? "\n    " : ",\n    ";
    first = false;
    json += Quote(root->Name()) + ": [" + std::to_string(id) + ", " + std::to_string(part) + "]";
  }
  json += "\n  },\n  \"objects\": [";
  for (std::size_t i = 0; i < numbering.Order().size(); ++i) {
    const std::uintptr_t begin = numbering.Order()[i];
    const store::Allocation* allocation = db.Find(reinterpret_cast<const void*>(begin));
    json += i == 0 ? "\n    {" : ",\n    {";
    json += "\"id\": " + std::to_string(i + 1) + ", \"type\": " + Quote(allocation->type->Name());
    if (allocation->type == &store::TypeDescription::Char()) {
      const std::string_view bytes(reinterpret_cast<const char*>(begin), allocation->count);
      std::string hex;
      for (char ch : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(ch));
        hex += pair;
      }
      json += ", \"count\": " + std::to_string(allocation->count) + ", \"bytes\": \"" + hex +
              "\", \"text\": " + Quote(AsUtf8(bytes.substr(0, bytes.find('\0')))) + "}";
      continue;
    }
    json += ", \"fields\": {";
    FieldWriter writer(numbering, json);
    allocation->type->DescribeFields(reinterpret_cast<void*>(begin), writer);
    json += "\n    }}";
  }
  json += "\n  ]\n}\n";
  return true;
}

}  // namespace virlo
