#!/usr/bin/env python3
"""The bash completion of trelmlink and korlink-xfer, run by bash itself
against the real programs in a folder of real files.

usage: completion_test.py COMPLETION_DIR PROGRAM_DIR
"""

import os
import shlex
import subprocess
import sys
import tempfile
import unittest

COMPLETION_DIR = PROGRAM_DIR = None
FILES = ["0123_2005_06_15_12_30_05.bin", "0123_2005_06_15_12_30_05.csv", "temp0000.$$$", "notes.txt"]
FOLDERS = ["Data"]


def complete(function, words, folder, path):
    """COMPREPLY of `function` for the command line `words`, the last being completed."""
    script = (f"source {shlex.quote(os.path.join(COMPLETION_DIR, function[1]))}\n"
              f"COMP_WORDS=({' '.join(shlex.quote(word) for word in words)})\n"
              f"COMP_CWORD={len(words) - 1}\n"
              f"{function[0]}\n"
              'printf "%s\\n" "${COMPREPLY[@]}"\n')
    done = subprocess.run(["bash", "--norc", "--noprofile", "-c", script], cwd=folder, capture_output=True,
                          text=True, timeout=60, env={"PATH": path, "HOME": folder, "LANG": "C.UTF-8"})
    if done.returncode != 0:
        raise AssertionError(f"bash: {done.stderr}")
    return sorted(line for line in done.stdout.splitlines() if line)


TRELMLINK = ("_trelmlink", "trelmlink")
XFER = ("_korlink_xfer", "korlink-xfer")


class Completion(unittest.TestCase):
    # (case, function, words, what must be offered, what must not)
    CASES = [
        ("commands and event files first", TRELMLINK, ["trelmlink", ""],
         ["export", "convert", "retrieve", "0123_2005_06_15_12_30_05.bin", "Data"], ["notes.txt", "temp0000.$$$"]),
        ("command by prefix", TRELMLINK, ["trelmlink", "ret"], ["retrieve"], ["report"]),
        ("program options", TRELMLINK, ["trelmlink", "--"], ["--help", "--version", "--demo"], ["--device"]),
        ("event files for export", TRELMLINK, ["trelmlink", "export", ""],
         ["0123_2005_06_15_12_30_05.bin", "Data"], ["0123_2005_06_15_12_30_05.csv", "notes.txt"]),
        ("any file for convert", TRELMLINK, ["trelmlink", "convert", "t"], ["temp0000.$$$"], []),
        ("retrieve options from its help", TRELMLINK, ["trelmlink", "retrieve", "--d"],
         ["--device", "--dir"], ["--demo"]),
        ("report options from its help", TRELMLINK, ["trelmlink", "report", "x.bin", "--"],
         ["--pdf", "--text", "--summary", "--warnings", "--datalog"], ["--device"]),
        ("terminals for --device", TRELMLINK, ["trelmlink", "retrieve", "--device", "/dev/tty"], ["/dev/tty"], []),
        ("folders for --dir", TRELMLINK, ["trelmlink", "convert", "temp0000.$$$", "--dir", ""],
         ["Data"], ["notes.txt"]),
        ("grid names", TRELMLINK, ["trelmlink", "grids", "x.bin", "--grid", "MSFlexGrid"],
         ["MSFlexGrid1", "MSFlexGrid9"], ["MSFlexGrid5"]),
        ("simulator roles after --demo", TRELMLINK, ["trelmlink", "--demo", "mo"], ["modem", "module"], []),
        ("xfer commands", XFER, ["korlink-xfer", ""], ["receive", "send", "--version"], []),
        ("xfer options from its help", XFER, ["korlink-xfer", "receive", "--p"],
         ["--port", "--parity", "--protocol"], ["--pdf"]),
        ("protocol names and numbers", XFER, ["korlink-xfer", "send", "--protocol", ""],
         ["104", "kermit", "106", "xmodem-crc", "ymodem-g"], []),
        ("parity values", XFER, ["korlink-xfer", "send", "--parity", ""],
         ["none", "odd", "even", "mark", "space"], []),
        ("terminals for xfer --device", XFER, ["korlink-xfer", "send", "--device", "/dev/tty"], ["/dev/tty"], []),
        ("files to send", XFER, ["korlink-xfer", "send", "--port", "1", "--protocol", "xmodem", "n"],
         ["notes.txt"], []),
    ]

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        for name in FILES:
            open(os.path.join(self.folder.name, name), "w").close()
        for name in FOLDERS:
            os.mkdir(os.path.join(self.folder.name, name))
        self.path = f"{PROGRAM_DIR}:/usr/bin:/bin"

    def tearDown(self):
        self.folder.cleanup()

    def test_cases(self):
        for name, function, words, offered, withheld in self.CASES:
            with self.subTest(name):
                found = complete(function, words, self.folder.name, self.path)
                for word in offered:
                    self.assertIn(word, found)
                for word in withheld:
                    self.assertNotIn(word, found)

    def test_device_offers_only_devices(self):
        found = complete(TRELMLINK, ["trelmlink", "retrieve", "--device", ""], self.folder.name, self.path)
        self.assertTrue(found)
        self.assertTrue(all(word.startswith(("/dev/tty", "/dev/serial/by-id/")) for word in found), found)

    def test_new_command_completes_without_an_edit(self):
        # A program whose help lists one more command: it is offered, and
        # its options come from its own help.
        stand_in = os.path.join(self.folder.name, "bin")
        os.mkdir(stand_in)
        with open(os.path.join(stand_in, "trelmlink"), "w") as script:
            script.write('#!/bin/sh\nif [ "$1" = plot ]; then echo "usage: trelmlink plot EVENT.bin [--width N]"; '
                         'else printf "usage: trelmlink <command>\\n\\ncommands:\\n  plot EVENT.bin   draw it\\n\\n"; fi\n')
        os.chmod(os.path.join(stand_in, "trelmlink"), 0o755)
        path = f"{stand_in}:/usr/bin:/bin"
        self.assertIn("plot", complete(TRELMLINK, ["trelmlink", "p"], self.folder.name, path))
        self.assertEqual(complete(TRELMLINK, ["trelmlink", "plot", "x.bin", "--w"], self.folder.name, path),
                         ["--width"])


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    COMPLETION_DIR, PROGRAM_DIR = (os.path.abspath(arg) for arg in sys.argv[1:])
    unittest.main(argv=sys.argv[:1], verbosity=2)
