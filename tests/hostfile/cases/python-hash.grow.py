import sys


def run():
    # How one passes to two:
    #
    # +------+    +------+	
    # | one  |--->| two  |
    # +------+    +------+
    #   note
    #
    # +------+
    # |      |
    # +------+
    return 0
