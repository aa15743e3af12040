#include "store/TypeLayout.h"

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <utility>

#include "store/FieldVisitor.h"
#include "store/TypeDescription.h"

namespace virlo::store {
namespace {

class LayoutVisitor : public FieldVisitor {
 public:
  LayoutVisitor(const char* base, std::vector<TypeLayout::Part>& parts, std::vector<TypeLayout::Field>& fields)
      : base_(base), parts_(parts), fields_(fields) {}

  void Int32(const char* name, std::int32_t& value) override {
    Add(TypeLayout::FieldKind::Int32, name, nullptr, &value);
  }
  void UInt32(const char* name, std::uint32_t& value) override {
    Add(TypeLayout::FieldKind::UInt32, name, nullptr, &value);
  }
  void Reference(const char* name, void*& target, const TypeDescription* expected) override {
    Add(TypeLayout::FieldKind::Reference, name, expected, &target);
  }
  void TransientReference(const char* name, void*& target) override {
    Add(TypeLayout::FieldKind::Transient, name, nullptr, &target);
  }
  void ReferenceAt(const char* name, void*&, const TypeDescription* expected, const void* field) override {
    Add(TypeLayout::FieldKind::Reference, name, expected, field);
  }
  void TransientReferenceAt(const char* name, void*&, const void* field) override {
    Add(TypeLayout::FieldKind::Transient, name, nullptr, field);
  }
  void Since(std::int32_t version) override { since_ = version; }
  // A member added in a version brings all its fields in that version.
  void Embedded(const char* name, void* member, const TypeDescription& type) override {
    const std::string saved = prefix_;
    const std::int32_t outerSince = memberSince_;
    memberSince_ = std::max(memberSince_, std::exchange(since_, 1));
    prefix_ += std::string(name) + ".";
    const auto offset = static_cast<std::size_t>(static_cast<const char*>(member) - base_);
    parts_.push_back({offset, &type, prefix_.substr(0, prefix_.size() - 1)});
    type.DescribeFields(member, *this);
    prefix_ = saved;
    memberSince_ = outerSince;
  }

 private:
  void Add(TypeLayout::FieldKind kind, const char* name, const TypeDescription* expected, const void* field) {
    const auto offset = static_cast<std::size_t>(static_cast<const char*>(field) - base_);
    fields_.push_back({kind, prefix_ + name, expected, offset, std::max(since_, memberSince_)});
    since_ = 1;
  }

  const char* base_;
  std::vector<TypeLayout::Part>& parts_;
  std::vector<TypeLayout::Field>& fields_;
  std::string prefix_;
  std::int32_t since_ = 1;
  std::int32_t memberSince_ = 1;
};

}  // namespace

TypeLayout::TypeLayout(const TypeDescription& type) {
  parts_.push_back({0, &type, ""});
  if (type.IsAbstract() || &type == &TypeDescription::Char()) return;
  // A blank instance owns nothing, so its memory can go without a destructor.
  void* memory = ::operator new(type.Size());
  type.ConstructBlank(memory);
  LayoutVisitor visitor(static_cast<const char*>(memory), parts_, fields_);
  type.DescribeFields(memory, visitor);
  ::operator delete(memory);
}

std::size_t TypeLayout::EncodedSize(std::int32_t version) const {
  std::size_t size = 0;
  for (const Field& field : fields_) {
    if (field.since > version) continue;
    if (field.kind == FieldKind::Reference) size += ReferenceBytes;
    if (field.kind == FieldKind::Int32 || field.kind == FieldKind::UInt32) size += IntBytes;
  }
  return size;
}

const TypeLayout& TypeLayout::Of(const TypeDescription& type) {
  static std::map<const TypeDescription*, std::unique_ptr<TypeLayout>> layouts;
  auto& layout = layouts[&type];
  if (layout == nullptr) layout.reset(new TypeLayout(type));
  return *layout;
}

long TypeLayout::PartAt(std::size_t offset, const TypeDescription* expected) const {
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    if (parts_[i].offset == offset && (expected == nullptr || parts_[i].type->IsA(*expected))) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

}  // namespace virlo::store
