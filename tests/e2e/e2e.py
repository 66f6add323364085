#!/usr/bin/env python3
"""End-to-end scenarios: the real duskline.exe under Wine on an X display, looked at and driven
from outside by the probe (probe.cpp). Exit code 0 passed, 1 failed.

    e2e.py SCENARIO --program EXE --probe EXE --work DIR --prefix WINEPREFIX [--real-clock]
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                        "wine-run")
# The calls of the actions, and the privilege step before them.
RELAYED = ("advapi32.AdjustTokenPrivileges", "kernelbase.AdjustTokenPrivileges",
           "user32.ExitWindowsEx", "powrprof.SetSuspendState", "user32.LockWorkStation",
           "user32.NotifyWinEvent")
SERVICE_KEY = r"HKLM\System\CurrentControlSet\Services\Orvanta Vesperon"
CATALOG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "po", "de.po")
# The main window's texts in English (the scenarios run with LANG=C), as they have always been.
ENGLISH = ["&About", "&Hide", "&Close", "Shutdown Type", "Shutdown", "Shutdown at", "07:30", "",
           "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "&When", "At a time of day",
           "&Duration H:MM", "", "&Program", "", "", ""]


def runs_32bit_code():
    """Whether Wine's 32-bit loader runs here: installed, on a kernel that runs 32-bit code."""
    loader = "/usr/lib/wine/wine"
    return os.access(loader, os.X_OK) and subprocess.run([loader, "--version"],
                                                         capture_output=True).returncode == 0


# The wine command prefers the 32-bit loader and fails with it where it cannot run.
WINE = "wine" if runs_32bit_code() else "/usr/lib/wine/wine64"


class Failed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failed(message)


def wine(*command, log=None, **env):
    """Runs a Wine command in the scenario's prefix; its output, or its exit code with a log.
    Output goes to a file, not a pipe: Wine's own processes started on the way inherit it and
    would hold a pipe open long after the command has ended."""
    with tempfile.TemporaryFile() as output:
        env = {**os.environ, "WINEDEBUG": "-all", **env}
        code = subprocess.run(command, stdout=log or output, stderr=log or subprocess.DEVNULL,
                              timeout=120, env=env).returncode
        output.seek(0)
        return code if log else (code, output.read().decode("utf-8", "replace"))


def registered():
    """Whether the service is registered: reg query fails where its key has no image path."""
    return wine(WINE, "reg", "query", SERVICE_KEY, "/v", "ImagePath")[0] == 0


class Session:
    """One run of the program in a folder of its own, with its INI file."""

    def __init__(self, args, name):
        self.args, self.folder, self.process = args, os.path.join(args.work, name), None
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.program = shutil.copy(args.program, self.folder)
        self.log = os.path.join(self.folder, "wine.log")
        self.ini_path = os.path.join(self.folder, "Vesperon.ini")

    def ini(self, text=None):
        """The INI file's text, or None when there is none; given a text, writes it first."""
        if text:
            with open(self.ini_path, "w", newline="") as f:
                f.write(text)
        return open(self.ini_path, newline="").read() if os.path.exists(self.ini_path) else None

    def start(self, *arguments, fake_time=None, relay=False, channels="-all", hide=False,
              **language):
        check(self.windows() == {}, "windows of an earlier run are still open")
        if relay:  # the relay trace shows the actions' calls alone
            wine(WINE, "reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t",
                 "REG_SZ", "/d", ";".join(RELAYED), "/f")
        env = dict(os.environ, WINEDEBUG="+relay" if relay else channels, **language)
        command = [WINE_RUN, self.program, *arguments]
        if fake_time:
            # Only the clock of the program is set; file times and timers stay real.
            env.update(NO_FAKE_STAT="1", FAKETIME_DONT_FAKE_MONOTONIC="1")
            command = ["faketime", "-f", "@" + fake_time, *command]
        self.process = subprocess.Popen(command, cwd=self.folder, env=env,
                                        stdout=open(self.log, "wb"), stderr=subprocess.STDOUT)
        if hide:
            self.wait_for("Duskline", 60)
            self.click("&Hide")

    def probe(self, *words):
        return wine(WINE_RUN, self.args.probe, *words)

    def windows(self):
        """Our windows by caption: visible, topmost, handle, the controls' texts, the selection."""
        windows, current = {}, None
        for line in self.probe("list")[1].splitlines():
            top = re.match(r'window class=\S+ caption="(.*)" visible=(\d) topmost=(\d) '
                           r'handle=(\w+)', line)
            child = re.match(r'  control text="(.*)"(?: selected=(-?\d+))?$', line)
            if top:
                current = windows.setdefault(top.group(1), {
                    "visible": top.group(2) == "1", "topmost": top.group(3) == "1",
                    "handle": int(top.group(4), 16), "texts": []})
            elif child and current is not None:
                current["texts"].append(child.group(1))
                if child.group(2) is not None:  # the action's list comes before the trigger's
                    current.setdefault("selected", int(child.group(2)))
        return windows

    def wait_for(self, caption, limit):
        end = time.time() + limit
        while time.time() < end:
            windows = self.windows()
            if caption in windows and windows[caption]["visible"]:
                return windows
            check(self.process.poll() is None, "the program ended while waiting for " + caption)
            time.sleep(0.5)
        raise Failed("no window %r within %d s" % (caption, limit))

    def click(self, text):
        check(self.probe("click", text)[0] == 0, "no button " + text)

    def ended(self, limit):
        try:
            return self.process.wait(limit) is not None
        except subprocess.TimeoutExpired:
            return False

    def relayed(self):
        """The relayed calls in order: (function without its DLL, [arguments as numbers])."""
        text = open(self.log, "rb").read().decode("latin-1")
        return [(name, [int(value, 16) for value in values.split(",") if value])
                for name, values in re.findall(r"Call \w+\.(\w+)\(([0-9a-fA-F,]*)\)", text)]

    def calls(self, function):
        return [values for name, values in self.relayed() if name == function]

    def close(self):
        if self.process and self.process.poll() is None:
            self.probe("close", "Duskline")
            if not self.ended(10):
                # SIGINT first: faketime's wrapper then removes its semaphore, which a later
                # wrapper with the same process ID would otherwise find and fail on.
                self.process.send_signal(signal.SIGINT)
                time.sleep(0.5)
                self.process.kill()
                self.process.wait(10)
        # The next run starts in a quiet prefix: what the end of the session started (Wine's
        # own end-session run after ExitWindowsEx) has finished.
        subprocess.run(["wineserver", "-w"], timeout=120)


def startup(session):
    """The schedule from the command line, not stored, then from the file; closing the window
    ends the run (from the file by its Close button) and leaves the file as it was."""
    for arguments, text in ((("07:30", "1"), None), ((), "[Command]\r\nCode=07:30 1\r\n")):
        ini = session.ini(text)
        session.start(*arguments)
        main = session.wait_for("Duskline", 60)["Duskline"]
        # The English texts, the set minute's and the action's among them; the action selected.
        check(main["texts"] == ENGLISH and main.get("selected") == 1, "main window %r" % main)
        if arguments:
            session.probe("close", "Duskline")
        else:
            session.click("&Close")
        check(session.ended(20), "the program did not end after it was closed")
        check(session.ini() == ini, "start-up changed the INI file")


def set_time(session, fake_schedule, fake_start, ahead):
    """A set minute and the program's start time: on the fake clock as given, else on the real
    clock (libfaketime does not move a 32-bit Wine process's), `ahead` seconds from now."""
    if session.args.real_clock:
        return time.strftime("%H:%M", time.localtime(time.time() + ahead)), None
    return fake_schedule, "2026-01-01 " + fake_start


def wait_for_call(session, function, limit, count=1):
    """Waits for the count of calls of the function in the relay trace; the time it came."""
    end = time.time() + limit
    while True:
        over = time.time() > end or session.process.poll() is not None  # before the last look
        if len(session.calls(function)) >= count:
            return time.time()
        check(not over, "no %s %d" % (function, count))
        time.sleep(1)


def expect_action(session, function, arguments, privileged, outlives, limit=90):
    """Waits for the action's call in the relay trace and returns the time it came; checks that
    it came once with its arguments, after the privilege step or not, and, for the actions the
    program outlives, that the program is still there 3 s later."""
    came = wait_for_call(session, function, limit)
    if outlives:
        time.sleep(3)
        check(session.process.poll() is None, "the program ended after " + function)
    names = [name for name, _ in session.relayed()]
    check(session.calls(function) == [arguments],
          "%s calls in %r, expected once with %r" % (function, session.relayed(), arguments))
    check(privileged == ("AdjustTokenPrivileges" in names[:names.index(function)]),
          "privilege step before %s: %r" % (function, names))
    return came


def countdown_and_action(session):
    # Power off set for the minute after the next, the main window hidden.
    schedule, fake_time = set_time(session, "12:00", "11:59:10", 120)
    session.start(schedule, "2", fake_time=fake_time, relay=True, hide=True)
    windows = session.wait_for("System Information", 150)
    attention = windows["System Information"]
    check(not windows["Duskline"]["visible"], "the main window is still shown")
    check(attention["topmost"], "the countdown window is not topmost")
    for text in ("Power Off", "Stop", "&Postpone"):
        check(text in attention["texts"], "no %r in %r" % (text, attention["texts"]))
    expect_action(session, "ExitWindowsEx", [12, 0xFFFFFFFF], True, False)
    # The countdown's alert when it appears, and (Wine has no notifications) with 30 and 10 s
    # left, if the count got that far: never each second.
    alerts = [a[1:] for name, a in session.relayed() if name == "NotifyWinEvent" and a[0] == 2]
    check(1 <= len(alerts) <= 3 and
          set(map(tuple, alerts)) == {(attention["handle"], 0xFFFFFFFC, 0)},
          "alert events %r, countdown %x" % (alerts, attention["handle"]))
    check("Code=%s 2" % schedule in (session.ini() or ""), "the last minute did not save")


def german(session):
    """With a German locale the main window and the countdown are German: each text is one of
    the catalog's translations, a value or empty; Stopp ends the program."""
    translations = re.findall(r'^msgstr "(.+)"$', open(CATALOG, encoding="utf-8").read(), re.M)
    known = re.compile("|".join(re.escape(text).replace("%s", ".+") for text in translations))
    schedule, fake_time = set_time(session, "12:00", "11:59:10", 120)
    # Wine takes LANG only where the locale is installed; LC_ALL it takes as it stands.
    session.start(schedule, "2", fake_time=fake_time, LANG="de_DE.UTF-8", LC_ALL="de_DE.UTF-8")
    main = session.wait_for("Duskline", 60)["Duskline"]
    session.click("&Verbergen")
    countdown = session.wait_for("Systeminformation", 150)["Systeminformation"]
    for text in main["texts"] + countdown["texts"]:
        check(text in (schedule, "") or known.fullmatch(text), "not from the catalog: %r" % text)
    check({"&Verbergen", "Uhrzeit", "Ausschalten", "Mo", "Zur Uhrzeit"} <= set(main["texts"]) and
          {"Ausschalten", "Stopp", "&Verschieben"} <= set(countdown["texts"]), "not German")
    session.click("Stopp")
    check(session.ended(20), "the program did not end after Stopp")


def policy_while_running(session):
    """The computer's policy, written while the program runs, moves the action (sleep) to its
    minute and takes Stop out of the countdown; the settings file stays as it was, byte for
    byte."""
    key = r"HKLM\Software\Policies\Orvanta\Duskline"
    before = session.ini("[Command]\r\nCode=12:30 2\r\n")
    policy_time, fake_time = set_time(session, "11:59", "11:57:25", 150)
    session.start(fake_time=fake_time, relay=True)
    try:
        session.wait_for("Duskline", 60)
        for value, kind, data in (("Code", "REG_SZ", policy_time + " 4"),
                                  ("NoStop", "REG_DWORD", "1")):
            check(wine(WINE, "reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f")[0] == 0,
                  "reg add " + value)
        time.sleep(3)
        main = session.windows()["Duskline"]  # the set minute's field and the action's list
        check({policy_time, "Sleep"} <= set(main["texts"]) and main.get("selected") == 4,
              "main window %r" % main)
        session.click("&Hide")
        attention = session.wait_for("System Information", 150)["System Information"]
        check("Stop" not in attention["texts"], "Stop under NoStop: %r" % attention["texts"])
        expect_action(session, "SetSuspendState", [0, 0, 0], True, True)
        check(session.ini() == before, "Vesperon.ini changed")
    finally:
        wine(WINE, "reg", "delete", key.rsplit("\\", 1)[0], "/f")  # Orvanta, made by reg add


def run_switch(session, switch, message):
    """Starts the program with a service switch: one message box, OK, then the end."""
    session.start(switch)
    box = session.wait_for("Vesperon", 60)
    check(message in box["Vesperon"]["texts"], "%r not in %r" % (message, box["Vesperon"]))
    check(not box.get("Duskline", {}).get("visible"), "the main window was shown")
    session.click("OK")
    check(session.ended(20), "the program did not end after " + switch)


def install_run_uninstall(session):
    # Wine gives every file full control for the user's own account, which -install takes for
    # an ordinary user's: it refuses. Wine cannot keep another access list, so the service is
    # registered with Wine's sc instead.
    run_switch(session, "-install", "Orvanta Duskline konnte nicht installiert werden.")
    check(not registered(), "registered although refused")
    image = '"%s"' % wine(WINE, "winepath.exe", "-w", session.program)[1].strip()
    check(wine(WINE, "sc", "create", "Orvanta Vesperon", "binpath=", image, "type=", "own",
               "type=", "interact", "displayname=", "Orvanta Duskline")[0] == 0, "sc create")
    # A fresh wineserver, so that the service manager and the service inherit the trace
    # channel and write the event-log entries into our log.
    for step in ("-k", "-w"):
        subprocess.run(["wineserver", step], timeout=60)
    with open(os.path.join(session.folder, "service.log"), "w+b") as log:
        driven = wine(WINE_RUN, session.args.probe, "service", log=log, WINEDEBUG="-all,+eventlog")
        subprocess.run(["wineserver", "-w"], timeout=120)
        log.seek(0)
        entries = re.findall(r"Service (started|paused|continued|stopped)",
                             log.read().decode("latin-1"))
    check(driven == 0 and entries == ["started", "paused", "continued", "stopped"],
          "event-log entries %r" % entries)
    run_switch(session, "-uninstall", "Orvanta Duskline erfolgreich deinstalliert.")
    check(not registered(), "the service is still registered")
    run_switch(session, "-uninstall", "Orvanta Duskline konnte nicht deinstalliert werden.")


def in_two_minutes(session):
    # "In 0:02" from the command line, to lock: the countdown in its last minute, the action two
    # minutes after the start, nothing stored.
    started = time.time()
    session.start("in", "0:02", "6", relay=True, hide=True)
    session.wait_for("System Information", 150)
    check(time.time() - started >= 55, "the countdown came before the last minute")
    took = expect_action(session, "LockWorkStation", [], False, True) - started
    check(115 <= took <= 135, "the action came %d s after the start" % took)
    check(session.ini() is None, "the command line's trigger was stored")


def notepad():
    # Wine's notepad: its loader becomes the Windows process, so its end is the program's.
    process = subprocess.Popen(["/usr/lib/wine/wine64", "notepad"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=dict(os.environ, WINEDEBUG="-all"))
    time.sleep(8)
    return process


def idle_with_and_without_input(session):
    # Idle for a minute: no input, the countdown, then the action a minute after the start,
    # although Wine has heard no input since its start; input to a Wine window (Wine hears no
    # other) starts the count again, in the countdown too. The pointer waits in a corner: under
    # Wine, windows that appear or move under it are input (the probe's click leaves it on Hide).
    subprocess.run(["xdotool", "mousemove", "1010", "10"], check=True)
    editor = notepad()
    try:
        started = time.time()
        session.start("idle", "0:01", "6", relay=True)
        session.wait_for("System Information", 60)
        check("LockWorkStation" not in [name for name, _ in session.relayed()], "no countdown")
        session.click("&Hide")
        subprocess.run(["xdotool", "mousemove", "1010", "10"], check=True)
        took = wait_for_call(session, "LockWorkStation", 150) - started
        check(took >= 55, "the action came %d s after the start" % took)
        window = subprocess.run(["xdotool", "search", "--name", "Notepad"], capture_output=True,
                                text=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowmove", window, "0", "0"], check=True)
        move = ["xdotool", "mousemove", "--window", window]
        subprocess.run(move + ["20", "40", "mousemove", "1010", "10"], check=True)
        session.wait_for("System Information", 30)
        time.sleep(12)
        subprocess.run(move + ["60", "60", "mousemove", "1010", "10"], check=True)
        moved = time.time()
        waited = wait_for_call(session, "LockWorkStation", 120, 2) - moved
        check(waited >= 55, "the action came %d s after the input" % waited)
    finally:
        editor.kill()


def program_ends(session):
    # After notepad.exe, to restart: its end brings the countdown for a minute, then the action.
    editor = notepad()
    session.start("after", "notepad.exe", "3", relay=True)
    session.wait_for("Duskline", 60)
    time.sleep(5)
    editor.terminate()
    ended = time.time()
    session.wait_for("System Information", 30)
    took = expect_action(session, "ExitWindowsEx", [6, 0xFFFFFFFF], True, False) - ended
    check(50 <= took <= 75, "the action came %d s after the end" % took)


SCENARIOS = {f.__name__: f for f in (startup, countdown_and_action, install_run_uninstall,
                                     policy_while_running, in_two_minutes,
                                     idle_with_and_without_input, program_ends, german)}


def main():
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", sys.executable,
                               *sys.argv])
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    for name in ("--program", "--probe", "--work", "--prefix"):
        parser.add_argument(name, required=True, type=os.path.abspath)
    parser.add_argument("--real-clock", action="store_true")
    args = parser.parse_args()
    os.environ.update(WINEPREFIX=args.prefix, WINEDLLOVERRIDES="mscoree,mshtml=", LANG="C")
    os.environ.pop("LC_ALL", None)
    session = Session(args, args.scenario)
    if session.probe("list")[0] == 77:  # wine-run: 32-bit programs cannot run here
        print("not run: this machine's kernel cannot run 32-bit code, so Wine cannot run the "
              "32-bit program")
        return 77
    try:
        SCENARIOS[args.scenario](session)
    except Failed as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        session.close()
        wine(WINE, "sc", "delete", "Orvanta Vesperon")  # if a failed run left it registered
    print("passed: " + args.scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
