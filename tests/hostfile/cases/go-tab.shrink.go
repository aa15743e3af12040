package flow

// Pass hands one to two:
//
//	+------+    +------+
//	| one  |--->| two  |
//	+------+    +------+
func Pass() {}
