#include <stdio.h>
#define BOTH (ONE | TWO)

/*
 * Prose right above the art, no blank line between:
 *   +-----+     +-----+
 *   | one |---->| two |
 *   +-----+     +-----+
 * and prose right under it.
 *
 * Another paragraph of prose: it is no part of any diagram.
 *
 *   +-----+
 *   | top |
 *   +-----+
 *      |
 *
 *     label
 *
 *      v
 *   +--------+
 *   | bottom |
 *   +--------+
 *
 * @return nothing at all.
 */
int main(void) {
  int flags = ONE | TWO;  // not a diagram
  // ------------------------------------------------------------
  // A section heading between rules
  // ------------------------------------------------------------
  /// A doc comment right after the plain ones:
  /// +---+
  /// | x |
  /// +---+
  return flags;
}
