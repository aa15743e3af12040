import sys


def run():
    # How one passes to two:
    #
    # +------+    +------+	
    # | one  |--->| two  |
    # +------+    +------+
    return 0
