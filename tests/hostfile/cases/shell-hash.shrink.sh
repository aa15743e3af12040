#!/bin/sh
# Starts both parts.
#
# +------+    +------+
# | one  |--->| two  |
# +------+    +------+

exec ./one | ./two
