#!/usr/bin/env python3
"""Converts a UTF-8 text file to UTF-16LE with a byte-order mark: utf16.py IN OUT."""
import sys

with open(sys.argv[1], encoding="utf-8") as src:
    text = src.read()
with open(sys.argv[2], "wb") as dst:
    dst.write(b"\xff\xfe" + text.encode("utf-16-le"))
