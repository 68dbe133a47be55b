"""--version of all three programs, vexlorin --help without a display, and the help holding
every switch the desktop program parses."""

import glob
import os
import re
import unittest

from package_support import PROGRAMS, SOURCE_DIR, VERSION, long_options, run


def without_display():
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(name, None)
    return env


def app_help():
    return run([PROGRAMS["vexlorin"], "--help"], env=without_display()).stdout


class VersionTest(unittest.TestCase):
    def test_every_program_prints_the_build_version(self):
        for name, path in PROGRAMS.items():
            with self.subTest(program=name):
                result = run([path, "--version"], env=without_display())
                self.assertEqual(result.stdout.splitlines()[0], f"{name} {VERSION}")
                self.assertEqual(result.stderr, "")


class DesktopHelpTest(unittest.TestCase):
    def test_help_needs_no_display(self):
        # With no display and no platform chosen, starting Qt would abort the program.
        for switch in ("--help", "-h"):
            with self.subTest(switch=switch):
                result = run([PROGRAMS["vexlorin"], switch], env=without_display())
                self.assertTrue(result.stdout.startswith("Usage: vexlorin "), result.stdout)
                self.assertIn("Options:", result.stdout)

    def test_help_wins_over_other_switches(self):
        result = run([PROGRAMS["vexlorin"], "--demo", "--version", "--help"],
                     env=without_display())
        self.assertEqual(result.stdout, app_help())

    def parsed_switches(self):
        """The --switch literals of the desktop program's sources: what it parses itself."""
        switches = set()
        for path in glob.glob(os.path.join(SOURCE_DIR, "src", "app", "*.cpp")) + glob.glob(
                os.path.join(SOURCE_DIR, "src", "ui", "*.cpp")):
            with open(path, encoding="utf-8") as f:
                switches |= set(re.findall(r'"(--[a-z][a-z0-9-]*)"', f.read()))
        return switches

    def test_every_parsed_switch_is_in_the_help(self):
        switches = self.parsed_switches()
        self.assertIn("--export-charts", switches)  # the scan finds the program's switches
        documented = long_options(app_help()) | set(
            re.findall(r"(--[a-z][a-z0-9-]*)", app_help()))
        self.assertEqual(switches - documented, set(),
                         "switches missing from the help text in src/ui/ProgramInfo.cpp")
        # The configuration switch is a letter switch in three spellings.
        self.assertRegex(app_help(), r"(?m)^\s+-c FILE, -C:FILE, /cFILE")

    def test_help_lists_no_switch_the_program_lacks(self):
        stale = long_options(app_help()) - self.parsed_switches() - {"--help", "--version"}
        self.assertEqual(stale, set())


if __name__ == "__main__":
    unittest.main()
