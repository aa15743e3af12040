#include "objects/DotSelDialog.h"

#include "objects/Dot.h"
#include "objects/MarkerTable.h"

namespace virlo {

void DotSelDialog::DoDataExchange(DataExchange& dx) {
  DialogControl& list = dx.Control(MarkerList);
  if (list.items.empty()) {
    for (std::int32_t type = 0; type < MarkerTable::Count; ++type) {
      list.items.emplace_back(MarkerTable::Entry(type));
    }
    list.value = dot_->marker;
  }
  // The marker is always one of the list's indices; a list without a selection keeps it.
  if (MarkerTable::IsValid(list.value)) dot_->marker = list.value;
}

}  // namespace virlo
