#!/usr/bin/python3
"""Parses every file of a folder with python3-vobject; prints what fails and exits 1 when any does."""
import os
import sys

import vobject

failed = 0
for name in sorted(os.listdir(sys.argv[1])):
    with open(os.path.join(sys.argv[1], name), encoding="utf-8") as card:
        try:
            parsed = vobject.readOne(card.read())
            if parsed.name != "VCARD" or "fn" not in parsed.contents:
                raise ValueError("not a vCard with FN")
        except Exception as error:  # every complaint of the parser counts
            print("%s: %s" % (name, error))
            failed += 1
sys.exit(1 if failed else 0)
