#!/usr/bin/env python3
"""tellwick-export driven as a process, as tools and players run it.

usage: cli_test.py [--windows] [--cases CLASS] COMMAND...

COMMAND runs the exporter (natively the binary; for the Windows build the
Wine runner followed by tellwick-export.exe). With --windows, paths are
expected in Windows form and the game folder is passed as a Windows path.
--cases runs one class of cases (ExporterProcess, the default,
SettingsFile or SmallFileSystem). Exit code 77 when every case was skipped, so that ctest
shows the run as skipped rather than passed.
"""

import json
import os
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import unittest

COMMAND = []
WINDOWS = False

CHARACTER = "FFXIV_CHR0040000001A2B3C4D"
OTHER = "FFXIV_CHR0040000001A2B3C4E"
NEW_SERIES = "新しいログの記録を確認しました。\r\n"
SAVED = "に保存しました。\r\n"
SAVE_FAILED = "の保存に失敗しました。\r\n"
# 2014-03-05 12:07:40 UTC: 21:07:40 in Tokyo, the time zone the tests run in.
CHUNK0_UNIX = 1394021260
MATERIA = "::Aaa Bbb:SwordからStoneが生成された！"


def chunk_bytes(first_index, entries):
    area = bytearray()
    ends = []
    for time, code, text in entries:
        area += struct.pack("<II", time, code) + text.encode("utf-8")
        ends.append(len(area))
    header = struct.pack("<II", first_index, first_index + len(entries))
    return header + b"".join(struct.pack("<I", e) for e in ends) + bytes(area)


def windows_path(path):
    # Wine maps drive Z: to the root of the Unix file system.
    return "Z:" + path.replace("/", "\\")


class ExporterCase(unittest.TestCase):
    """The exporter's files and runs, for the cases below."""

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="tellwick-cli-")
        self.work = os.path.join(self.root, "work")
        self.game = os.path.join(self.root, "game")
        os.makedirs(self.work)
        os.makedirs(self.game)

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    # --- the game's side

    def chunk(self, character, index, first_index, entries, unix_time, game=None):
        folder = os.path.join(game or self.game, character, "log")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "%08x.log" % index)
        with open(path, "wb") as f:
            f.write(chunk_bytes(first_index, entries))
        os.utime(path, (unix_time, unix_time))
        return path

    def big_series(self, chunk_count=100, per_chunk=10000):
        """A million entries by default, an export of tens of megabytes. Every chunk file holds the same entries
        after its own header."""
        area = bytearray()
        ends = []
        for i in range(per_chunk):
            if i % 1000 == 0:  # read as a materia message, as in series()
                entry = struct.pack("<II", 0x46A00000 + i, 0x0039) + MATERIA.encode("utf-8")
            else:
                entry = struct.pack("<II", 0x5316F48C + i, 0x000A) + (":Aaa Bbb:line %d of an evening" % i).encode()
            area += entry
            ends.append(len(area))
        body = b"".join(struct.pack("<I", e) for e in ends) + bytes(area)
        folder = os.path.join(self.game, CHARACTER, "log")
        os.makedirs(folder, exist_ok=True)
        for index in range(chunk_count):
            path = os.path.join(folder, "%08x.log" % index)
            with open(path, "wb") as f:
                f.write(struct.pack("<II", index * per_chunk, (index + 1) * per_chunk) + body)
            os.utime(path, (CHUNK0_UNIX, CHUNK0_UNIX))

    def series(self, character=CHARACTER, unix_time=CHUNK0_UNIX, game=None):
        self.chunk(character, 0, 0, [(0x5316F48C, 0x000A, ":Aaa Bbb:hello"),
                                     (0x5316F48D, 0x0039, "x\x02\x10\x01\x03y"),
                                     (0x5316F48E, 0x000C, ":Ccc Ddd:こんにちは")], unix_time, game)
        self.chunk(character, 1, 3, [(0x46A00000, 0x0039, MATERIA)], unix_time + 5, game)

    SERIES_LINES = ("5316F48C000A:Aaa Bbb:hello\r\n"
                    "5316F48D0039xy\r\n"
                    "5316F48E000C:Ccc Ddd:こんにちは\r\n"
                    "46A000000039" + MATERIA + "\r\n")

    # --- the exporter's side

    def exporter_argv(self, args, game_dir=True):
        argv = list(COMMAND)
        if game_dir:
            argv += ["--game-dir", windows_path(self.game) if WINDOWS else self.game]
        return argv + list(args)

    def run_exporter(self, *args, game_dir=True, home=None, timeout=120, zone="Asia/Tokyo"):
        argv = self.exporter_argv(args, game_dir)
        # The Wine runner hands its process the zone the tests name.
        env = dict(os.environ, TZ=zone, TELLWICK_TEST_TZ=zone)
        if home is not None:
            # A player's home folder; natively its Documents folder too.
            env["HOME"] = home
            env.pop("XDG_DOCUMENTS_DIR", None)
        done = subprocess.run(argv, cwd=self.work, env=env, capture_output=True, timeout=timeout)
        return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")

    def section_key(self, section, name):
        current = None
        for line in self.settings_text().splitlines():
            if line.startswith("["):
                current = line[1:line.index("]")]
            elif current == section and line.startswith(name + "="):
                return line[len(name) + 1:]
        return None

    def start_exporter(self, *args):
        # Its output is not read while it runs: a full pipe would stop it.
        return subprocess.Popen(self.exporter_argv(args), cwd=self.work, env=dict(os.environ, TZ="Asia/Tokyo"),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def temporaries(self):
        folder = os.path.join(self.work, "log")
        return sorted(n for n in os.listdir(folder) if ".~" in n) if os.path.isdir(folder) else []

    def signal_when_written(self, process, size, signal_number):
        """Sends the signal once the export's temporary file holds `size`
        bytes or more; the exporter's exit status."""
        folder = os.path.join(self.work, "log")
        while process.poll() is None:
            for name in self.temporaries():
                if name.startswith("recipe."):
                    continue
                try:
                    written = os.stat(os.path.join(folder, name)).st_size
                except FileNotFoundError:
                    continue
                if written >= size:
                    process.send_signal(signal_number)
                    return process.wait(timeout=120)
        return process.returncode

    def log_path(self, name):
        sep = "\\" if WINDOWS else "/"
        return "." + sep + "log" + sep + name

    def read_log(self, name):
        with open(os.path.join(self.work, "log", name), "rb") as f:
            return f.read()

    def settings_text(self):
        path = os.path.join(self.work, "tellwick.ini")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("cp932")

    def key(self, name):
        for line in self.settings_text().splitlines():
            if line.startswith(name + "="):
                return line[len(name) + 1:]
        return None

    def write_settings(self, text):
        with open(os.path.join(self.work, "tellwick.ini"), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp932"))


class ExporterProcess(ExporterCase):
    """The exporter run as players and tools run it."""

    def test_manual_export_prints_the_status_log_and_the_saved_path(self):
        self.series()
        status, out, err = self.run_exporter(CHARACTER)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, NEW_SERIES + self.log_path("2014.03.05.2107.log") + SAVED)
        self.assertEqual(self.read_log("2014.03.05.2107.log"), self.SERIES_LINES.encode("cp932"))
        # An entry line's leading number is read from its hex time (46A0...),
        # and the item name starts at position 7, inside that time. Charset 0
        # (the default): the recipe file is in code page 932.
        recipe = self.read_log("recipe.2014.03.05.2107.log").decode("cp932")
        self.assertRegex(recipe, "^アイテム：00039::Aaa Bbb:Sword\r\nマテリア：Stone\r\nCheck：[0-9]{12}\r\n\r\n$")
        self.assertIn("46A000000039" + MATERIA + "\r\n", err)
        self.assertEqual(self.key("LOGFILE"), "2014.03.05.2107.log")
        self.assertEqual(self.key("TOPDATE"), str(0x5316F48C))
        self.assertEqual(self.key("ENDDATE"), str(0x46A00000))
        self.assertEqual(self.key("LASTNO"), "2")
        self.assertEqual(self.key("LASTDATE"), "0" * 16)

        # Nothing changed: an automatic export says nothing and touches nothing.
        before = os.stat(os.path.join(self.work, "log", "2014.03.05.2107.log")).st_mtime_ns
        self.assertEqual(self.run_exporter("--auto", CHARACTER)[:2], (0, ""))
        self.assertEqual(os.stat(os.path.join(self.work, "log", "2014.03.05.2107.log")).st_mtime_ns, before)

        # A new chunk file: the automatic export takes it, without the saved line.
        self.chunk(CHARACTER, 2, 4, [(0x5316F4A0, 0x000A, "more")], CHUNK0_UNIX + 9)
        self.assertEqual(self.run_exporter("--auto", CHARACTER)[:2], (0, ""))
        self.assertTrue(self.read_log("2014.03.05.2107.log").endswith(b"5316F4A0000Amore\r\n"))
        self.assertEqual(self.key("LASTNO"), "3")

    def test_killed_exports_leave_nothing_the_next_export_keeps(self):
        if WINDOWS:
            self.skipTest("the Wine runner stands between the test and the exporter")
        self.big_series()
        self.assertEqual(self.run_exporter(CHARACTER)[0], 0)
        whole = self.read_log("2014.03.05.2107.log")
        whole_recipe = self.read_log("recipe.2014.03.05.2107.log")
        shutil.rmtree(os.path.join(self.work, "log"))
        os.remove(os.path.join(self.work, "tellwick.ini"))

        # Killed at twenty points, from the temporary file's creation to
        # nearly the end; each run starts by clearing what the last one left.
        # (Near the end, one may finish before the test sees the size.)
        kills = 0
        for point in range(20):
            process = self.start_exporter(CHARACTER)
            status = self.signal_when_written(process, len(whole) * point // 20, signal.SIGKILL)
            if status == -signal.SIGKILL:
                kills += 1
                self.assertNotEqual(self.temporaries(), [], "a kill leaves its temporary files")
        self.assertGreaterEqual(kills, 10, "most exports should have been killed under way")

        status, out, err = self.run_exporter(CHARACTER)
        self.assertEqual(status, 0, err)
        self.assertEqual(self.temporaries(), [])
        self.assertEqual(self.read_log("2014.03.05.2107.log"), whole)
        self.assertEqual(self.read_log("recipe.2014.03.05.2107.log"), whole_recipe)

    def test_ending_signals_remove_the_temporary_files(self):
        if WINDOWS:
            self.skipTest("the Wine runner stands between the test and the exporter")
        self.big_series()
        self.assertEqual(self.run_exporter(CHARACTER)[0], 0)
        size = os.path.getsize(os.path.join(self.work, "log", "2014.03.05.2107.log"))
        shutil.rmtree(os.path.join(self.work, "log"))
        for signal_number, args in ((signal.SIGTERM, [CHARACTER]), (signal.SIGHUP, [CHARACTER]),
                                    (signal.SIGINT, ["--auto", CHARACTER]), (signal.SIGTERM, ["--auto", CHARACTER])):
            with self.subTest(signal=signal_number.name, args=args):
                # An automatic export runs only for a series not recorded yet.
                settings = os.path.join(self.work, "tellwick.ini")
                if os.path.exists(settings):
                    os.remove(settings)
                process = self.start_exporter(*args)
                status = self.signal_when_written(process, size // 2, signal_number)
                # Ended by the signal itself, as whoever started it expects.
                self.assertEqual(status, -signal_number)
                self.assertEqual(self.temporaries(), [])
                self.assertEqual(os.listdir(os.path.join(self.work, "log")), [])

    def test_settings_choose_charset_control_sequences_and_folder(self):
        self.series()
        self.write_settings("[GENERIC]\nCHARSET=2\nCTRLTOSTR=1\nLOGDIR=out\n")
        status, out, _ = self.run_exporter(CHARACTER)
        self.assertEqual(status, 0)
        sep = "\\" if WINDOWS else "/"
        self.assertEqual(out, NEW_SERIES + "out" + sep + "2014.03.05.2107.log" + SAVED)
        with open(os.path.join(self.work, "out", "2014.03.05.2107.log"), "rb") as f:
            text = f.read()
        self.assertEqual(text[:4], "53".encode("utf-16-le"))  # no byte order mark
        self.assertIn("5316F48D0039x[02 10 01 03]y\r\n".encode("utf-16-le"), text)

    def test_unknown_character_and_missing_game_folder_export_nothing(self):
        self.assertEqual(self.run_exporter("FFXIV_CHR0040000009999999")[:2], (0, ""))
        shutil.rmtree(self.game)
        self.assertEqual(self.run_exporter(CHARACTER)[:2], (0, ""))
        self.assertEqual(self.run_exporter("--list")[:2], (0, ""))
        self.assertFalse(os.path.exists(os.path.join(self.work, "log", "2014.03.05.2107.log")))

    def test_list_marks_the_active_character(self):
        self.series(CHARACTER, CHUNK0_UNIX)
        self.series(OTHER, CHUNK0_UNIX + 60)
        os.makedirs(os.path.join(self.game, "FFXIV_CHR_no_log"))
        status, out, _ = self.run_exporter("--list")
        self.assertEqual(status, 0)
        # A folder without a log folder is no character.
        self.assertEqual(sorted(out.split("\n")), sorted([CHARACTER, OTHER + " *", ""]))

    def test_failed_export_is_told_and_keeps_the_earlier_export(self):
        self.series()
        self.assertEqual(self.run_exporter(CHARACTER)[0], 0)
        earlier = self.read_log("2014.03.05.2107.log")
        # The export file's name is taken by a folder: it cannot be replaced.
        self.chunk(CHARACTER, 2, 4, [(0x5316F4A0, 0x000A, "more")], CHUNK0_UNIX + 9)
        os.rename(os.path.join(self.work, "log", "2014.03.05.2107.log"), os.path.join(self.work, "kept.log"))
        os.makedirs(os.path.join(self.work, "log", "2014.03.05.2107.log"))
        status, out, err = self.run_exporter(CHARACTER)
        # The status texts stay the window's; the exit status and the
        # reason on standard error tell a script.
        self.assertEqual(status, 1)
        self.assertEqual(out, self.log_path("2014.03.05.2107.log") + SAVE_FAILED)
        self.assertIn("could not be renamed to " + self.log_path("2014.03.05.2107.log"), err)
        self.assertEqual(self.key("LASTNO"), "2")  # unchanged: the next export tries again
        os.rmdir(os.path.join(self.work, "log", "2014.03.05.2107.log"))
        os.rename(os.path.join(self.work, "kept.log"), os.path.join(self.work, "log", "2014.03.05.2107.log"))
        self.assertEqual(self.read_log("2014.03.05.2107.log"), earlier)
        self.assertEqual(self.run_exporter("--auto", CHARACTER)[:2], (0, ""))
        self.assertEqual(self.key("LASTNO"), "3")

    def test_settings_that_cannot_be_kept_leave_one_export_file_per_series(self):
        # A folder where the settings file belongs: no run can keep its
        # record, so every run finds the series new.
        os.makedirs(os.path.join(self.work, "tellwick.ini", "inner"))
        failed = ".\\tellwick.ini" if WINDOWS else "./tellwick.ini"
        self.series()
        for run in range(4):
            status, out, err = self.run_exporter("--auto", CHARACTER)
            self.assertEqual((status, out), (1, NEW_SERIES + failed + SAVE_FAILED), run)
            self.assertIn(failed + ": the export's record could not be written, system error", err)
        names = ["2014.03.05.2107.log", "recipe.2014.03.05.2107.log"]
        self.assertEqual(sorted(os.listdir(os.path.join(self.work, "log"))), names)
        self.assertEqual(self.read_log(names[0]), self.SERIES_LINES.encode("cp932"))

        # A relog within the same minute is another series with a file of its own.
        os.remove(os.path.join(self.game, CHARACTER, "log", "00000001.log"))
        self.chunk(CHARACTER, 0, 0, [(0x5316F4A0, 0x000A, "second series")], CHUNK0_UNIX + 10)
        for run in range(2):
            self.assertEqual(self.run_exporter("--auto", CHARACTER)[0], 1)
        self.assertEqual(sorted(os.listdir(os.path.join(self.work, "log"))), names[:1] + ["2014.03.05.2107_2.log"] + names[1:])
        self.assertEqual(self.read_log(names[0]), self.SERIES_LINES.encode("cp932"))
        self.assertEqual(self.read_log("2014.03.05.2107_2.log"), b"5316F4A0000Asecond series\r\n")

    def test_series_keep_their_files_when_the_clocks_go_back(self):
        # Berlin's clocks go back on 2024-10-27: one process runs with its
        # summer offset, the next with its winter one. The second series'
        # chunk 0 then falls in the minute that names the first one's file.
        summer, winter = "CEST-2", "CET-1"
        at_0930_utc = 1729935000  # 2024-10-26 09:30:00 UTC
        self.chunk(CHARACTER, 0, 0, [(0x671CB698, 0x0039, "first")], at_0930_utc)
        self.chunk(OTHER, 0, 0, [(0x671CC4A8, 0x0039, "second")], at_0930_utc + 3600)
        for character in (CHARACTER, OTHER):
            status, _, err = self.run_exporter("--auto", character, zone=summer)
            self.assertEqual(status, 0, err)
        self.assertEqual(sorted(os.listdir(os.path.join(self.work, "log"))),
                         ["2024.10.26.1130.log", "2024.10.26.1230.log"])
        self.chunk(OTHER, 1, 1, [(0x671CC4B0, 0x0039, "second, later")], at_0930_utc + 3660)
        status, _, err = self.run_exporter("--auto", OTHER, zone=winter)
        self.assertEqual(status, 0, err)
        self.assertEqual(self.read_log("2024.10.26.1130.log"), b"671CB6980039first\r\n")
        self.assertEqual(self.read_log("2024.10.26.1230.log"),
                         b"671CC4A80039second\r\n671CC4B00039second, later\r\n")
        self.assertEqual(self.section_key(CHARACTER, "LOGFILE"), "2024.10.26.1130.log")
        self.assertEqual(self.section_key(OTHER, "LOGFILE"), "2024.10.26.1230.log")
        # A series that is new in winter takes the minute's name, never over
        # the file another character's record names, even one that begins alike.
        os.remove(os.path.join(self.game, OTHER, "log", "00000001.log"))
        self.chunk(OTHER, 0, 0, [(0x671CB698, 0x0039, "first")], at_0930_utc + 3607)
        status, _, err = self.run_exporter("--auto", OTHER, zone=winter)
        self.assertEqual(status, 0, err)
        self.assertEqual(self.read_log("2024.10.26.1130.log"), b"671CB6980039first\r\n")
        self.assertEqual(self.read_log("2024.10.26.1130_2.log"), b"671CB6980039first\r\n")
        self.assertEqual(self.section_key(OTHER, "LOGFILE"), "2024.10.26.1130_2.log")

    def test_log_folder_that_cannot_be_made(self):
        self.series()
        with open(os.path.join(self.work, "blocked"), "wb"):
            pass
        self.write_settings("[GENERIC]\nLOGDIR=blocked\n")
        sep = "\\" if WINDOWS else "/"
        for command in ([CHARACTER], ["--auto", CHARACTER]):
            status, out, err = self.run_exporter(*command)
            self.assertEqual(status, 1, command)
            self.assertEqual(out, NEW_SERIES + "blocked" + sep + "2014.03.05.2107.log" + SAVE_FAILED)
            self.assertIn("blocked" + sep + "2014.03.05.2107.log: no temporary file could be created for it, "
                          "system error", err)
        self.assertIsNone(self.key("LOGFILE"))
        self.assertIsNone(self.key("DATE"))

    # --- where the game folder is when none is given

    def shown(self, path):
        """A folder as the exporter names it: under Wine through drive Z:."""
        return (windows_path(path) + "\\") if WINDOWS else (path + "/")

    def test_game_dir_setting_names_the_game_folder(self):
        self.series()
        for written in (self.game, self.game + os.sep):
            value = windows_path(written) if WINDOWS else written
            self.write_settings("[GENERIC]\nGAMEDIR=" + value + "\n")
            status, out, err = self.run_exporter("--list", game_dir=False)
            self.assertEqual((status, out), (0, CHARACTER + " *\n"), err)
            self.assertIn("game folder: " + value + " (GAMEDIR)\r\n", err)
        status, out, _ = self.run_exporter(CHARACTER, game_dir=False)
        self.assertEqual((status, out), (0, NEW_SERIES + self.log_path("2014.03.05.2107.log") + SAVED))
        # --game-dir still overrides it.
        other = os.path.join(self.root, "other")
        self.series(OTHER, game=other)
        status, out, err = self.run_exporter("--game-dir", windows_path(other) if WINDOWS else other, "--list",
                                             game_dir=False)
        self.assertEqual((status, out), (0, OTHER + " *\n"))
        self.assertNotIn("game folder:", err)
        # A folder that does not exist holds no character, as an empty Documents folder.
        self.write_settings("[GENERIC]\nGAMEDIR=" + (windows_path(other) if WINDOWS else other) + "-gone\n")
        self.assertEqual(self.run_exporter("--list", game_dir=False)[:2], (0, ""))

    def make_home(self):
        home = os.path.join(self.root, "home")
        xlcore = os.path.join(home, ".xlcore", "ffxivConfig")
        steam = os.path.join(home, ".local", "share", "Steam")
        proton = os.path.join(steam, "steamapps", "compatdata", "39210", "pfx", "drive_c", "users", "steamuser",
                              "Documents", "My Games", "FINAL FANTASY XIV - A Realm Reborn")
        os.makedirs(os.path.join(home, ".steam"))
        os.symlink(steam, os.path.join(home, ".steam", "steam"))
        return home, xlcore, steam, proton

    def test_launcher_folders_are_found_without_a_game_folder(self):
        home, xlcore, steam, proton = self.make_home()
        status, out, err = self.run_exporter("--list", game_dir=False, home=home)
        self.assertEqual((status, out), (0, ""))
        self.assertIn("game folder: no character folder", err)

        self.series(CHARACTER, CHUNK0_UNIX, game=xlcore)
        self.series(OTHER, CHUNK0_UNIX + 60, game=proton)
        # Steam's list names the installation again, through its link.
        with open(os.path.join(steam, "steamapps", "libraryfolders.vdf"), "w") as f:
            f.write('"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n}\n'
                    % os.path.join(home, ".steam", "steam"))
        status, out, err = self.run_exporter("--list", game_dir=False, home=home)
        self.assertEqual((status, out), (0, OTHER + " *\n"), err)
        self.assertIn("game folder: " + self.shown(proton) + " (its chunk file 0 is the newest)\r\n", err)
        self.assertIn("game folder: also found " + self.shown(xlcore) + "\r\n", err)
        self.assertEqual(err.count("game folder:"), 2, err)  # the Steam prefix once, through either route

        status, out, _ = self.run_exporter(OTHER, game_dir=False, home=home)
        self.assertEqual((status, out), (0, NEW_SERIES + self.log_path("2014.03.05.2108.log") + SAVED))

        # A damaged library list is told; the rest is still found.
        with open(os.path.join(steam, "steamapps", "libraryfolders.vdf"), "w") as f:
            f.write('"libraryfolders" { "0" { "path" "/unterminated')
        status, out, err = self.run_exporter("--list", game_dir=False, home=home)
        self.assertEqual((status, out), (0, OTHER + " *\n"), err)
        self.assertIn("libraryfolders.vdf is not a well-formed list of Steam libraries\r\n", err)

    def test_lutris_prefix_late_in_a_full_games_folder(self):
        home = os.path.join(self.root, "home")
        games = os.path.join(home, "Games")
        for i in range(400):
            os.makedirs(os.path.join(games, "game-%d" % i))
        late = os.listdir(games)[333]  # in the order the system lists them
        game = os.path.join(games, late, "drive_c", "users", "me", "Documents", "My Games",
                            "FINAL FANTASY XIV - A Realm Reborn")
        self.series(CHARACTER, game=game)
        status, out, err = self.run_exporter("--list", game_dir=False, home=home)
        self.assertEqual((status, out), (0, CHARACTER + " *\n"), err)
        self.assertEqual(err, "game folder: " + self.shown(game) + "\r\n")

        # With every folder a Wine prefix, the game's lies past the bound,
        # and the search says where it stopped.
        for name in os.listdir(games):
            os.makedirs(os.path.join(games, name, "drive_c", "users"), exist_ok=True)
        status, out, err = self.run_exporter("--list", game_dir=False, home=home)
        self.assertEqual(status, 0, err)
        if not WINDOWS:  # Wine lists a folder in an order of its own
            self.assertEqual(out, "", err)
        self.assertIn("game folder: " + (windows_path(games) if WINDOWS else games) +
                      " holds more than 256 Wine prefixes; only the first 256 are searched\r\n", err)

    def test_deep_flatpak_steam_character_is_listed_and_exported(self):
        if WINDOWS:
            self.skipTest("the Windows program keeps paths in Windows' buffers")
        # Flatpak Steam's game folder lies 161 characters below the home
        # folder: with this home, the character's folder is longer than 256.
        home = os.path.join(self.root, "home", "player" * 12)
        game = os.path.join(home, ".var", "app", "com.valvesoftware.Steam", ".local", "share", "Steam", "steamapps",
                            "compatdata", "39210", "pfx", "drive_c", "users", "steamuser", "Documents", "My Games",
                            "FINAL FANTASY XIV - A Realm Reborn")
        self.series(CHARACTER, game=game)
        self.assertGreater(len(os.path.join(game, CHARACTER, "")), 256)
        status, out, err = self.run_exporter("--list", game_dir=False, home=home)
        self.assertEqual((status, out), (0, CHARACTER + " *\n"), err)
        self.assertIn("game folder: " + game + "/\r\n", err)
        status, out, err = self.run_exporter(CHARACTER, game_dir=False, home=home)
        self.assertEqual((status, out), (0, NEW_SERIES + self.log_path("2014.03.05.2107.log") + SAVED), err)
        self.assertEqual(self.read_log("2014.03.05.2107.log"), self.SERIES_LINES.encode("cp932"))
        # Named in GAMEDIR instead, the folder is read whole.
        self.write_settings("[GENERIC]\nGAMEDIR=" + game + "\n")
        status, out, err = self.run_exporter("--list", game_dir=False)
        self.assertEqual((status, out), (0, CHARACTER + " *\n"), err)
        self.assertIn("game folder: " + game + " (GAMEDIR)\r\n", err)

    def test_names_that_are_not_utf8_are_opened(self):
        if WINDOWS:
            self.skipTest("a Windows name is UTF-16, never bytes")
        # A Lutris prefix whose name is in Latin-1: found, listed and exported,
        # and named on standard error with U+FFFD for the byte.
        home = os.path.join(self.root, "home")
        game = os.path.join(home, "Games", os.fsdecode(b"Jeux\xe9"), "drive_c", "users", "me", "Documents",
                            "My Games", "FINAL FANTASY XIV - A Realm Reborn")
        self.series(CHARACTER, game=game)
        status, out, err = self.run_exporter("--list", game_dir=False, home=home)
        self.assertEqual((status, out), (0, CHARACTER + " *\n"), err)
        self.assertIn("game folder: " + os.path.join(home, "Games", "Jeux\ufffd") + "/", err)
        status, out, err = self.run_exporter(CHARACTER, game_dir=False, home=home)
        self.assertEqual((status, out), (0, NEW_SERIES + self.log_path("2014.03.05.2107.log") + SAVED), err)

        # Export files of such names given on the command line: read, or told
        # by a name in UTF-8.
        named = os.path.join(self.root, os.fsdecode(b"a\xe9.log"))
        shutil.copy(os.path.join(self.work, "log", "2014.03.05.2107.log"), named)
        missing = os.path.join(self.root, os.fsdecode(b"b\xe9.log"))
        status, out, err = self.run_exporter("--read", named, missing, game_dir=False)
        # Exported without control sequences: the line break between x and y is not in the file.
        self.assertEqual((status, out), (0, self.SERIES_HISTORY.replace("x y", "xy")), err)
        self.assertEqual(len(err.splitlines()), 1, err)
        self.assertIn("b\ufffd.log", err)
        self.assertIn("cannot be read", err)

    def test_dropped_file(self):
        cases = [
            ("x\r\n0046" + MATERIA, ""),
            ("x\r\n0046" + MATERIA + "\r\n", "0046" + MATERIA + "\r\n"),
            ("0046" + MATERIA + "\n\n\r0047" + MATERIA + "\r", "0046" + MATERIA + "\r\n0047" + MATERIA + "\r\n"),
            ("0046" + MATERIA + "\n\x000047" + MATERIA + "\n", "0046" + MATERIA + "\r\n"),
        ]
        path = os.path.join(self.root, "dropped.txt")
        for text, expected in cases:
            with open(path, "wb") as f:
                f.write(text.encode("utf-8"))
            status, out, err = self.run_exporter("--drop", windows_path(path) if WINDOWS else path, game_dir=False)
            self.assertEqual((status, out, err), (0, "", expected), repr(text))
        status, out, err = self.run_exporter("--drop", os.path.join(self.root, "missing.txt"), game_dir=False)
        self.assertEqual((status, out, err), (0, "", ""))

    # --- reading the history back

    SERIES_HISTORY = ("2014-03-05 18:55:24 [Say] Aaa Bbb: hello\n"
                      "2014-03-05 18:55:25 [SystemMessage] x y\n"
                      "2014-03-05 18:55:26 [TellOutgoing] Ccc Ddd: こんにちは\n"
                      "2007-07-20 09:21:20 [SystemMessage] Aaa Bbb:SwordからStoneが生成された！\n")

    def path_arg(self, path):
        return windows_path(path) if WINDOWS else path

    def test_read_history_from_the_log_folder_and_the_game(self):
        self.series()
        self.write_settings("[GENERIC]\nCTRLTOSTR=1\n")
        self.assertEqual(self.run_exporter(CHARACTER)[0], 0)
        # A second session, exported in UTF-16 to a name of a later minute.
        self.chunk(OTHER, 0, 0, [(0x5316F600, 0x000E, "\x1fEee Fff\x1fparty \"time\"\nnext line")], CHUNK0_UNIX + 60)
        self.write_settings("[GENERIC]\nCHARSET=2\n")
        self.assertEqual(self.run_exporter(OTHER)[0], 0)
        status, out, err = self.run_exporter("--read", game_dir=False)
        self.assertEqual((status, err), (0, ""))
        party = "2014-03-05 19:01:36 [Party] Eee Fff: party \"time\" next line\n"
        self.assertEqual(out, self.SERIES_HISTORY + party)

        status, out, err = self.run_exporter("--read", "--chunks", CHARACTER)
        self.assertEqual((status, out, err), (0, self.SERIES_HISTORY, ""))

        status, out, err = self.run_exporter("--read", "--json", "--channel", "party", game_dir=False)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual([json.loads(line) for line in out.splitlines()], [{
            "time": "2014-03-05T19:01:36+09:00", "unix": 0x5316F600, "channel": "Party", "code": 14,
            "sender": "Eee Fff", "message": "party \"time\"\nnext line"}])

        cases = [
            (["--channel", "say,TellOutgoing"], [0, 2]),
            (["--channel", "chat", "--sender", "ccc"], [2]),
            (["--grep", "STONE"], [3]),
            (["--since", "2014-03-05 18:55", "--until", "2014-03-05"], [0, 1, 2]),
            (["--since", "2014-03-05 18:56"], []),
            (["--until", "2007-07-20"], [3]),
        ]
        lines = self.SERIES_HISTORY.splitlines(keepends=True)
        for args, wanted in cases:
            status, out, err = self.run_exporter("--read", *args, "--chunks", CHARACTER)
            self.assertEqual((status, out, err), (0, "".join(lines[i] for i in wanted), ""), args)

    def test_read_shows_the_text_as_the_game_showed_it(self):
        self.chunk(CHARACTER, 0, 0, [
            (0x5316F48C, 0x00A9, "\x1fWhite Oath\x02\x12\x02\x59\x03Kujata\x1ftakes 9064\x02\x1d\x01\x03(+50%) "
                                 "damage.\x02\x10\x01\x03\ue090 \x02\x2e\x03\x04\x05\x03"),
            (0x5316FB94, 0x000A, ":Aaa Bbb:Sahagin\x02\x1f\x01\x03Lord\ue03c\ue0ff")], CHUNK0_UNIX)
        self.write_settings("[GENERIC]\nCTRLTOSTR=1\nCHARSET=1\n")
        self.assertEqual(self.run_exporter(CHARACTER)[0], 0)
        text = ("2014-03-05 18:55:24 [0x29] White Oath@Kujata: takes 9064 (+50%) damage. \u2460 {AT 3:4}\n"
                "2014-03-05 19:25:24 [Say] Aaa Bbb: Sahagin-Lord(HQ)\ue0ff\n")
        for source in (["--chunks", CHARACTER], []):
            status, out, err = self.run_exporter("--read", *source, game_dir=bool(source))
            self.assertEqual((status, out, err), (0, text, ""), source)
            # India is half an hour off the hour: times, offsets and dates keep the half hour.
            status, out, err = self.run_exporter("--read", "--json", "--channel", "battle", "--since",
                                                 "2014-03-05 15:25", "--until", "2014-03-05 15:54", *source,
                                                 game_dir=bool(source), zone="Asia/Kolkata")
            self.assertEqual((status, err), (0, ""), source)
            self.assertEqual([json.loads(line) for line in out.splitlines()], [{
                "time": "2014-03-05T15:25:24+05:30", "unix": 0x5316F48C, "channel": "0x29", "code": 0xA9,
                "sender": "White Oath@Kujata", "message": "takes 9064 (+50%) damage.\n\u2460 {AT 3:4}"}], source)

    def test_read_tells_bad_input_and_reads_the_rest(self):
        good = os.path.join(self.root, "2014.03.05.2107.log")
        with open(good, "wb") as f:
            f.write("5316F48C000A:Aaa Bbb:こんにちは\r\n".encode("cp932"))
        odd = os.path.join(self.root, "odd.log")
        with open(odd, "wb") as f:
            f.write("5316F48D000Eodd\r\n".encode("utf-16-le") + b"!")
        broken = os.path.join(self.root, "broken.log")
        with open(broken, "wb") as f:
            f.write(b"junk line\r\n5316F48E000Abad \xff byte\r\n")
        sjis = os.path.join(self.root, "sjis.log")
        with open(sjis, "wb") as f:
            # 85 40 has no character in code page 932.
            f.write(b"5316F48F000A\x82\xa0\r\n5316F490000A\x85\x40!\x81\x45\r\n")
        other = os.path.join(self.root, "notes.txt")
        with open(other, "wb") as f:
            f.write(b"not a log\r\n")
        files = [good, odd, broken, sjis, other, os.path.join(self.root, "missing.log")]
        status, out, err = self.run_exporter("--read", *[self.path_arg(p) for p in files], game_dir=False)
        self.assertEqual(status, 0)
        self.assertEqual(out, "2014-03-05 18:55:24 [Say] Aaa Bbb: こんにちは\n"
                              "2014-03-05 18:55:25 [Party] odd\n"
                              "2014-03-05 18:55:26 [Say] bad \ufffd byte\n"
                              "2014-03-05 18:55:27 [Say] あ\n"
                              "2014-03-05 18:55:28 [Say] ・!・\n")
        messages = err.splitlines()
        self.assertEqual(len(messages), 6, err)
        for message, expected in zip(messages, ["odd length", "ill-formed", "line 1 before",
                                                "sjis.log: 1 character not in code page 932 shown as ・ (U+30FB) "
                                                "(the first on line 2)", "not an export file", "cannot be read"]):
            self.assertIn(expected, message)

        # Nothing exported yet: an empty log folder, a missing one, a missing character.
        self.assertEqual(self.run_exporter("--read", game_dir=False)[:2], (0, ""))
        self.assertEqual(self.run_exporter("--read", "--chunks", CHARACTER)[:2], (0, ""))

    def test_read_of_a_file_larger_than_its_memory(self):
        """A history larger than the memory a reading may take is read
        whole, in each charset, with the process staying under it."""
        if WINDOWS or not sys.platform.startswith("linux"):
            self.skipTest("peak memory of a native child process")
        bound_kib = 64 * 1024
        line = "5316F48C000A:Aaa Bbb:" + "message text ほげ " * 6 + "\r\n"
        count = 80 * 1024 * 1024 // len(line.encode("utf-8")) + 1
        for encoding in ("utf-8", "utf-16-le", "cp932"):
            path = os.path.join(self.root, "big.log")
            with open(path, "wb") as f:
                f.write(line.encode(encoding) * count)
            self.assertGreater(os.path.getsize(path), bound_kib * 1024)
            # A child of its own, whose children's peak is this reading's alone.
            probe = ("import resource, subprocess, sys\n"
                     "p = subprocess.Popen(sys.argv[1:], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)\n"
                     "lines = sum(piece.count(b'\\n') for piece in iter(lambda: p.stdout.read(1 << 20), b''))\n"
                     "print(p.wait(), lines, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n")
            env = dict(os.environ, TZ="Asia/Tokyo")
            done = subprocess.run([sys.executable, "-c", probe] + COMMAND + ["--read", path], cwd=self.work,
                                  env=env, capture_output=True, timeout=300)
            status, lines, peak_kib = (int(x) for x in done.stdout.split())
            self.assertEqual((status, lines), (0, count), encoding)
            self.assertLess(peak_kib, bound_kib, encoding)
            os.remove(path)

    def assert_usage_error(self, args, named):
        """A command line that cannot run: nothing done, exit status 2, one
        line on standard error naming what was wrong, with the hint."""
        status, out, err = self.run_exporter(*args, game_dir=False)
        self.assertEqual((status, out), (2, ""), args)
        self.assertEqual(err, "tellwick-export: " + named + "; see tellwick-export --help\n", args)

    def test_read_bad_usage(self):
        cases = [
            (["--read", "--bogus"], "unknown option --bogus"),
            (["--read", "--since", "2014-3-5"], "--since: not a date: 2014-3-5 (YYYY-MM-DD or "
                                                "\"YYYY-MM-DD HH:MM\", local time, from 1970)"),
            (["--read", "--since", "2024-13-01"], "--since: not a date: 2024-13-01 (YYYY-MM-DD or "
                                                  "\"YYYY-MM-DD HH:MM\", local time, from 1970)"),
            (["--read", "--until", "2014-02-30 10:00"], "--until: not a date: 2014-02-30 10:00 (YYYY-MM-DD or "
                                                        "\"YYYY-MM-DD HH:MM\", local time, from 1970)"),
            (["--read", "--channel", "say,nothing"], "--channel: no channel or group is named \"nothing\" (names as "
                                                     "the history prints them, a hex number such as 0x3E, or chat, "
                                                     "battle)"),
            (["--read", "--since"], "--since: missing argument DATE"),
            (["--read", "--since", "2014-03-05", "--since", "2014-03-06"], "--since is given twice"),
            (["--read", "--chunks"], "--chunks needs a CHARACTER"),
            (["--read", "--chunks", CHARACTER, OTHER], "extra argument: " + OTHER),
            (["--read", "--auto"], "--auto cannot be used with --read"),
            (["--read", "--game-dir", "x"], "--game-dir goes with --read only together with --chunks"),
            (["--json", CHARACTER], "--json goes only with --read"),
            (["--channel", "say", CHARACTER], "--channel goes only with --read"),
            (["--chunks", CHARACTER], "--chunks goes only with --read"),
            (["--read", "--list"], "--read and --list cannot be used together"),
        ]
        for args, named in cases:
            self.assert_usage_error(args, named)

    def test_bad_usage(self):
        cases = [
            ([], "missing CHARACTER, a character folder name (FFXIV_CHR...)"),
            (["--bogus", CHARACTER], "unknown option --bogus"),
            (["-x"], "unknown option -x"),
            ([CHARACTER, OTHER], "extra argument: " + OTHER),
            (["--list", CHARACTER], "extra argument: " + CHARACTER),
            (["--game-dir"], "--game-dir: missing argument DIR"),
            (["--drop"], "--drop: missing argument FILE"),
            (["--watch", "--interval"], "--interval: missing argument SECONDS"),
            (["--watch", "--interval", "0"], "--interval: not a whole number of seconds, at least 1: 0"),
            (["--watch", "--interval", "x"], "--interval: not a whole number of seconds, at least 1: x"),
            (["--watch", "--interval", "1234567"], "--interval: not a whole number of seconds, at least 1: 1234567"),
            (["--interval", "5", CHARACTER], "--interval goes only with --watch"),
            (["--auto"], "missing CHARACTER, a character folder name (FFXIV_CHR...)"),
            (["--auto", "--auto", CHARACTER], "--auto is given twice"),
            ([""], "CHARACTER is empty"),
            (["--list", "--watch"], "--list and --watch cannot be used together"),
            (["--watch", "--drop", "x"], "--watch and --drop cannot be used together"),
            (["--auto", "--list"], "--auto cannot be used with --list"),
            (["--game-dir", "x", "--drop", "y"], "--game-dir cannot be used with --drop"),
        ]
        for args, named in cases:
            self.assert_usage_error(args, named)
        self.assertFalse(os.path.exists(os.path.join(self.work, "tellwick.ini")))

    OPTIONS = ["--game-dir", "--auto", "--list", "--drop", "--watch", "--interval", "--read", "--chunks", "--channel",
               "--since", "--until", "--sender", "--grep", "--json", "--help", "-h", "--version"]

    def test_help_and_version(self):
        for args in (["--help"], ["-h"], ["--list", "-h"], ["--bogus", "--help", "x", "y"], ["--read", "--grep",
                                                                                            "z", "--help"]):
            status, out, err = self.run_exporter(*args, game_dir=False)
            self.assertEqual((status, err), (0, ""), args)
            self.assertTrue(out.startswith("usage:\n"), out)
            for option in self.OPTIONS:
                self.assertRegex(out, "\n  (.*, )?" + option + "[ ,]", option)
            self.assertIn("Examples:\n", out)
            self.assertGreaterEqual(out.count("\n  tellwick-export "), 3 + 6)  # the usage lines and the examples
        status, out, err = self.run_exporter("--version", game_dir=False)
        self.assertEqual((status, err), (0, ""))
        self.assertRegex(out, "^tellwick-export [0-9]+\\.[0-9]+\\.[0-9]+(\\.[0-9]+)?\n$")
        # A value that looks like --help is the value it stands for.
        self.assert_usage_error(["--read", "--since", "--help"], "--since: not a date: --help (YYYY-MM-DD or "
                                                                 "\"YYYY-MM-DD HH:MM\", local time, from 1970)")
        self.assertFalse(os.path.exists(os.path.join(self.work, "tellwick.ini")))

    # --- standard output that cannot be written

    def run_into(self, stdout, *args, game_dir=True, closed=None):
        """Runs the exporter with standard output on `stdout` (a file
        descriptor, or PIPE), and standard stream `closed` closed."""
        argv = list(COMMAND)
        if game_dir:
            argv += ["--game-dir", windows_path(self.game) if WINDOWS else self.game]
        argv += list(args)
        env = dict(os.environ, TZ="Asia/Tokyo")
        done = subprocess.run(argv, cwd=self.work, env=env, stdout=stdout, stderr=subprocess.PIPE, timeout=120,
                              preexec_fn=None if closed is None else lambda: os.close(closed))
        return done.returncode, (done.stderr or b"").decode("utf-8")

    def test_full_standard_output(self):
        if not os.path.exists("/dev/full"):
            self.skipTest("no /dev/full")
        self.series()
        self.write_settings("[GENERIC]\nCHARSET=1\n")
        full = "tellwick-export: standard output could not be written: No space left on device\n"
        with open("/dev/full", "wb") as sink:
            # The export is whole and recorded; only its status texts are lost.
            status, err = self.run_into(sink, CHARACTER)
            self.assertEqual(status, 1)
            self.assertEqual(err.count(full), 1, err)
            self.assertEqual(self.read_log("2014.03.05.2107.log"), self.SERIES_LINES.encode("utf-8"))
            self.assertEqual(self.key("LASTNO"), "2")
            for args in (["--list"], ["--read", "--chunks", CHARACTER], ["--help"], ["--version"]):
                status, err = self.run_into(sink, *args)
                self.assertEqual((status, err.count(full)), (1, 1), args)
            status, err = self.run_into(sink, "--read", game_dir=False)
            self.assertEqual((status, err.count(full)), (1, 1))
            # Nothing to write: nothing failed.
            self.assertEqual(self.run_into(sink, "--auto", CHARACTER), (0, ""))

    def test_closed_standard_streams(self):
        self.series()
        status, err = self.run_into(subprocess.PIPE, CHARACTER, closed=1)
        self.assertEqual(status, 1)
        self.assertIn("tellwick-export: standard output could not be written: Bad file descriptor\n", err)
        self.assertEqual(self.read_log("2014.03.05.2107.log"), self.SERIES_LINES.encode("cp932"))
        # The diagnostic output (the materia line) goes nowhere, not into a
        # file that the export opened in its place.
        os.remove(os.path.join(self.work, "tellwick.ini"))
        self.assertEqual(self.run_into(subprocess.PIPE, CHARACTER, closed=2)[0], 0)
        self.assertEqual(self.read_log("2014.03.05.2107.log"), self.SERIES_LINES.encode("cp932"))
        self.assertNotIn("生成", self.settings_text())

    def test_reader_that_closes_the_pipe_early(self):
        # A reader that took what it wanted (head): no failure, nothing said,
        # and an export under way is finished, not cut short.
        self.series()
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            status, err = self.run_into(write_end, CHARACTER)
            self.assertEqual(status, 0)
            self.assertNotIn("standard output", err)
            self.assertEqual(self.read_log("2014.03.05.2107.log"), self.SERIES_LINES.encode("cp932"))
            self.assertEqual(self.key("LASTNO"), "2")
            for args, game_dir in ((["--read"], False), (["--list"], True), (["--help"], False)):
                self.assertEqual(self.run_into(write_end, *args, game_dir=game_dir), (0, ""), args)
            # Reading stops there: the file after a long one is not even tried.
            big = os.path.join(self.root, "big.log")
            with open(big, "wb") as f:
                f.write((b"5316F48C000A:Aaa Bbb:" + b"m" * 200 + b"\r\n") * 4000)
            missing = os.path.join(self.root, "missing.log")
            self.assertEqual(self.run_into(write_end, "--read", self.path_arg(big), self.path_arg(missing),
                                           game_dir=False), (0, ""))
        finally:
            os.close(write_end)


class SmallFileSystem(ExporterCase):
    """Runs with a tmpfs over the log folder: they need a mount namespace of
    their own (unshare), and are skipped where there is none."""

    def run_on_small_file_system(self, options, setup):
        """Runs a manual export with a tmpfs of `options` mounted over the log
        folder, in a mount namespace of its own; `setup` runs there first. The
        folder's listing follows the export's standard error. Returns the
        export's exit status, standard output and standard error."""
        if WINDOWS or not shutil.which("unshare"):
            self.skipTest("needs a mount namespace of its own")
        script = ('mount -t tmpfs -o "$0" tmpfs log || exit 99; ' + setup + '; "$@"; status=$?; ls -A log >&2; '
                  'exit $status')
        namespace = ["unshare", "-m"] if os.geteuid() == 0 else ["unshare", "-rm"]
        argv = namespace + ["sh", "-c", script, options] + COMMAND + ["--game-dir", self.game, CHARACTER]
        done = subprocess.run(argv, cwd=self.work, env=dict(os.environ, TZ="Asia/Tokyo"), capture_output=True,
                              timeout=120)
        if done.returncode == 99 or b"unshare:" in done.stderr:
            self.skipTest("this system does not let a test mount a small file system")
        return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")

    def test_full_disk_keeps_the_earlier_export(self):
        self.series()
        self.assertEqual(self.run_exporter(CHARACTER)[0], 0)
        earlier = os.path.join(self.root, "earlier.log")
        shutil.copy(os.path.join(self.work, "log", "2014.03.05.2107.log"), earlier)
        message = ":Aaa Bbb:" + "ログの行" * 40
        self.chunk(CHARACTER, 2, 4, [(0x5316F4A0 + i, 0x000A, message) for i in range(1000)], CHUNK0_UNIX + 9)
        # A 64 KiB file system, holding the earlier export, fills up.
        status, out, err = self.run_on_small_file_system(
            "size=64k", 'cp %s log/2014.03.05.2107.log' % earlier)
        self.assertEqual(status, 1)
        self.assertEqual(out, self.log_path("2014.03.05.2107.log") + SAVE_FAILED)
        # No temporary file is left behind (the debugger output comes first:
        # the series holds one materia line, then each file that could not be
        # written, with the system's reason), and the earlier export is whole.
        full = ": could not be written, system error 28 (No space left on device)\r\n"
        unwritten = "".join(self.log_path(name) + full
                            for name in ("2014.03.05.2107.~00", "recipe.2014.03.05.2107.~00"))
        self.assertEqual(err, "46A000000039" + MATERIA + "\r\n" + unwritten + "2014.03.05.2107.log\n")
        self.assertEqual(self.key("LASTNO"), "2")

    def test_read_only_log_folder(self):
        self.series()
        os.makedirs(os.path.join(self.work, "log"))
        status, out, err = self.run_on_small_file_system("ro", "true")
        self.assertEqual(status, 1)
        self.assertEqual(out, NEW_SERIES + self.log_path("2014.03.05.2107.log") + SAVE_FAILED)
        # Nothing could be written, and no materia line was read: the
        # diagnostics hold only the system's reason for each file.
        self.assertEqual(err, "".join(self.log_path(name) + ": no temporary file could be created for it,"
                                      " system error 30 (Read-only file system)\r\n"
                                      for name in ("2014.03.05.2107.log", "recipe.2014.03.05.2107.log")))
        self.assertIsNone(self.key("LASTNO"))


class SettingsFile(ExporterCase):
    """The settings file shared with other exporters, and in forms it cannot take."""

    # Under Wine every start costs far more, and a few rounds already meet.
    ROUNDS = 100

    def start_exporter(self, *args):
        argv = list(COMMAND) + ["--game-dir", windows_path(self.game) if WINDOWS else self.game] + list(args)
        return subprocess.Popen(argv, cwd=self.work, env=dict(os.environ, TZ="Asia/Tokyo"),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def sections(self):
        found = {}
        current = None
        for line in self.settings_text().splitlines():
            if line.startswith("["):
                current = found.setdefault(line.strip("[]"), {})
            elif current is not None and "=" in line:
                key, value = line.split("=", 1)
                current[key] = value
        return found

    def test_two_exports_at_once_keep_both_records(self):
        self.series(CHARACTER)
        self.series(OTHER, CHUNK0_UNIX + 120)
        settings = os.path.join(self.work, "tellwick.ini")
        lost = []
        rounds = 20 if WINDOWS else self.ROUNDS
        for round in range(rounds):
            if os.path.exists(settings):
                os.remove(settings)
            runs = [self.start_exporter(character) for character in (CHARACTER, OTHER)]
            for run in runs:
                _, err = run.communicate(timeout=120)
                self.assertEqual(run.returncode, 0, err.decode("utf-8"))
            sections = self.sections()
            for character in (CHARACTER, OTHER):
                if sections.get(character, {}).get("LASTNO") != "2":
                    lost.append((round, character))
        self.assertEqual(lost, [], "records lost in %d rounds" % rounds)

    def test_read_only_settings_file_is_told_and_kept(self):
        self.series()
        self.write_settings("[GENERIC]\nCHARSET=1\n")
        settings = os.path.join(self.work, "tellwick.ini")
        before = self.settings_text()
        os.chmod(settings, 0o444)
        failed = ".\\tellwick.ini" if WINDOWS else "./tellwick.ini"
        # The export file itself was saved; only its record could not be.
        _, out, _ = self.run_exporter(CHARACTER)
        self.assertEqual(out, NEW_SERIES + failed + SAVE_FAILED + self.log_path("2014.03.05.2107.log") + SAVED)
        self.assertEqual(self.settings_text(), before)
        self.assertEqual(os.stat(settings).st_mode & 0o777, 0o444)
        os.chmod(settings, 0o644)
        self.assertEqual(self.run_exporter(CHARACTER)[0], 0)
        self.assertEqual(self.key("LASTNO"), "2")

    def test_fifo_settings_file_is_not_waited_on(self):
        if WINDOWS:
            self.skipTest("a FIFO is a POSIX file")
        self.series()
        settings = os.path.join(self.work, "tellwick.ini")
        os.mkfifo(settings)
        for args, game_dir in ((["--read"], False), ([CHARACTER], True), (["--list"], True)):
            try:
                self.run_exporter(*args, game_dir=game_dir, timeout=20)
            except subprocess.TimeoutExpired:
                self.fail("%s waited on the FIFO" % args)
        self.assertTrue(stat.S_ISFIFO(os.stat(settings).st_mode))


if __name__ == "__main__":
    args = sys.argv[1:]
    if args and args[0] == "--windows":
        WINDOWS = True
        args = args[1:]
    cases = "ExporterProcess"
    if args and args[0] == "--cases":
        cases = args[1]
        args = args[2:]
    # The tests run the exporter in folders of their own.
    COMMAND = [os.path.abspath(a) if os.path.exists(a) else a for a in args]
    result = unittest.main(argv=[sys.argv[0], "-v", cases], exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(77 if result.testsRun > 0 and len(result.skipped) == result.testsRun else 0)
