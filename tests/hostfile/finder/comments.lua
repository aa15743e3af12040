--------------------------------------------------------------
-- The module
--------------------------------------------------------------
local M = {}

--- The state machine:
---   idle ---> busy
---    ^         |
---    +---------+
function M.step() end
-- -> a note with an arrow in it is prose all the same
return M
