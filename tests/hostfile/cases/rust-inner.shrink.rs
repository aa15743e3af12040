//! The parts of the crate:
//!
//! +------+    +------+
//! | one  |--->| two  |
//! +------+    +------+

pub mod one;
pub mod two;
