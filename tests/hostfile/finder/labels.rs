//! Labels at a diagram's edge belong to it, and so do labels set under it
//! after a blank line, and headings over its columns; a sentence does not.
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
//!
//! Then the pipe, with the names of its ends under it.
//!
//!   +----+    +-----+
//!   | in |--->| out |
//!   +----+    +-----+
//!
//!    reader    writer
//!
//! Both ends close together.
//!
//! The exchange, headed by its two parties:
//!
//! CLIENT:                 SERVER:
//!
//!   |                       |
//!   |------- hello -------->|
//!   |<------ welcome -------|
//!
//! That is all it says.
//!
//! A name that goes on under itself, even as a sentence:
//!
//!   START ---> Mark txn success & nuke <-+
//!                from db; incr AS pos.   |
//!                   Reset backoff.    ---+
//! The loop ends there.
//!
//! A short title set deep in over the art after a blank line is its own:
//!
//!                  Push and play (WHIP/WHEP)
//!
//!   +--------+      +--------+
//!   | pusher |----->| player |
//!   +--------+      +--------+
//!
//! One that ends as a sentence is not:
//!
//!                  The pusher sends to the player.
//!
//!   +--------+      +--------+
//!   | pusher |----->| player |
//!   +--------+      +--------+
//!
//! A key right under the art is its own; a sentence after it is not:
//!
//!   +--------+      +--------+
//!   |  WHIP  |----->|  WHEP  |
//!   +--------+      +--------+
//!   - WHIP: WebRTC-HTTP Ingestion Protocol
//!   - WHEP: WebRTC-HTTP Egress Protocol
//!
//! The end.
fn main() {}
