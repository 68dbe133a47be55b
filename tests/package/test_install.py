"""cmake --install into a staging folder: every file in its place, the validators pass on the
installed desktop entry and metainfo, and what was made from the programs matches them."""

import configparser
import gzip
import os
import re
import shutil
import tempfile
import unittest
import xml.etree.ElementTree as ET

from package_support import (BUILD_DIR, ICON_SIZES, PROGRAMS, RELEASE_DATE, VERSION,
                             expected_files, long_options, man_text, png_size, run)


class InstallTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.stage = tempfile.mkdtemp(prefix="vexlorin-install-")
        env = dict(os.environ, DESTDIR=cls.stage)
        run(["cmake", "--install", BUILD_DIR, "--prefix", "/usr"], env=env)
        cls.prefix = os.path.join(cls.stage, "usr")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.stage)

    def path(self, relative):
        return os.path.join(self.prefix, relative)

    def test_every_file_in_its_place(self):
        installed = set()
        for folder, _, files in os.walk(self.stage):
            for name in files:
                installed.add(os.path.relpath(os.path.join(folder, name), self.prefix))
        self.assertEqual(installed, expected_files())
        for name in PROGRAMS:
            self.assertTrue(os.access(self.path(f"bin/{name}"), os.X_OK), name)

    def test_icons_have_the_size_of_their_folder(self):
        for size in ICON_SIZES:
            with self.subTest(size=size):
                self.assertEqual(
                    png_size(self.path(f"share/icons/hicolor/{size}x{size}/apps/vexlorin.png")),
                    (size, size))

    def test_desktop_entry_is_valid_and_points_at_installed_files(self):
        entry = self.path("share/applications/org.vexlorin.vexlorin.desktop")
        run(["desktop-file-validate", entry])
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(entry, encoding="utf-8")
        section = parser["Desktop Entry"]
        self.assertTrue(os.path.exists(self.path("bin/" + section["Exec"].split()[0])))
        self.assertTrue(os.path.exists(
            self.path(f"share/icons/hicolor/scalable/apps/{section['Icon']}.svg")))

    def test_metainfo_is_valid_and_carries_this_release(self):
        metainfo = self.path("share/metainfo/org.vexlorin.vexlorin.metainfo.xml")
        run(["appstreamcli", "validate", "--no-net", metainfo])
        root = ET.parse(metainfo).getroot()
        release = root.find("releases/release")
        self.assertEqual((release.get("version"), release.get("date")), (VERSION, RELEASE_DATE))
        self.assertEqual(root.findtext("launchable"), "org.vexlorin.vexlorin.desktop")
        self.assertIsNotNone(root.find("screenshots/screenshot/image"))
        self.assertEqual({b.text for b in root.findall("provides/binary")}, set(PROGRAMS))

    def test_manual_pages_hold_every_option_of_the_programs(self):
        for name, program in PROGRAMS.items():
            with self.subTest(program=name):
                page = man_text(self.path(f"share/man/man1/{name}.1.gz"))
                self.assertRegex(page, rf'(?m)^\.TH {name.upper()} "1" .*"Vexlorin {VERSION}"')
                options = long_options(run([program, "--help"]).stdout)
                self.assertIn("--version", options)
                self.assertEqual({o for o in options if o not in page}, set())

    def test_cli_manual_page_holds_every_command(self):
        page = man_text(self.path("share/man/man1/vexlorin-cli.1.gz"))
        commands = re.findall(r"^  (\S+)", run([PROGRAMS["vexlorin-cli"], "--help"]).stdout
                              .split("\nSubcommands:\n", 1)[1].split("\n\n", 1)[0], re.M)
        self.assertIn("retrieve", commands)
        for command in commands:
            with self.subTest(command=command):
                self.assertIn(f'.SS "vexlorin-cli {command}"', page)
                for option in long_options(run([PROGRAMS["vexlorin-cli"], command,
                                                "--help"]).stdout):
                    self.assertIn(option, page)

    def test_changelog_starts_with_this_version(self):
        with gzip.open(self.path("share/doc/vexlorin/changelog.gz"), "rt") as f:
            first = f.readline()
        self.assertTrue(first.startswith(f"vexlorin ({VERSION}) "), first)


if __name__ == "__main__":
    unittest.main()
