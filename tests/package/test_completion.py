"""The bash completion of vexlorin-cli, run in a real bash, against the live --help of the
program and of each command: it offers exactly the commands and options they list."""

import os
import re
import shlex
import tempfile
import unittest

from package_support import BUILD_DIR, PROGRAMS, long_options, run

COMPLETION = os.path.join(BUILD_DIR, "packaging", "completion", "vexlorin-cli")
CLI = PROGRAMS["vexlorin-cli"]


def complete(*words):
    """COMPREPLY for the command line 'vexlorin-cli WORDS', the cursor in the last word."""
    words = ["vexlorin-cli", *words]
    script = (f"source {shlex.quote(COMPLETION)}\n"
              f"COMP_WORDS=({' '.join(shlex.quote(w) for w in words)})\n"
              f"COMP_CWORD={len(words) - 1}\n"
              "_vexlorin_cli\n"
              'printf "%s\\n" "${COMPREPLY[@]}"\n')
    result = run(["bash", "--norc", "--noprofile", "-c", script],
                 env={"PATH": os.environ["PATH"]})
    return set(filter(None, result.stdout.splitlines()))


def live_help(*path):
    return run([CLI, *path, "--help"]).stdout


def commands(help_text):
    section = help_text.split("\nSubcommands:\n", 1)
    if len(section) < 2:
        return set()
    return set(re.findall(r"^  (\S+)", section[1].split("\n\n", 1)[0], re.M))


def all_options(help_text):
    """Long and short names of every option line in the help."""
    names = long_options(help_text)
    names |= set(re.findall(r"^\s+(-\w),", help_text, re.M))
    return names


class CompletionTest(unittest.TestCase):
    def test_commands_at_the_start(self):
        expected = commands(live_help())
        self.assertIn("retrieve", expected)
        self.assertEqual(complete(""), expected)
        self.assertEqual(complete("ex"), {c for c in expected if c.startswith("ex")})

    def test_options_of_every_command_follow_its_help(self):
        paths = [()] + [(c,) for c in commands(live_help())]
        for path in paths:
            with self.subTest(command=" ".join(path) or "(none)"):
                self.assertEqual(complete(*path, "-"), all_options(live_help(*path)))

    def test_choices_come_from_the_help(self):
        for command in ("show", "export", "diff"):
            match = re.search(r"--format FORMAT:\{([^}]*)\}", live_help(command))
            self.assertIsNotNone(match, command)
            choices = set(match.group(1).split(","))
            with self.subTest(command=command):
                self.assertEqual(complete(command, "--format", ""), choices)
                self.assertEqual(complete(command, "-f", "j"), {"json"})
                # bash splits --format=json at the '='
                self.assertEqual(complete(command, "--format", "=", ""), choices)

    def test_values_and_positionals(self):
        with tempfile.TemporaryDirectory() as folder:
            for name in ("line.draydata", "notes.txt"):
                open(os.path.join(folder, name), "w").close()
            os.chdir(folder)  # bash completes file names in its working folder
            cases = [
                # words, expected
                (("show", ""), {"line.draydata", "notes.txt"}),
                (("diff", "line.draydata", "l"), {"line.draydata"}),
                (("export", "-o", "n"), {"notes.txt"}),
                (("import", "--status", "n"), {"notes.txt"}),
                # free text: no files, no commands
                (("retrieve", "--user", ""), set()),
                (("import", "--profile", ""), set()),
                # a value is skipped: what follows it is not taken as the option's value
                (("retrieve", "--port", "23", "--b"), {"--bins"}),
                (("export", "--format", "csv", "n"), {"notes.txt"}),
                # a flag takes no value: the next word is a positional again
                (("retrieve", "--bins", "-q", "--qu"), {"--quiet"}),
                # the command name is not taken again after a command
                (("show", "sh"), set()),
            ]
            for words, expected in cases:
                with self.subTest(words=words):
                    self.assertEqual(complete(*words), expected)


if __name__ == "__main__":
    unittest.main()
