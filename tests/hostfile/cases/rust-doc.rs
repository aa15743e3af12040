/// Passes one to two.
///
/// ```text
/// +------+    +------+
/// | one  |--->| two  |
/// +------+    +------+
///   note
/// ```
pub fn pass() {}
