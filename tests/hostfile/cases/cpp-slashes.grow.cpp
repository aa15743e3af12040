#include <string>

namespace parts {

// One passes to two:
//
// +------+    +------+
// | one  |--->| two  |
// +------+    +------+
//   note
//
// +------+
// |      |
// +------+
void Pass();

}  // namespace parts
