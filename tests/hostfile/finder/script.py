#!/usr/bin/env python3
# A run of comments with a diagram at its end:
#
#   [in] --> [out]
x = a | b  # trailing comment, code before it
    # An indented run of its own:
    #   +---+
    #   | y |
    #   +---+
def f():
    pass
