#include "store/ObjectNumbering.h"

#include "store/Database.h"
#include "store/FieldVisitor.h"
#include "store/TypeDescription.h"
#include "store/TypeLayout.h"

namespace virlo::store {
namespace {

bool IsChars(const TypeDescription* type) { return type == &TypeDescription::Char(); }

class ReferenceWalk : public FieldVisitor {
 public:
  explicit ReferenceWalk(std::vector<const void*>& targets) : targets_(targets) {}
  void Int32(const char*, std::int32_t&) override {}
  void UInt32(const char*, std::uint32_t&) override {}
  void Reference(const char*, void*& target, const TypeDescription*) override { targets_.push_back(target); }
  void TransientReference(const char*, void*&) override {}
  void Embedded(const char*, void* member, const TypeDescription& type) override { type.DescribeFields(member, *this); }

 private:
  std::vector<const void*>& targets_;
};

}  // namespace

bool ObjectNumbering::Run(std::string& error) {
  for (const auto& root : db_.Roots()) Reach(root->GetValue());
  std::vector<const void*> targets;
  ReferenceWalk walk(targets);
  for (std::size_t i = 0; i < order_.size() && error_.empty(); ++i) {
    const std::uintptr_t begin = order_[i];
    const Allocation* allocation = db_.Find(reinterpret_cast<const void*>(begin));
    if (IsChars(allocation->type)) continue;
    targets.clear();
    for (std::size_t k = 0; k < allocation->count; ++k) {
      allocation->type->DescribeFields(reinterpret_cast<void*>(begin + k * allocation->size), walk);
    }
    for (const void* target : targets) Reach(target);
  }
  error = error_;
  return error_.empty();
}

void ObjectNumbering::Reach(const void* target) {
  if (target == nullptr) return;
  const void* begin = nullptr;
  if (db_.Find(target, &begin) == nullptr) {
    error_ = "the document refers to memory outside itself";
    return;
  }
  const auto key = reinterpret_cast<std::uintptr_t>(begin);
  if (ids_.count(key) != 0) return;
  ids_.emplace(key, static_cast<std::uint32_t>(order_.size() + 1));
  order_.push_back(key);
}

bool ObjectNumbering::Encode(const void* target, const TypeDescription* expected, std::uint32_t& id,
                             std::uint32_t& part) const {
  id = 0;
  part = 0;
  if (target == nullptr) return true;
  const void* begin = nullptr;
  const Allocation* allocation = db_.Find(target, &begin);
  if (allocation == nullptr) return false;
  const auto found = ids_.find(reinterpret_cast<std::uintptr_t>(begin));
  if (found == ids_.end()) return false;
  id = found->second;
  const auto offset = static_cast<std::size_t>(static_cast<const char*>(target) - static_cast<const char*>(begin));
  if (IsChars(allocation->type)) {
    part = static_cast<std::uint32_t>(offset);
    return true;
  }
  if (allocation->count != 1) return false;
  const long index = TypeLayout::Of(*allocation->type).PartAt(offset, expected);
  if (index < 0) return false;
  part = static_cast<std::uint32_t>(index);
  return true;
}

}  // namespace virlo::store
