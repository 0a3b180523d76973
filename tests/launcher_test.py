#!/usr/bin/env python3
"""The launcher's two decisions that a warm start rests on: whether the
prefix's registry already holds what an import would write
(tools/registry_holds.py), and whether the program needs building
(pebblora_build_when_changed in tools/install-deps.sh). A wrong "nothing to
do" shows only later, as a stale program or a setting not applied."""
import fcntl
import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HOLDS = os.path.join(ROOT, "tools", "registry_holds.py")

# What Wine saves, as it saves it: doubled backslashes in key names, a time
# after each key, multi-strings as str(7), long hex data continued.
USER_REG = textwrap.dedent('''\
    WINE REGISTRY Version 2
    ;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000

    [Control Panel\\\\Desktop] 1796773699
    #time=1dd876e9a106890
    "LogPixels"=dword:00000060

    [Software\\\\Marrowvale\\\\Pebblora] 1796773699
    "skin"="\\\\Program Files\\\\Pebblora\\\\Skins\\\\Garden\\\\Garden.ini"
    "best"=dword:00000120

    [Software\\\\Pebblora Device\\\\Cards\\\\Storage Card] 1796773699
    "TotalBytes"=hex(b):00,00,00,08,\\
      00,00,00,00

    [Software\\\\Wine\\\\Fonts] 1796773699
    "Codepages"="932,932"
    ''')

SYSTEM_REG = textwrap.dedent('''\
    WINE REGISTRY Version 2

    [Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\FontLink\\\\SystemLink] 1796773501
    "Tahoma"=str(7):"ipag.ttf,IPAGothic\\0"
    "Lucida Sans Unicode"=str(7):"MSGOTHIC.TTC,MS UI Gothic\\0"
    ''')

# What the launcher imports (REGEDIT4, key names in another case than Wine's).
LAUNCH_REG = textwrap.dedent('''\
    REGEDIT4

    [HKEY_CURRENT_USER\\Software\\Marrowvale\\Pebblora]
    "skin"="\\\\Program Files\\\\Pebblora\\\\Skins\\\\Garden\\\\Garden.ini"

    [HKEY_CURRENT_USER\\Control Panel\\Desktop]
    "LogPixels"=dword:00000060

    [-HKEY_CURRENT_USER\\Software\\Pebblora Device\\Cards]

    [HKEY_CURRENT_USER\\Software\\PEBBLORA DEVICE\\Cards\\Storage Card]
    "TotalBytes"=hex(b):00,00,00,08,00,00,00,00
    ''')

LINKS_REG = textwrap.dedent('''\
    REGEDIT4

    [HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
    "Tahoma"=hex(7):69,70,61,67,2e,74,74,66,2c,49,50,41,47,6f,74,68,69,63,00,00
    "Segoe UI"=-
    ''')


class RegistryHolds(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.prefix = os.path.join(self.dir.name, "wineprefix")
        os.mkdir(self.prefix)
        self.write("wineprefix/user.reg", USER_REG)
        self.write("wineprefix/system.reg", SYSTEM_REG)

    def tearDown(self):
        self.dir.cleanup()

    def write(self, name, text):
        path = os.path.join(self.dir.name, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def check(self, *texts):
        """Runs the checker on files with these contents; "--" parts groups."""
        files = [t if t == "--" else self.write("import%d.reg" % i, t) for i, t in enumerate(texts)]
        run = subprocess.run([sys.executable, HOLDS, self.prefix] + files, capture_output=True, text=True)
        return run.returncode, run.stdout.strip()

    def assertDecision(self, expected, texts, says=""):
        code, said = self.check(*texts)
        self.assertEqual(expected, code, "exit %d (expected %d), it said: %s" % (code, expected, said))
        self.assertIn(says, said)

    def test_values_already_there_need_no_import(self):
        # Every kind the launcher writes, and a deleted value that is absent.
        self.assertDecision(0, [LAUNCH_REG, LINKS_REG])

    def test_a_difference_in_any_written_value_needs_the_import(self):
        cases = [
            # another --skin than the one the program remembered
            (LAUNCH_REG.replace("Garden", "Contrast"), "'skin'"),
            # another density
            (LAUNCH_REG.replace("dword:00000060", "dword:000000c0"), "'logpixels'"),
            # one byte of a hex(b) value, past the saved line's continuation
            (LAUNCH_REG.replace("08,00,00,00,00", "08,00,00,00,01"), "'totalbytes'"),
            # links of the other language: the Japanese link must go
            (LINKS_REG.split("\n\"Tahoma\"")[0] + '\n"Tahoma"=-\n', "'tahoma'"),
            # Wine noted other code pages: it would rewrite the links
            ('REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts]\n"Codepages"="1252,437"\n', "'codepages'"),
            # a key the prefix does not have
            ('REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Pebblora Device]\n"SipShown"=dword:00000000\n', "no key"),
        ]
        for text, says in cases:
            with self.subTest(says=says):
                self.assertDecision(1, [text], says)

    def test_each_group_is_decided_on_its_own(self):
        english_links = LINKS_REG.split("\n\"Tahoma\"")[0] + '\n"Tahoma"=-\n'
        noted = 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts]\n"Codepages"="932,932"\n'
        code, said = self.check(LAUNCH_REG, "--", english_links, noted)
        self.assertEqual(1, code, said)
        self.assertEqual(["import2.reg"], [os.path.basename(line.split(":")[0]) for line in said.splitlines()],
                         "expected only the links group (from import2.reg) to need an import; it said: " + said)

    def test_a_deleted_key_holding_more_than_the_file_writes_back_needs_the_import(self):
        more = USER_REG + '\n[Software\\\\Pebblora Device\\\\Cards\\\\Second Card] 1796773699\n"TotalBytes"=hex(b):00\n'
        self.write("wineprefix/user.reg", more)
        self.assertDecision(1, [LAUNCH_REG], "second card")
        extra_value = USER_REG.replace('"TotalBytes"', '"FreeBytes"=hex(b):00\n"TotalBytes"')
        self.write("wineprefix/user.reg", extra_value)
        self.assertDecision(1, [LAUNCH_REG], "freebytes")

    def test_a_running_wine_server_means_it_cannot_tell(self):
        st = os.stat(self.prefix)
        server = "/tmp/.wine-%d/server-%x-%x" % (os.getuid(), st.st_dev, st.st_ino)
        os.makedirs(server, exist_ok=True)
        fd = os.open(os.path.join(server, "lock"), os.O_RDWR | os.O_CREAT)
        try:
            fcntl.lockf(fd, fcntl.LOCK_EX)
            self.assertDecision(2, [LAUNCH_REG], "server runs")
        finally:
            os.close(fd)
            os.unlink(os.path.join(server, "lock"))
            os.rmdir(server)


class EnsurePrefix(unittest.TestCase):
    """pebblora_ensure_prefix on prefixes that need no Wine to judge."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.prefix = os.path.join(self.dir.name, "wineprefix")
        self.fonts = os.path.join(self.dir.name, "wine-fonts")
        os.makedirs(self.fonts)
        for name in ("marlett.ttf", "tahoma.ttf"):
            open(os.path.join(self.fonts, name), "w").close()

    def tearDown(self):
        self.dir.cleanup()

    def ensure(self):
        script = 'source "$1/tools/wine-env.sh"; pebblora_ensure_prefix'
        env = dict(os.environ, WINEPREFIX=self.prefix, PEBBLORA_WINE_FONTS=self.fonts, PATH="/usr/bin:/bin")
        return subprocess.run(["bash", "-c", script, "-", ROOT], env=env, capture_output=True, text=True)

    def test_a_made_prefix_gets_back_the_fonts_it_lost(self):
        os.makedirs(os.path.join(self.prefix, "drive_c", "windows", "Fonts"))
        for name, text in (("pebblora-prefix.done", ""), ("pebblora-x11.reg.done", "own-cursors,unmanaged\n")):
            with open(os.path.join(self.prefix, name), "w") as f:
                f.write(text)
        run = self.ensure()
        self.assertEqual(0, run.returncode, run.stderr)
        marlett = os.path.join(self.prefix, "drive_c", "windows", "Fonts", "marlett.ttf")
        self.assertTrue(os.path.exists(marlett), "marlett.ttf was not linked into the made prefix again")

    def test_a_folder_that_is_no_prefix_is_never_removed(self):
        os.makedirs(self.prefix)
        notes = os.path.join(self.prefix, "notes.txt")
        open(notes, "w").close()
        run = self.ensure()
        self.assertNotEqual(0, run.returncode, "a folder with a person's file was taken for a half-made prefix")
        self.assertTrue(os.path.exists(notes), "the folder's file was removed")
        self.assertIn("is not a Wine prefix", run.stderr)


class BuildWhenChanged(unittest.TestCase):
    """pebblora_build_when_changed with the build itself replaced by one that
    notes its call and touches the outputs, on a small source tree."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.root = os.path.join(self.dir.name, "src")
        self.build = os.path.join(self.root, "build")
        os.makedirs(os.path.join(self.root, "game"))
        os.makedirs(os.path.join(self.build, "app"))
        self.write("CMakeLists.txt", "project(p)\n")
        self.write("game/board.cpp", "int a;\n")
        self.write("build/CMakeCache.txt", "cache\n")
        self.builds = os.path.join(self.dir.name, "builds")

    def tearDown(self):
        self.dir.cleanup()

    def write(self, name, text):
        with open(os.path.join(self.root, name), "w") as f:
            f.write(text)

    def start(self, during_build=":"):
        """Runs the check as run.sh does; True when it built."""
        script = textwrap.dedent('''\
            source "$1/tools/install-deps.sh"
            pebblora_build() { echo "$*" >>"$BUILDS"; echo exe >"$2/app/p.exe"; %s; }
            pebblora_build_when_changed "$2" "$3" "app/p.exe" p
            ''') % during_build
        before = self.count()
        run = subprocess.run(["bash", "-c", script, "-", ROOT, self.root, self.build],
                             env=dict(os.environ, BUILDS=self.builds), capture_output=True, text=True)
        self.assertEqual(0, run.returncode, run.stderr)
        return self.count() > before

    def count(self):
        return len(open(self.builds).readlines()) if os.path.exists(self.builds) else 0

    def test_builds_only_when_something_it_is_made_from_changed(self):
        self.assertTrue(self.start(), "the first start did not build")
        self.assertFalse(self.start(), "a start with nothing changed built")
        cases = [
            ("a source edited to the same size", lambda: self.write("game/board.cpp", "int b;\n")),
            ("a new source file", lambda: self.write("game/piece.cpp", "int c;\n")),
            ("a CMake file edited", lambda: self.write("CMakeLists.txt", "project(q)\n")),
            ("the built program removed", lambda: os.unlink(os.path.join(self.build, "app", "p.exe"))),
            ("the build configured again", lambda: self.write("build/CMakeCache.txt", "cache 2\n")),
        ]
        for what, change in cases:
            with self.subTest(what):
                change()
                self.assertTrue(self.start(), "no build after " + what)
                self.assertFalse(self.start(), "a second build after " + what)

    def test_a_source_changed_while_the_build_ran_is_built_again(self):
        self.assertTrue(self.start(during_build='echo "int d;" >"$1/game/board.cpp"'))
        self.assertTrue(self.start(), "the edit made during the build was not built")

    def test_the_build_dir_itself_is_no_input(self):
        self.assertTrue(self.start())
        self.write("build/app/p.log", "written by a test run\n")
        self.assertFalse(self.start(), "a file written into the build dir made it build")


if __name__ == "__main__":
    unittest.main()
