local M = {}

--- Passes one to two.
---
--- +------+    +------+
--- | one  |--->| two  |
--- +------+    +------+
function M.pass() end

return M
