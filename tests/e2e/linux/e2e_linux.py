#!/usr/bin/python3
"""The Linux program end to end: an Xvfb per scenario with trayer as tray host, dbusmock's logind
and a mock systemd user manager on private buses, libfaketime for the clock.
Usage: e2e_linux.py SCENARIO PROGRAM; exit code 0 passed."""
import atexit
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import sysconfig
import tempfile
import time

import dbus

MOCK, LOGIND = "org.freedesktop.DBus.Mock", "org.freedesktop.login1"
SYSTEMD = "org.freedesktop.systemd1"
REFUSED = ("org.freedesktop.DBus.Error.AccessDenied", "Operation not permitted by policy")
UNIT = ("[Unit]\nDescription=Orvanta Duskline\nPartOf=graphical-session.target\nAfter=graphical-"
        "session.target\n\n[Service]\nType=notify\nExecStart=\"%s\"\nRestart=on-failure\n\n"
        "[Install]\nWantedBy=graphical-session.target\n")
INI = "[Command]\r\nCode=22:30 2\r\n"
DIR = tempfile.mkdtemp(prefix="duskline-e2e-")
children, program = [], None  # program: the running one


def wait(condition, what, limit=30):
    end = time.time() + limit
    while time.time() < end:
        if result := condition():
            return result
        time.sleep(0.3)
    raise AssertionError("no %s within %d s" % (what, limit))


@atexit.register
def close():
    for child in [program, *reversed(children)]:
        if child and child.poll() is None:
            child.kill()
            child.wait()
    shutil.rmtree(DIR, ignore_errors=True)


def announced(*command):
    """Starts a daemon that writes a line into a pipe (its number for %d) once ready; the line."""
    read, write = os.pipe()
    children.append(subprocess.Popen([word.replace("%d", str(write)) for word in command],
                                     pass_fds=(write,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL))
    os.close(write)
    with os.fdopen(read) as answer:  # all of it: Xvfb ends if its newline is lost
        return answer.readline().strip()


def mock(bus, name, log, *arguments):
    children.append(subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", *arguments, "-l",
                                      log], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    wait(lambda: bus.name_has_owner(name), name, 10)
    return bus.get_object(name, "/" + name.replace(".", "/"))


def calls(log):
    lines = open(log).read().splitlines() if os.path.exists(log) else []
    return [line.split(" ", 1)[1] for line in lines
            if not re.match(r"\S+ (Add|Get |GetAll |Set |emit )", line)]


def start(*arguments, fake_time=None, env=(), prefix=()):
    global program
    env = dict(ENV, **dict(env))
    if fake_time:  # libfaketime itself: faketime's wrapper would be a process in between
        env.update(FAKETIME="@2026-12-07 " + fake_time, NO_FAKE_STAT="1",
                   FAKETIME_DONT_FAKE_MONOTONIC="1", LD_PRELOAD="/usr/lib/%s/faketime/"
                   "libfaketimeMT.so.1" % sysconfig.get_config_var("MULTIARCH"))
    program = subprocess.Popen([*prefix, PROGRAM, *arguments], cwd=DIR, env=env, stdout=LOG,
                               stderr=subprocess.STDOUT)


def x(*command):
    return subprocess.run(command, capture_output=True, text=True, env=ENV).stdout


def shown(name):
    return x("xdotool", "search", "--onlyvisible", "--name", "^%s$" % name).split()


def window(name):
    return wait(lambda: program.poll() is None and shown(name), "window " + name)[0]


def click(window, width, left, top):
    """Clicks the point (left, top) in twips of a layout `width` twips wide."""
    geometry = x("xdotool", "getwindowgeometry", "--shell", window)
    scale = int(re.search(r"WIDTH=(\d+)", geometry)[1]) / width
    x("xdotool", "mousemove", "--window", window, str(int(left * scale)), str(int(top * scale)),
      "click", "1")


def startup_and_stop(logind):
    """Started from the file, hidden: the countdown on top, Stop; from the command line."""
    ini = os.path.join(os.path.dirname(PROGRAM), "Vesperon.ini")
    with open(ini, "w", newline="") as f:
        f.write(INI)
    start(fake_time="22:29:40")
    click(window("Duskline"), 3255, 2587, 2527)  # Hide
    wait(lambda: not shown("Duskline"), "hidden main window")
    panel = x("xdotool", "search", "--name", "^panel$").split()[0]  # trayer's
    wait(lambda: '"duskline"' in x("xwininfo", "-tree", "-id", panel), "icon in the tray", 10)
    countdown = window("System Information")
    state = x("xprop", "-id", countdown, "_NET_WM_STATE")
    assert "_NET_WM_STATE_ABOVE" in state, "the countdown window is not on top: " + state
    click(countdown, 4680, 1612, 1807)  # Stop
    program.wait(10)
    assert calls(DIR + "/logind.log") == [], "acted after Stop"
    assert open(ini, newline="").read() == INI, "the file changed"
    os.remove(ini)
    start("22:30", "1")
    window("Duskline")
    assert not [d for d, _, files in os.walk(DIR) if "Vesperon.ini" in files], "a file written"


def actions(logind):
    """Each action at logind with its arguments; a refusal: a message, and nothing else."""
    refusal = 'raise dbus.exceptions.DBusException("%s", name="%s")' % REFUSED[::-1]
    for index, expected, failure in (("0", ["GetSessionByPID %d", "Terminate"], None),
                                     ("1", ["Halt False"], None), ("2", ["PowerOff False"], None),
                                     ("2", ["PowerOff False", "PowerOff raised: %s: %s" % REFUSED],
                                      refusal)):
        if failure:
            logind.AddMethod(LOGIND + ".Manager", "PowerOff", "b", "", failure, dbus_interface=MOCK)
        done = len(calls(DIR + "/logind.log"))
        start("22:30", index, fake_time="22:29:57")
        if failure:
            window("Vesperon")
        wait(lambda: len(calls(DIR + "/logind.log")) >= done + len(expected), "action " + index)
        time.sleep(2)  # time for calls that ought not to come
        record = calls(DIR + "/logind.log")[done:]
        print("type %s%s: %r" % (index, " refused" if failure else "", record))
        assert record == [c.replace("%d", str(program.pid)) for c in expected], "calls %r" % record
        assert program.poll() is None, "the program ended"
        program.kill()


def switch(argument):
    start(argument)
    x("xdotool", "windowfocus", "--sync", window("Vesperon"), "key", "Return")
    program.wait(10)


def service(logind):
    """The switches through the user manager; a run under a simulated one, with its journal."""
    unit = DIR + "/config/systemd/user/duskline.service"
    switch("-install")
    assert not os.path.exists(unit), "installed without a user manager"
    systemd = mock(dbus.SessionBus(), SYSTEMD, DIR + "/systemd.log", "--session", SYSTEMD,
                   "/org/freedesktop/systemd1", SYSTEMD + ".Manager")
    systemd.AddMethods(SYSTEMD + ".Manager", [
        ("EnableUnitFiles", "asbb", "ba(sss)", "ret = (False, [])"),
        ("DisableUnitFiles", "asb", "a(sss)", "ret = []"), ("Reload", "", "", "")],
        dbus_interface=MOCK)
    switch("-install")
    text = open(unit).read() if os.path.exists(unit) else None
    assert text == UNIT % PROGRAM.replace("$", "$$").replace("%", "%%"), "unit %r" % text

    # The journal's socket is ours, bound over /run in a mount namespace of the program's own.
    os.makedirs(DIR + "/run/systemd/journal")
    journal, notify = (socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM) for _ in range(2))
    journal.bind(DIR + "/run/systemd/journal/socket")
    notify.bind(DIR + "/notify")
    journal.settimeout(20), notify.settimeout(20)
    unshare = ["unshare", "--mount"] + ([] if os.geteuid() == 0 else ["--map-root-user"])
    start(env={"NOTIFY_SOCKET": DIR + "/notify", "INVOCATION_ID": "0" * 32},
          prefix=[*unshare, "sh", "-c", 'mount --bind "$0" /run && exec "$@"', DIR + "/run"])

    def entry():  # the program's next entry in the journal's native protocol
        while True:
            lines = journal.recv(65536).decode().split("\n")
            fields = dict(line.split("=", 1) for line in lines if "=" in line)
            if fields.get("SYSLOG_IDENTIFIER") == "duskline":
                return fields["MESSAGE"], fields["PRIORITY"], fields.get("DUSKLINE_EVENT_ID")

    def notified(state):
        while state not in notify.recv(4096).decode().split("\n"):
            pass
        return True

    assert notified("READY=1") and entry() == ("Service started", "6", "110"), "not started"
    wait(lambda: not shown("Duskline"), "main window hidden by the service run", 10)
    for sent, text in ((signal.SIGUSR1, "paused"), (signal.SIGUSR2, "continued")):
        program.send_signal(sent)
        assert entry()[0] == "Service " + text, "no entry 'Service %s'" % text
    program.send_signal(signal.SIGTERM)
    assert notified("STOPPING=1") and entry()[0] == "Service stopped", "not stopped"
    program.wait(10)
    switch("-uninstall")
    assert not os.path.exists(unit), "the unit file is still there"
    switch("-uninstall")
    print("systemd: %r" % calls(DIR + "/systemd.log"))
    assert calls(DIR + "/systemd.log") == [
        'EnableUnitFiles ["duskline.service"] False True', "Reload",
        'DisableUnitFiles ["duskline.service"] False', "Reload"], "systemd calls"


def main(scenario, source):
    global ENV, LOG, PROGRAM
    # Portable use: a folder of the program's own, whose name needs quoting in a unit.
    os.makedirs(DIR + "/bin dir$%x")
    PROGRAM = shutil.copy(os.path.abspath(source), DIR + "/bin dir$%x")
    LOG = open(DIR + "/program.log", "wb")
    display = announced("Xvfb", "-displayfd", "%d", "-screen", "0", "1024x768x24", "-nolisten",
                        "tcp")
    with open(DIR + "/bus.conf", "w") as f:
        f.write('<busconfig><listen>unix:tmpdir=%s</listen><policy context="default">'
                '<allow user="*"/><allow own="*"/><allow send_destination="*"/>'
                '<allow receive_sender="*"/></policy></busconfig>' % DIR)
    for bus in ("SYSTEM", "SESSION"):  # dbus-python takes the addresses from os.environ
        os.environ["DBUS_%s_BUS_ADDRESS" % bus] = announced(
            "dbus-daemon", "--nofork", "--print-address=%d", "--config-file=%s/bus.conf" % DIR)
    for key in ("NOTIFY_SOCKET", "INVOCATION_ID"):
        os.environ.pop(key, None)
    ENV = dict(os.environ, DISPLAY=":" + display, XDG_RUNTIME_DIR=DIR, HOME=DIR,
               XDG_CONFIG_HOME=DIR + "/config", QT_QPA_PLATFORM="xcb")
    children.append(subprocess.Popen(["trayer", "--edge", "top"], env=ENV,
                                     stderr=subprocess.DEVNULL))
    logind = mock(dbus.SystemBus(), LOGIND, DIR + "/logind.log", "--system", "--template",
                  "logind")
    logind.AddSession("c1", "seat0", os.getuid(), "user", True, dbus_interface=MOCK)
    logind.AddMethods(LOGIND + ".Manager", [
        ("GetSessionByPID", "u", "o", 'ret = "/org/freedesktop/login1/session/c1"'),
        ("Halt", "b", "", "")], dbus_interface=MOCK)
    try:
        {f.__name__: f for f in (startup_and_stop, actions, service)}[scenario](logind)
    except (AssertionError, OSError, subprocess.TimeoutExpired) as failure:
        print("FAILED: %r\nthe program's output:\n%s" % (failure, open(LOG.name).read()))
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
