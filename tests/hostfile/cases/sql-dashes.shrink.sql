-- Tables of the two parts.
--
-- +------+    +------+
-- | one  |--->| two  |
-- +------+    +------+
CREATE TABLE one (id INTEGER);
CREATE TABLE two (id INTEGER);
