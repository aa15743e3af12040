#include <string>

namespace parts {

// One passes to two:
//
// +------+    +------+
// | one  |--->| two  |
// +------+    +------+
void Pass();

}  // namespace parts
