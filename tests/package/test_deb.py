"""The Debian package as CPack builds it: its control fields, its contents and lintian."""

import os
import re
import shutil
import tempfile
import unittest

from package_support import BUILD_DIR, VERSION, expected_files, run


class DebTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="vexlorin-deb-")
        run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"),
             "-B", cls.folder], timeout=300)
        debs = [n for n in os.listdir(cls.folder) if n.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.folder, debs[0])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def fields(self):
        info = run(["dpkg-deb", "--field", self.deb]).stdout
        return dict(re.findall(r"^(\S+): (.*)$", info, re.M))

    def test_file_name_and_control_fields(self):
        self.assertEqual(os.path.basename(self.deb), f"vexlorin_{VERSION}_amd64.deb")
        fields = self.fields()
        self.assertEqual(fields["Package"], "vexlorin")
        self.assertEqual(fields["Version"], VERSION)
        self.assertEqual(fields["Section"], "net")
        self.assertRegex(fields["Maintainer"], r"^[^<>]+ <[^@<>\s]+@[^@<>\s]+>$")
        self.assertTrue(fields["Description"].strip())
        self.assertIn("Description:", run(["dpkg-deb", "--info", self.deb]).stdout)

    def test_depends_come_from_the_linked_libraries(self):
        depends = {d.split()[0] for d in self.fields()["Depends"].split(", ")}
        for library in ("libqt6widgets6", "libqt6svg6", "libqcustomplot2.1-qt6", "libtelnet2",
                        "libpcre2-8-0", "libstdc++6", "libc6"):
            self.assertIn(library, depends)

    def test_contents_are_the_installation_under_usr(self):
        listing = run(["dpkg-deb", "--contents", self.deb]).stdout.splitlines()
        files = set()
        for line in listing:
            mode, owner, _size, _date, _time, path = line.split(None, 5)
            self.assertEqual(owner, "root/root", line)
            if not mode.startswith("d"):
                self.assertTrue(path.startswith("./usr/"), path)
                files.add(path[len("./usr/"):])
                self.assertIn(mode, ("-rwxr-xr-x", "-rw-r--r--"), line)
            else:
                self.assertEqual(mode, "drwxr-xr-x", line)
        self.assertEqual(files, expected_files())

    def test_lintian_reports_no_errors(self):
        result = run(["lintian", "--no-cfg", "--fail-on", "error", self.deb], check=False,
                     timeout=300)
        tags = [line for line in result.stdout.splitlines() if re.match(r"^[EWIPX]: ", line)]
        for tag in tags:
            print("lintian:", tag)
        self.assertEqual([t for t in tags if t.startswith("E: ")], [])
        self.assertEqual(result.returncode, 0, result.stderr)


if __name__ == "__main__":
    unittest.main()
