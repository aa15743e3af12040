#!/bin/sh
# Starts both parts.
#
# +------+    +------+
# | one  |--->| two  |
# +------+    +------+
#   note

exec ./one | ./two
