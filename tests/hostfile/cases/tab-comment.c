int main(void) {
	int n = 0;
	// n goes from one to two:
	// +------+    +------+
	// | one  |--->| two  |
	// +------+    +------+
	//   note
	return n;
}
