#!/usr/bin/env python3
"""End-to-end scenarios: the real duskline.exe under Wine on an X display, looked at from
outside with the probe (tests/e2e/probe.cpp). Each scenario is bounded by timeouts.

    e2e.py SCENARIO --program duskline.exe --probe duskline_probe.exe --work DIR

Exit code 0 passed, 1 failed, 77 skipped (no Wine or no faketime on this machine).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
SKIP = 77


class Failed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failed(message)


def build_tree(path):
    folder = os.path.dirname(os.path.abspath(path))
    while folder != "/" and not os.path.exists(os.path.join(folder, "CMakeCache.txt")):
        folder = os.path.dirname(folder)
    return folder


class Display:
    """The current X display, or a private Xvfb when there is none."""

    def __init__(self):
        self.server = None
        if os.environ.get("DISPLAY"):
            return
        number = next(n for n in range(40, 100) if not os.path.exists("/tmp/.X%d-lock" % n))
        self.server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1024x768x24",
                                        "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        os.environ["DISPLAY"] = ":%d" % number
        time.sleep(1)

    def close(self):
        if self.server:
            self.server.terminate()
            self.server.wait(10)


class Session:
    """One run of the program in a folder of its own, with its INI file."""

    def __init__(self, args, name):
        self.args = args
        self.folder = os.path.join(args.work, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.program = os.path.join(self.folder, "duskline.exe")
        shutil.copy(args.program, self.program)
        self.log = os.path.join(self.folder, "wine.log")
        self.process = None
        os.environ["WINEPREFIX"] = os.path.join(build_tree(args.program), "wineprefix")
        os.environ.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")

    def ini(self):
        path = os.path.join(self.folder, "Vesperon.ini")
        return open(path).read() if os.path.exists(path) else None

    def start(self, arguments=(), fake_time=None, relay=False):
        check(self.windows() == {}, "windows of an earlier run are still open")
        env = dict(os.environ)
        env["WINEDEBUG"] = "+relay" if relay else "-all"
        command = [WINE_RUN, self.program, *arguments]
        if fake_time:
            # Only the clock of the program is set; file times and timers stay real.
            env.update(NO_FAKE_STAT="1", FAKETIME_DONT_FAKE_MONOTONIC="1")
            command = ["faketime", "-f", "@" + fake_time, *command]
        self.process = subprocess.Popen(command, cwd=self.folder, env=env,
                                        stdout=open(self.log, "wb"), stderr=subprocess.STDOUT)

    def probe(self, *words):
        # A file, not a pipe: Wine's own processes started on the way inherit the output and
        # would hold a pipe open long after the probe has ended.
        with tempfile.TemporaryFile() as output:
            code = subprocess.run([WINE_RUN, self.args.probe, *words], stdout=output,
                                  stderr=subprocess.DEVNULL, timeout=60,
                                  env=dict(os.environ, WINEDEBUG="-all")).returncode
            output.seek(0)
            return code, output.read().decode("utf-8", "replace")

    def windows(self):
        """Our windows by caption: visible, topmost and the texts of their controls."""
        windows = {}
        current = None
        for line in self.probe("list")[1].splitlines():
            top = re.match(r'window class=(\S+) caption="(.*)" visible=(\d) topmost=(\d)', line)
            if top:
                current = {"class": top.group(1), "visible": top.group(3) == "1",
                           "topmost": top.group(4) == "1", "texts": [], "selected": None}
                windows.setdefault(top.group(2), current)
                continue
            child = re.match(r'  control class=(\S+) text="(.*)"(?: selected=(-?\d+))?$', line)
            if child and current is not None:
                current["texts"].append(child.group(2))
                if child.group(3) is not None:
                    current["selected"] = int(child.group(3))
        return windows

    def wait_for(self, what, condition, limit):
        end = time.time() + limit
        while time.time() < end:
            windows = self.windows()
            if condition(windows):
                return windows
            if self.process.poll() is not None:
                raise Failed("the program ended while waiting for " + what)
            time.sleep(0.5)
        raise Failed("no " + what + " within %d s" % limit)

    def wait_main(self):
        return self.wait_for("main window", lambda w: "Duskline" in w and w["Duskline"]["visible"],
                             60)["Duskline"]

    def click(self, text):
        code, _ = self.probe("click", text)
        check(code == 0, "no button " + text)

    def ended(self, limit):
        try:
            self.process.wait(limit)
            return True
        except subprocess.TimeoutExpired:
            return False

    def exit_calls(self):
        with open(self.log, "rb") as f:
            text = f.read().decode("latin-1")
        return re.findall(r"Call user32\.ExitWindowsEx\(([0-9a-fA-F]+),([0-9a-fA-F]+)\)", text)

    def close(self):
        if self.process and self.process.poll() is None:
            self.probe("close", "Duskline")
            if not self.ended(10):
                self.process.kill()
                self.process.wait(10)
        # The next run starts in a quiet prefix: what the end of the session started (Wine's
        # own end-session run after ExitWindowsEx) has finished.
        subprocess.run(["wineserver", "-w"], timeout=120)


def expect_schedule(main, time_text, index, item):
    check(time_text in main["texts"], "time text %r not in %r" % (time_text, main["texts"]))
    check(main["selected"] == index, "selected %r, expected %d" % (main["selected"], index))
    check(item in main["texts"], "combo text %r not in %r" % (item, main["texts"]))


def startup_from_ini(args):
    session = Session(args, "startup_from_ini")
    with open(os.path.join(session.folder, "Vesperon.ini"), "w") as f:
        f.write("[Command]\r\nCode=07:30 1\r\n")
    try:
        session.start()
        main = session.wait_main()
        for text in ("Shutdown at", "Shutdown Type", "&Close", "&About", "&Hide"):
            check(text in main["texts"], "no control text " + text)
        expect_schedule(main, "07:30", 1, "Shutdown")
        session.click("&Close")
        check(session.ended(20), "the program did not end after Close")
    finally:
        session.close()


def startup_from_arguments(args):
    session = Session(args, "startup_from_arguments")
    try:
        session.start(["07:30", "1"])
        expect_schedule(session.wait_main(), "07:30", 1, "Shutdown")
        check(session.ini() is None, "start-up wrote the INI file")
    finally:
        session.close()
    check(session.ended(1), "the program did not end when its window was closed")


def hide_until_countdown(session, schedule, start):
    session.start([schedule, "2"], fake_time=start, relay=True)
    session.wait_main()
    session.click("&Hide")
    windows = session.wait_for("countdown window",
                               lambda w: "System Information" in w and
                               w["System Information"]["visible"], 30)
    check(not windows["Duskline"]["visible"], "the main window is still shown")
    return windows["System Information"]


def countdown_and_action(args):
    session = Session(args, "countdown_and_action")
    try:
        # The set minute is a minute after the clock's start: the countdown opens at once.
        attention = hide_until_countdown(session, "12:00", "2026-01-01 11:59:10")
        check(attention["topmost"], "the countdown window is not topmost")
        check("Power Off" in attention["texts"], "no action name in %r" % attention["texts"])
        end = time.time() + 90
        while not session.exit_calls() and time.time() < end and session.process.poll() is None:
            time.sleep(1)
        calls = session.exit_calls()
        check(len(calls) == 1, "ExitWindowsEx calls: %r" % calls)
        flags, reserved = (int(value, 16) for value in calls[0])
        check(flags == 12, "flags %d, expected 12 (power off, forced)" % flags)
        check(reserved == 0xFFFFFFFF, "reserved %#x" % reserved)
        check("Code=12:00 2" in (session.ini() or ""), "the last minute did not save the schedule")
    finally:
        session.close()


def stop_ends_program(args):
    session = Session(args, "stop_ends_program")
    try:
        hide_until_countdown(session, "12:00", "2026-01-01 11:59:10")
        session.click("Stop")
        check(session.ended(20), "the program did not end after Stop")
        check(session.exit_calls() == [], "ExitWindowsEx was called: %r" % session.exit_calls())
    finally:
        session.close()


SERVICE_KEY = r"HKLM\System\CurrentControlSet\Services\Orvanta Vesperon"


def registry(key, value):
    """The data of a registry value in the run's prefix, or None when it is not there."""
    result = subprocess.run(["wine", "reg", "query", key, "/v", value], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=120,
                            env=dict(os.environ, WINEDEBUG="-all"))
    found = re.search(re.escape(value) + r"\s+REG_\w+\s+(.*?)\s*$",
                      result.stdout.decode("utf-8", "replace"), re.MULTILINE)
    return found.group(1) if result.returncode == 0 and found else None


def run_switch(session, switch, message):
    """Starts the program with a service switch: one message box, OK, then the end."""
    session.start([switch])
    box = session.wait_for("message box", lambda w: "Vesperon" in w and w["Vesperon"]["visible"],
                           60)
    check(message in box["Vesperon"]["texts"], "message %r not in %r" %
          (message, box["Vesperon"]["texts"]))
    check("Duskline" not in box or not box["Duskline"]["visible"], "the main window was shown")
    session.click("OK")
    check(session.ended(20), "the program did not end after " + switch)


def install_and_uninstall(args):
    session = Session(args, "install_and_uninstall")
    try:
        run_switch(session, "-install", "Orvanta Duskline erfolgreich installiert.")
        image = registry(SERVICE_KEY, "ImagePath") or ""
        check(re.fullmatch(r'"[^"]*\\duskline\.exe"', image) is not None,
              "service path %r is not the program's full path in quotes" % image)
        check(registry(SERVICE_KEY, "DisplayName") == "Orvanta Duskline", "display name")
        check(registry(SERVICE_KEY + r"\Parameters", "TimerInterval") == "1000",
              "TimerInterval not stored")
        run_switch(session, "-uninstall", "Orvanta Duskline erfolgreich deinstalliert.")
        check(registry(SERVICE_KEY, "ImagePath") is None, "the service is still registered")
        run_switch(session, "-uninstall", "Orvanta Duskline konnte nicht deinstalliert werden.")
    finally:
        session.close()
        if registry(SERVICE_KEY, "ImagePath") is not None:
            subprocess.run(["wine", "sc", "delete", "Orvanta Vesperon"], timeout=120,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


SCENARIOS = {f.__name__: f for f in (startup_from_ini, startup_from_arguments,
                                     countdown_and_action, stop_ends_program,
                                     install_and_uninstall)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--program", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    args.program, args.probe, args.work = map(os.path.abspath, (args.program, args.probe, args.work))
    for tool in ("wine", "faketime"):
        if shutil.which(tool) is None:
            print("skipped: %s is not installed" % tool)
            return SKIP
    os.makedirs(args.work, exist_ok=True)
    display = Display()
    try:
        if args.scenario in ("countdown_and_action", "stop_ends_program"):
            # The relay trace shows ExitWindowsEx alone.
            subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Debug", "/v",
                            "RelayInclude", "/t", "REG_SZ", "/d", "user32.ExitWindowsEx", "/f"],
                           env=dict(os.environ, WINEPREFIX=os.path.join(
                               build_tree(args.program), "wineprefix"), WINEDEBUG="-all"),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        SCENARIOS[args.scenario](args)
    except Failed as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        display.close()
    print("passed: " + args.scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
