//! The parts of the crate:
//!
//! +------+    +------+
//! | one  |--->| two  |
//! +------+    +------+
//!   note

pub mod one;
pub mod two;
