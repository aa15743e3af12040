#include <stdio.h>

/**
 * Passes one to two.
 *
 * +------+    +------+
 * | one  |--->| two  |
 * +------+    +------+
 *   note
 *
 * Returns 0.
 */
int pass(void) { return 0; }
