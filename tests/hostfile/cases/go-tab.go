package flow

// Pass hands one to two:
//
//	+------+    +------+
//	| one  |--->| two  |
//	+------+    +------+
//	  note
func Pass() {}
