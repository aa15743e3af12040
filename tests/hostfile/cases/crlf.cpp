// The two parts.
//
// +------+    +------+
// | one  |--->| two  |
// +------+    +------+
//   note
int parts = 2;
