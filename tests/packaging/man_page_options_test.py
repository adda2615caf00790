#!/usr/bin/env python3
"""The rules of man_page_options.py: which commands and options it finds in
a help text, and that a page missing one is caught (with a stand-in program
whose --help is a script)."""

import os
import stat
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import man_page_options as checker  # noqa: E402

TOP_HELP = """usage: prog [FILE]
       prog <command> [options]
       prog --version

commands:
  fetch [--port N]      fetch something
  show FILE             show it

exit status:
  0  success
"""
FETCH_HELP = "usage: prog fetch [--port N] [-o OUT]\n\n--port N   the port\n-o OUT     the output\n"
SHOW_HELP = "usage: prog show FILE\n"

FULL_PAGE = r""".TH PROG 1
.SH COMMANDS
.TP
.BI "fetch " "\fR[\fB\-\-port \fIN\fR] [\fB\-o \fIOUT\fR]"
Fetches.
.TP
.BI "show " FILE
Shows.
.SH OPTIONS
.TP
.B \-\-version
.TP
.B \-\-help
"""


class ListedCommands(unittest.TestCase):
    CASES = [
        ("commands section", TOP_HELP, ["fetch", "show"]),
        ("usage lines naming subcommands",
         "Usage:\n  prog receive LINE --protocol P\n  prog send LINE FILE...\n  prog --version\n",
         ["receive", "send"]),
        ("placeholder argument is no command", "usage: prog ROLE [--seed N]\n", []),
        ("options and files only", "usage: prog [EVENT.bin]\n       prog --version\n", []),
        ("section after commands ends them",
         "commands:\n  fetch    it\n\nroles:\n  sampler  answers\n", ["fetch"]),
        ("another program's name is not ours", "usage: progx run\n", []),
    ]

    def test_cases(self):
        for name, text, want in self.CASES:
            with self.subTest(name):
                self.assertEqual(checker.listed_commands("prog", text), want)


class OptionsFound(unittest.TestCase):
    CASES = [
        ("long option in brackets", "[--dir DIR]", ["--dir"]),
        ("hyphenated long option", "--data-bits N", ["--data-bits"]),
        ("short option", "-o OUT.csv", ["-o"]),
        ("option after a parenthesis", "(--pdf OUT.pdf | --text)", ["--pdf", "--text"]),
        ("dash alone is standard output", "[-o OUT.csv|-]", ["-o"]),
        ("hyphenated word", "the byte-pair swap of partial-N-bytes", []),
        ("path with hyphens", "/dev/serial/by-id/... and kept-<time>.$$$", []),
        ("option ending a sentence", "takes --help.", ["--help"]),
    ]

    def test_cases(self):
        for name, text, want in self.CASES:
            with self.subTest(name):
                self.assertEqual(checker.OPTION.findall(text), want)


class PageMisses(unittest.TestCase):
    """The whole check against a stand-in program and a page with one piece cut out."""

    CASES = [
        ("complete page", FULL_PAGE, []),
        ("top-level option missing", FULL_PAGE.replace(".B \\-\\-version\n", ""),
         ["option '--version' of 'prog --help'"]),
        ("command option missing", FULL_PAGE.replace(" [\\fB\\-o \\fIOUT\\fR]", ""),
         ["option '-o' of 'prog fetch --help'"]),
        ("command without an entry", FULL_PAGE.replace('.BI "show " FILE\n', ""), ["command 'show'"]),
        ("option only as a longer option", FULL_PAGE.replace("\\-\\-port", "\\-\\-portable"),
         ["option '--port' of 'prog --help'", "option '--port' of 'prog fetch --help'"]),
    ]

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.program = os.path.join(self.folder.name, "prog")
        with open(self.program, "w") as script:
            script.write('#!/bin/sh\ncase "$1" in\n'
                         f"fetch) cat <<'EOF'\n{FETCH_HELP}EOF\n;;\n"
                         f"show) cat <<'EOF'\n{SHOW_HELP}EOF\n;;\n"
                         f"*) cat <<'EOF'\n{TOP_HELP}EOF\n;;\nesac\n")
        os.chmod(self.program, stat.S_IRWXU)

    def tearDown(self):
        self.folder.cleanup()

    def test_cases(self):
        page = os.path.join(self.folder.name, "prog.1")
        for name, text, want in self.CASES:
            with self.subTest(name):
                with open(page, "w") as file:
                    file.write(text)
                found = list(checker.misses(self.program, page))
                self.assertEqual(len(found), len(want), found)
                for miss, start in zip(found, want):
                    self.assertTrue(miss.startswith(start), f"{miss!r} does not start with {start!r}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
