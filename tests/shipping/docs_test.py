#!/usr/bin/env python3
"""The README's command list, the manual pages, the programs' own --help and --version, and the
shell completions must tell the same story.

  docs_test.py SOURCE_DIR VERSION REVISION KESTOVA_CLI [KESTOVA]
"""
import re
import subprocess
import sys
import unittest
from pathlib import Path

SOURCE, VERSION, REVISION, CLI = sys.argv[1:5]
WINDOW = sys.argv[5] if len(sys.argv) > 5 else None
SOURCE = Path(SOURCE)
del sys.argv[1:]


def run(*args):
    done = subprocess.run(list(args), capture_output=True, text=True, timeout=60,
                          env={"QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8", "PATH": "/usr/bin:/bin"})
    return done.returncode, done.stdout, done.stderr


def spaced(line):
    return " ".join(line.split())


def readme_commands():
    """The command lines of the README's shell blocks that run one of the programs."""
    text = (SOURCE / "README.md").read_text()
    lines = set()
    for block in re.findall(r"```sh\n(.*?)```", text, re.S):
        for line in block.splitlines():
            line = line.split("  #")[0]
            if re.match(r"kestova(-cli)? ", line + " "):
                lines.add(spaced(line))
    return lines


def manual_section(page, name):
    text = (SOURCE / "resources" / "man" / f"{page}.1.scd").read_text()
    match = re.search(rf"^# {name}\n(.*?)(?=^# |\Z)", text, re.S | re.M)
    assert match, f"{page}(1) has no {name} section"
    return match.group(1)


def unmarked(text):
    return spaced(text.replace("*", "").replace("_", ""))


def manual_synopsis(page):
    return {unmarked(line) for line in manual_section(page, "SYNOPSIS").splitlines() if line.strip()}


def help_usages():
    """What kestova-cli --help and each command's --help give as their usage lines."""
    status, out, _ = run(CLI, "--help")
    assert status == 0
    commands = re.findall(r"^  (\w+ .*|\w+)$", out.split("Commands:\n")[1].split("\n\n")[0], re.M)
    usages = {spaced("kestova-cli " + c) for c in commands}
    return usages, out


def statuses(text):
    return {int(n) for n in re.findall(r"^  (\d+) ", text.split("Exit status:\n")[1].split("\n\n")[0], re.M)}


class CommandsAgree(unittest.TestCase):
    def test_readme_lists_what_the_manuals_list(self):
        manuals = manual_synopsis("kestova-cli") | manual_synopsis("kestova")
        self.assertEqual(readme_commands(), manuals)

    def test_the_cli_manual_lists_what_the_program_says(self):
        usages, _ = help_usages()
        usages |= {"kestova-cli --help", "kestova-cli --version"}
        self.assertEqual(manual_synopsis("kestova-cli"), usages)

    def test_each_command_help_starts_with_its_usage_and_ends_with_statuses_and_an_example(self):
        usages, _ = help_usages()
        for usage in usages:
            command = usage.split()[1]
            with self.subTest(command=command):
                status, out, _ = run(CLI, command, "--help")
                self.assertEqual(status, 0)
                self.assertEqual(spaced(out.splitlines()[0]), "Usage: " + usage)
                self.assertIn("\nExit status:\n  0  ", out)
                self.assertRegex(out, r"\nExamples?:\n  kestova-cli " + command + " ")

    def test_every_option_is_in_the_manual_and_every_completion(self):
        usages, _ = help_usages()
        commands = manual_section("kestova-cli", "COMMANDS")
        scripts = {p.name: p.read_text() for p in (SOURCE / "resources" / "completions").glob("*kestova-cli*")}
        self.assertEqual(len(scripts), 3)
        for usage in usages:
            words = usage.split()
            for word in [words[1]] + [w.strip("[]") for w in words if w.startswith("[--")]:
                with self.subTest(word=word):
                    self.assertIn(f"*{word}*", commands)
                    for name, script in scripts.items():
                        # fish names long options without their dashes: -l out
                        self.assertTrue(word in script or ("-l " + word.lstrip("-")) in script, f"{word} missing from {name}")

    def test_exit_statuses_in_help_and_manual_agree(self):
        _, out = help_usages()
        manual = {int(n) for n in re.findall(r"^\*(\d+)\*$", manual_section("kestova-cli", "EXIT STATUS"), re.M)}
        self.assertEqual(statuses(out), manual)
        if WINDOW:
            status, out, _ = run(WINDOW, "--help")
            self.assertEqual(status, 0)
            manual = {int(n) for n in re.findall(r"^\*(\d+)\*$", manual_section("kestova", "EXIT STATUS"), re.M)}
            self.assertEqual(statuses(out), manual)
            self.assertEqual(spaced(out.splitlines()[0]), "Usage: kestova [FOLDER]")

    def test_a_build_stopped_with_a_wall_in_part_has_one_status_in_help_manual_and_program(self):
        # The program returns 130 after Ctrl-C whether or not a partial wall was written
        # (tests/model/cli_test.cpp holds it to that); both texts must say the same.
        _, out, _ = run(CLI, "build", "--help")
        table = out.split("Exit status:\n")[1].split("\n\n")[0]
        helped = {int(n): spaced(m) for n, m in re.findall(r"^  (\d+) +(.*(?:\n {7}.*)*)", table, re.M)}
        manual = {int(n): spaced(m) for n, m in
                  re.findall(r"^\*(\d+)\*\n((?:\t.*\n?)+)", manual_section("kestova-cli", "EXIT STATUS"), re.M)}
        self.assertLessEqual(set(helped), set(manual))
        for meanings in (helped, manual):
            self.assertNotIn("Ctrl-C", meanings[0])
            self.assertIn("photos done so far", meanings[130])
            self.assertIn("SIGTERM", meanings[143])
            self.assertIn("SIGHUP", meanings[129])


class Versions(unittest.TestCase):
    def expected(self, program):
        return f"{program} {VERSION}" + (f" (revision {REVISION})" if REVISION else "") + "\n"

    def test_cli_version(self):
        self.assertEqual(run(CLI, "--version"), (0, self.expected("kestova-cli"), ""))

    def test_window_version_and_help_need_no_display(self):
        if not WINDOW:
            self.skipTest("built without the window")
        self.assertEqual(run(WINDOW, "--version"), (0, self.expected("kestova"), ""))

    def test_window_refuses_an_unknown_option(self):
        if not WINDOW:
            self.skipTest("built without the window")
        status, out, err = run(WINDOW, "--frobnicate")
        self.assertEqual((status, out), (2, ""))
        # Qt may say something of its own first.
        self.assertEqual(err.splitlines()[-1], 'kestova: unknown option "--frobnicate". Try kestova --help.')


if __name__ == "__main__":
    unittest.main(verbosity=2)
