local M = {}

--- Passes one to two.
---
--- +------+    +------+
--- | one  |--->| two  |
--- +------+    +------+
---   note
function M.pass() end

return M
