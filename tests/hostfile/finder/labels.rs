//! Labels at a diagram's edge belong to it; a sentence does not.
//!
//! The crate graph, as cargo prints it:
//! foo v0.1.0 (/work/foo)
//! |-- a v1.0.0
//! |   `-- b v1.0.0
//! `-- c v1.0.0
//!
//! The states:
//!                      decode returns Err
//!   +-------+        +--------+
//!   | Frame | -----> | Failed |
//!   +-------+        +--------+
//! Each frame is read in turn.
fn main() {}
