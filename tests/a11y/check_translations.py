#!/usr/bin/python3
"""Runs lupdate over the sources on a copy of every .ts file and compares the result with the
file as it stands: a translation that lupdate would drop or mark obsolete (a text it no
longer finds where the file says, as when tr() is not what lupdate takes it for), and a
text of the sources that has no translation, are faults. Exits 1 with a line per fault.

usage: check_translations.py <lupdate> <src folder> <languages folder>"""
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def entries(path):
    """{(context, source): (translation, type)} of a .ts file."""
    found = {}
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            kind = translation.get("type", "") if translation is not None else "unfinished"
            text = translation.text if translation is not None else None
            found[(name, message.findtext("source"))] = (text, kind)
    return found


def main():
    lupdate, sources, languages = sys.argv[1:4]
    faults = []
    for ts in sorted(f for f in os.listdir(languages) if f.endswith(".ts")):
        with tempfile.TemporaryDirectory() as scratch:
            copy = os.path.join(scratch, ts)
            shutil.copy(os.path.join(languages, ts), copy)
            run = subprocess.run([lupdate, "-no-obsolete", "-locations", "none", sources, "-ts", copy],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                faults.append("%s: lupdate failed: %s" % (ts, run.stderr.strip()))
                continue
            before = entries(os.path.join(languages, ts))
            after = entries(copy)
        for key, (text, kind) in sorted(before.items()):
            if kind in ("obsolete", "vanished", "unfinished"):
                faults.append("%s: %s / %r is marked %s in the file" % (ts, key[0], key[1], kind))
            elif key not in after:
                faults.append("%s: lupdate drops %s / %r" % (ts, key[0], key[1]))
            elif after[key] != (text, kind):
                faults.append("%s: lupdate changes %s / %r to %s" % (ts, key[0], key[1], after[key][1]))
        for key, (_, kind) in sorted(after.items()):
            if key not in before:
                faults.append("%s: no translation for %s / %r" % (ts, key[0], key[1]))
    for fault in faults:
        print("FAULT:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
