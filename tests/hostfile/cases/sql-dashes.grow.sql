-- Tables of the two parts.
--
-- +------+    +------+
-- | one  |--->| two  |
-- +------+    +------+
--   note
--
-- +------+
-- |      |
-- +------+
CREATE TABLE one (id INTEGER);
CREATE TABLE two (id INTEGER);
