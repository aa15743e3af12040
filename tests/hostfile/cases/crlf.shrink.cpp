// The two parts.
//
// +------+    +------+
// | one  |--->| two  |
// +------+    +------+
int parts = 2;
