#!/usr/bin/env python3
"""Keeps a manual page in step with its program's --help.

usage: man_page_options.py PROGRAM PAGE.1

Runs `PROGRAM --help`, finds the commands it lists (a "commands:" section,
or usage lines of the form "PROGRAM word ...") and runs `PROGRAM COMMAND
--help` for each. Every option any of these texts prints must appear in the
page, and every command must have an entry of its own there. Nothing names
a command or an option here: a new one is checked as soon as --help shows
it. Prints one line per miss and exits 1 when there is any.
"""

import re
import subprocess
import sys

# An option as help texts print it: "--long-name" or "-x", standing alone
# (not the tail of "byte-pair" or "partial-N-bytes").
OPTION = re.compile(r"(?<![\w./<-])(--[a-z][a-z0-9-]*|-[a-zA-Z])(?![\w-])")
# troff escapes that change fonts or spell a hyphen or a quote.
FONT_ESCAPE = re.compile(r"\\f(?:[BIRP]|\[[A-Z]*\])")


def help_text(program, *args):
    done = subprocess.run([program, *args, "--help"], capture_output=True, text=True, timeout=30)
    if done.returncode != 0:
        raise SystemExit(f"{program} {' '.join(args)} --help: exit status {done.returncode}: {done.stderr}")
    return done.stdout


def listed_commands(program_name, text):
    """The commands a program's --help lists, in the order it lists them."""
    commands = []
    in_commands = False
    for line in text.splitlines():
        if re.match(r"^\S.*:$", line):
            in_commands = line.strip().lower() == "commands:"
            continue
        words = line.split()
        if in_commands and re.match(r"^  [a-z]", line):
            commands.append(words[0])
            continue
        usage = re.match(r"^\s*(?:[Uu]sage:\s*)?" + re.escape(program_name) + r"\s+([a-z][a-z-]*)\b", line)
        if usage:
            commands.append(usage.group(1))
    return list(dict.fromkeys(commands))


def page_text(page):
    """The page's source with font changes dropped and hyphens spelled plainly."""
    with open(page, encoding="utf-8") as source:
        text = source.read()
    text = FONT_ESCAPE.sub("", text)
    return text.replace("\\-", "-").replace("\\(aq", "'").replace("\\&", "")


def has_entry(page, command):
    """A command's entry: a tag line (.B, .BI, .BR after .TP) that starts with it."""
    return re.search(r"^\.(?:B|BI|BR|IR)\s+\"?" + re.escape(command) + r"\b", page, re.M) is not None


def has_option(page, option):
    return re.search(r"(?<![\w-])" + re.escape(option) + r"(?![\w-])", page) is not None


def misses(program, page_path):
    program_name = program.rsplit("/", 1)[-1]
    page = page_text(page_path)
    top = help_text(program)
    texts = {program_name: top}
    for command in listed_commands(program_name, top):
        texts[f"{program_name} {command}"] = help_text(program, command)
        if not has_entry(page, command):
            yield f"command '{command}' has no entry in {page_path}"
    for source, text in texts.items():
        for option in dict.fromkeys(OPTION.findall(text)):
            if not has_option(page, option):
                yield f"option '{option}' of '{source} --help' is missing from {page_path}"


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    found = list(misses(sys.argv[1], sys.argv[2]))
    for miss in found:
        print(miss)
    print(f"{len(found)} misses", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
