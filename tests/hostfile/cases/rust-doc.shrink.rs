/// Passes one to two.
///
/// ```text
/// +------+    +------+
/// | one  |--->| two  |
/// +------+    +------+
/// ```
pub fn pass() {}
