"""What the package tests share: the programs under test, running them, the expected files."""

import gzip
import os
import re
import struct
import subprocess

VERSION = os.environ["VEXLORIN_VERSION"]
RELEASE_DATE = os.environ["VEXLORIN_RELEASE_DATE"]
SOURCE_DIR = os.environ["VEXLORIN_SOURCE_DIR"]
BUILD_DIR = os.environ["VEXLORIN_BUILD_DIR"]
PROGRAMS = {
    "vexlorin": os.environ["VEXLORIN_APP"],
    "vexlorin-cli": os.environ["VEXLORIN_CLI"],
    "vexlorin-routersim": os.environ["VEXLORIN_ROUTERSIM"],
}
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def run(args, env=None, timeout=120, check=True):
    result = subprocess.run(args, capture_output=True, text=True, env=env, timeout=timeout,
                            check=False)
    if check and result.returncode != 0:
        raise AssertionError(f"{' '.join(args)} ended with {result.returncode}:\n"
                             f"{result.stdout}\n{result.stderr}")
    return result


def expected_files():
    """Every file the installation holds, below the prefix."""
    files = {f"bin/{name}" for name in PROGRAMS}
    files |= {f"share/man/man1/{name}.1.gz" for name in PROGRAMS}
    files |= {
        "share/applications/org.vexlorin.vexlorin.desktop",
        "share/metainfo/org.vexlorin.vexlorin.metainfo.xml",
        "share/bash-completion/completions/vexlorin-cli",
        "share/icons/hicolor/scalable/apps/vexlorin.svg",
        "share/doc/vexlorin/copyright",
        "share/doc/vexlorin/changelog.gz",
    }
    files |= {f"share/icons/hicolor/{s}x{s}/apps/vexlorin.png" for s in ICON_SIZES}
    return files


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG image")
    return struct.unpack(">II", head[16:24])


def man_text(path):
    """The page's roff source with the escaped hyphens plain again."""
    with gzip.open(path, "rt", encoding="utf-8") as f:
        return f.read().replace("\\-", "-")


def long_options(help_text):
    """The --options a --help text lists in its option column."""
    return set(re.findall(r"^\s+(?:-\w, ?|-\w,)?(--[a-z][a-z0-9-]*)", help_text, re.M))
