#!/usr/bin/python3
"""The Linux program end to end: an Xvfb per scenario with trayer as tray host, dbusmock's logind
and a mock systemd user manager on private buses, libfaketime for the clock, AT-SPI as a screen
reader. Usage: e2e_linux.py SCENARIO PROGRAM SYSTEM_PROGRAM; exit code 0 passed."""
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
from subprocess import DEVNULL

import dbus

MOCK, PROPS = "org.freedesktop.DBus.Mock", "org.freedesktop.DBus.Properties"
LOGIND, SYSTEMD = "org.freedesktop.login1", "org.freedesktop.systemd1"
SESSIONS = "/org/freedesktop/login1/session/"  # a session's object: this and its ID
SCHEDULER = "Duskline.Scheduler1"
REFUSED = ("org.freedesktop.DBus.Error.AccessDenied", "Operation not permitted by policy")
UNIT = ("[Unit]\nDescription=Orvanta Duskline\nPartOf=graphical-session.target\nAfter=graphical-"
        "session.target\n\n[Service]\nType=notify\nExecStart=\"%s\"\nRestart=on-failure\n\n"
        "[Install]\nWantedBy=graphical-session.target\n")
INI = "[Command]\r\nCode=22:30 2\r\n"
DIR = tempfile.mkdtemp(prefix="duskline-e2e-")
# A mount namespace of the program's own, where it may bind our folders over the system's.
UNSHARE = ["unshare", "--mount"] + ([] if os.geteuid() == 0 else ["--map-root-user"])
# There /etc/duskline is our folder policy/ and /run is our run/.
ETC_AND_RUN = [*UNSHARE, "sh", "-c", 'mount -t overlay overlay -o "lowerdir=/etc,upperdir=$0/up,'
               'workdir=$0/work" /etc && mkdir -p /etc/duskline && mount --bind "$0/policy" '
               '/etc/duskline && mount --bind "$0/run" /run && exec "$@"', DIR]
children, program = [], None  # every process we start; program: the last started


def wait(condition, what, limit=30):
    end = time.time() + limit
    while time.time() < end:
        if result := condition():
            return result
        time.sleep(0.3)
    raise AssertionError("no %s within %d s" % (what, limit))


@atexit.register
def close():
    for child in reversed(children):
        if child.poll() is None:
            child.kill()
            child.wait()
    shutil.rmtree(DIR, ignore_errors=True)


def announced(*command):
    """Starts a daemon that writes a line into a pipe (its number for %d) once ready; the line."""
    read, write = os.pipe()
    children.append(subprocess.Popen([word.replace("%d", str(write)) for word in command],
                                     pass_fds=(write,), stdout=DEVNULL, stderr=DEVNULL))
    os.close(write)
    with os.fdopen(read) as answer:  # all of it: Xvfb ends if its newline is lost
        return answer.readline().strip()


def mock(bus, name, *arguments):  # its calls logged in DIR/NAME.log
    children.append(subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", *arguments, "-l",
                                      DIR + "/%s.log" % name], stdout=DEVNULL, stderr=DEVNULL))
    wait(lambda: bus.name_has_owner(name), name, 10)
    return bus.get_object(name, "/" + name.replace(".", "/"))


def calls(log=DIR + "/%s.log" % LOGIND):
    lines = open(log).read().splitlines() if os.path.exists(log) else []
    return [line.split(" ", 1)[1] for line in lines
            if not re.match(r"\S+ (Add|Get |GetAll |Set |emit )", line)]


def start(*arguments, fake_time=None, env=(), prefix=(), executable=None):
    global program
    env = dict(ENV, **dict(env))
    if fake_time:  # libfaketime itself: faketime's wrapper would be a process in between
        env.update(FAKETIME="@2026-12-07 " + fake_time, NO_FAKE_STAT="1", LD_PRELOAD="/usr/lib/%s"
                   "/faketime/libfaketimeMT.so.1" % sysconfig.get_config_var("MULTIARCH"))
        if " x" not in fake_time:  # a faster clock ("22:29:58 x10") speeds the timers up too
            env.update(FAKETIME_DONT_FAKE_MONOTONIC="1")
    program = subprocess.Popen([*prefix, executable or PROGRAM, *arguments], cwd=DIR, env=env,
                               stdout=LOG, stderr=subprocess.STDOUT)
    children.append(program)
    return program


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


def in_tray():
    panel = x("xdotool", "search", "--name", "^panel$").split()[0]  # trayer's
    wait(lambda: '"duskline"' in x("xwininfo", "-tree", "-id", panel), "icon in the tray", 10)


def write_ini():
    with open(os.path.join(os.path.dirname(PROGRAM), "Vesperon.ini"), "w", newline="") as f:
        f.write(INI)
        return f.name


def startup_and_stop(logind):
    """Started from the file, hidden: the countdown on top, Stop; from the command line."""
    ini = write_ini()
    start(fake_time="22:29:40")
    click(window("Duskline"), 3255, 2587, 3727)  # Hide
    wait(lambda: not shown("Duskline"), "hidden main window")
    in_tray()
    countdown = window("System Information")
    state = x("xprop", "-id", countdown, "_NET_WM_STATE")
    assert "_NET_WM_STATE_ABOVE" in state, "the countdown window is not on top: " + state
    click(countdown, 4680, 1612, 1807)  # Stop
    program.wait(10)
    assert calls() == [], "acted after Stop"
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
        done = len(calls())
        start("22:30", index, fake_time="22:29:57")
        if failure:
            window("Vesperon")
        wait(lambda: len(calls()) >= done + len(expected), "action " + index)
        time.sleep(2)  # time for calls that ought not to come
        record = calls()[done:]
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
    systemd = mock(dbus.SessionBus(), SYSTEMD, "--session", SYSTEMD,
                   "/org/freedesktop/systemd1", SYSTEMD + ".Manager")
    systemd.AddMethods(SYSTEMD + ".Manager", [
        ("EnableUnitFiles", "asbb", "ba(sss)", "ret = (False, [])"),
        ("DisableUnitFiles", "asb", "a(sss)", "ret = []"), ("Reload", "", "", "")],
        dbus_interface=MOCK)
    switch("-install")
    text = open(unit).read() if os.path.exists(unit) else None
    assert text == UNIT % PROGRAM.replace("$", "$$").replace("%", "%%"), "unit %r" % text

    # The journal's socket is ours, bound over /run.
    log = Journal("duskline")
    started = log.start(env={"INVOCATION_ID": "0" * 32})
    assert (started["PRIORITY"], started["DUSKLINE_EVENT_ID"]) == ("6", "110"), "not started"
    wait(lambda: not shown("Duskline"), "main window hidden by the service run", 10)
    for sent, text in ((signal.SIGUSR1, "paused"), (signal.SIGUSR2, "continued")):
        program.send_signal(sent)
        assert log.entry() == "Service " + text, "no entry 'Service %s'" % text
    log.stop()
    switch("-uninstall")
    assert not os.path.exists(unit), "the unit file is still there"
    switch("-uninstall")
    assert calls(DIR + "/%s.log" % SYSTEMD) == [
        'EnableUnitFiles ["duskline.service"] False True', "Reload",
        'DisableUnitFiles ["duskline.service"] False', "Reload"], "systemd calls"


class Journal:
    """Our journal's and service manager's sockets, which the program's mount namespace binds."""

    def __init__(self, identifier, executable=None):
        self.identifier, self.executable = identifier, executable
        self.journal, self.notify = (socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM) for _ in "jn")
        for end, path in ((self.journal, "/run/systemd/journal/socket"), (self.notify, "/notify")):
            end.bind(DIR + path), end.settimeout(20)

    def fields(self):  # the program's next entry in the journal's native protocol
        while True:
            lines = self.journal.recv(65536).decode().split("\n")
            fields = dict(line.split("=", 1) for line in lines if "=" in line)
            if fields.get("SYSLOG_IDENTIFIER") == self.identifier:
                return fields

    def entry(self):
        return self.fields()["MESSAGE"]

    def notified(self, state):
        while state not in self.notify.recv(4096).decode().split("\n"):
            pass
        return True

    def start(self, fake_time=None, *warnings, env=()):
        """Starts the program under our sockets; the fields of its "Service started" entry."""
        start(fake_time=fake_time, env={"NOTIFY_SOCKET": DIR + "/notify", **dict(env)},
              prefix=ETC_AND_RUN, executable=self.executable)
        self.process = program
        assert [self.entry() for _ in warnings] == list(warnings), "warnings"
        started = self.notified("READY=1") and self.fields()
        assert started["MESSAGE"] == "Service started", "not started: %r" % started["MESSAGE"]
        return started

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        entry = self.notified("STOPPING=1") and self.entry()
        assert entry == "Service stopped", "not stopped: %r" % entry
        self.process.wait(10)


class System(Journal):
    """The system service as an ordinary process: /etc/duskline a folder of ours, bound in a
    mount namespace of its own, and our journal and notify sockets; the sessions at logind."""

    def __init__(self, logind):
        super().__init__("duskline-system", SYSTEM)
        # Two graphical sessions and a text login of this user, and a login screen.
        for session, kind, klass in (("c1", "x11", "user"), ("c2", "wayland", "user"),
                                     ("c3", "tty", "user"), ("c4", "x11", "greeter")):
            if session != "c1":
                logind.AddSession(session, "seat0", os.getuid(), "user", True, dbus_interface=MOCK)
            record = dbus.SystemBus().get_object(LOGIND, SESSIONS + session)
            for name, value in (("Type", kind), ("Class", klass)):
                record.Set(LOGIND + ".Session", name, value, dbus_interface=PROPS)
        self.policy = DIR + "/policy/policy.ini"

    def write(self, text, owner=0):
        with open(self.policy + ".new", "w") as f:
            f.write(text)
        os.chown(self.policy + ".new", owner, -1)
        os.chmod(self.policy + ".new", 0o644)
        os.rename(self.policy + ".new", self.policy)  # as editors and package managers do

    def get(self, name):
        return self.request("Get", SCHEDULER, name, interface=PROPS)

    def request(self, method, *arguments, interface=SCHEDULER):
        """Calls the method as this process; its answer, or the D-Bus error's text."""
        scheduler = dbus.SystemBus().get_object(SCHEDULER, "/Duskline/Scheduler1")
        try:
            return scheduler.get_dbus_method(method, interface)(*arguments)
        except dbus.exceptions.DBusException as refusal:
            return refusal.get_dbus_message()


def system_actions(logind):
    """Each type at the set minute: log-off and lock for the graphical sessions alone, the others
    with interactive false; the journal names each with its result."""
    system = System(logind)
    for index, expected, entry in (
            ("0", ['TerminateSession "c1"', 'TerminateSession "c2"'],
             "Logoff at 22:30: 2 graphical sessions ended"),
            *((str(index), [method + " False"], name + " at 22:30: carried out")
              for index, method, name in ((1, "Halt", "Shutdown"), (2, "PowerOff", "Power Off"),
                                          (3, "Reboot", "Restart"), (4, "Suspend", "Sleep"),
                                          (5, "Hibernate", "Hibernate"))),
            ("6", ['LockSession "c1"', 'LockSession "c2"'],
             "Lock at 22:30: 2 graphical sessions locked")):
        system.write("[Command]\nCode=22:30 %s\n" % index)
        done = len(calls())
        system.start("22:29:58 x10")  # the countdown's whole minute first
        assert system.entry() == entry, "journal"
        record = [c for c in calls()[done:] if c != "ListSessions"]
        assert record == expected, "calls %r" % record
        system.stop()


def system_bus(logind):
    """The interface: properties and signals; Stop and Postpone only from a graphical session
    (a granted Stop, and Stop refused under NoStop: in follow)."""
    system = System(logind)
    monitor = subprocess.Popen(["dbus-monitor", "--system", "interface='%s'" % SCHEDULER],
                               stdout=subprocess.PIPE, text=True)
    children.append(monitor)
    system.write("[Command]\nCode=22:30 0\nDays=Mon Tue\n")
    system.start("22:24:58")
    assert (system.get("Schedule"), system.get("Days"), system.get("NextAction")) == (
        "22:30 0", "Mon Tue", "2026-12-07 22:30"), "properties"
    wait(lambda: system.get("Phase") == "warning", "warning", 10)
    for session in ("c3", "c1"):  # the caller at a text login, then at the desktop
        logind.AddMethod(LOGIND + ".Manager", "GetSessionByPID", "u", "o",
                         'ret = "%s%s"' % (SESSIONS, session), dbus_interface=MOCK)
        if session == "c3":
            assert system.request("Stop").startswith("Only a user at an active graphical")
    assert system.request("Postpone") is None and system.get("NextAction") == "2026-12-07 22:40"
    assert system.entry() == "Postponed from a user's session to 22:40.", "Postpone"
    system.stop()
    assert any("member=WarningBegan" in line for line in monitor.stdout), "no WarningBegan"


def system_policy(logind):
    """Only a file that root alone can change counts, each change applies within seconds, and a
    malformed value is ignored with one entry; the user's program takes the policy over its own
    file and never writes it there."""
    system = System(logind)
    system.write("[Command]\nCode=22:30 0\n", owner=65534)
    ignored = "; the policy in it is ignored."
    system.start("12:00:00", "/etc/duskline/policy.ini is not owned by root" + ignored)
    assert system.get("Schedule") == "", "a file of another owner counts"
    system.write("[Command]\nCode=22:30 0\nDays=Mon Funday\n")  # renamed over the old file
    assert system.entry().startswith('The policy value /etc/duskline/policy.ini [Command] Days = '
                                     '"Mon Funday" is not days of the week'), "malformed"
    wait(lambda: system.get("Schedule") == "22:30 0", "the new file", 5)
    for path, mode, name in ((system.policy, 0o644, "/etc/duskline/policy.ini"),
                             (DIR + "/policy", 0o755, "/etc/duskline")):  # the file, its folder
        os.chmod(path, mode | 0o022)
        assert system.entry() == name + " can be changed by users other than root" + ignored
        wait(lambda: system.get("Schedule") == "", "ignored file", 5)
        os.chmod(path, mode)
        assert "[Command] Days" in system.entry(), "a malformed value back is told again"
    with open(system.policy, "a") as f:  # changed in place
        f.write("[Policy]\nNoPostpone=1\n")
    wait(lambda: system.get("NoPostpone") and system.get("Schedule") == "22:30 0", "edit", 5)
    system.stop()
    ini = write_ini()
    start(fake_time="22:29:57 x5", prefix=ETC_AND_RUN)
    wait(lambda: len(calls()) >= 2, "the policy's log-off")
    assert calls() == ["GetSessionByPID %d" % program.pid, "Terminate"]
    assert open(ini, newline="").read() == INI, "the policy was written into Vesperon.ini"


def follow(logind):
    """A user's program following the service: it finds the service again after a restart and
    shows the countdown when told of it; its countdown's Stop reaches the service and nothing
    happens; under NoStop neither the countdown nor the bus has a Stop and the sessions end."""
    system = System(logind)
    system.write("[Command]\nCode=23:30 0\n")
    system.start("22:29:50")
    follower = start(fake_time="22:29:50", env={"DUSKLINE_FOLLOW": "1"}, prefix=ETC_AND_RUN)
    in_tray()
    system.stop()
    system.start("22:29:50")  # restarted
    system.write("[Command]\nCode=22:30 0\n")  # the countdown now: the service tells it
    window("System Information")
    follower.kill()
    system.stop()
    for no_stop in (False, True):
        system.write("[Command]\nCode=22:30 0\n" + "[Policy]\nNoStop=1\n" * no_stop)
        done = len(calls())
        system.start("22:29:50 x4")
        if no_stop:  # at once, while the countdown runs
            assert system.get("NoStop") and system.get("Phase") == "countdown", "countdown"
            assert system.request("Stop") == "The administrator does not allow this.", "NoStop"
        user = start(fake_time="22:29:50", env={"DUSKLINE_FOLLOW": "1"}, prefix=ETC_AND_RUN)
        click(window("System Information"), 4680, 1612, 1807)  # Stop, where it is shown
        assert system.entry() == ("Logoff at 22:30: 2 graphical sessions ended" if no_stop else
                                  "Stopped from a user's session: nothing happens at 22:30.")
        if not no_stop:
            user.wait(10)  # Stop ends the program, as ever
            time.sleep(12)  # past the set minute
        ended = [c for c in calls()[done:] if "Terminate" in c]
        assert ended == ['TerminateSession "c1"', 'TerminateSession "c2"'] * no_stop, "ended"
        user.kill()
        system.stop()


def terminations(limit, count=1, call="Terminate"):
    # Waits for the count of logind's calls of the action; the time it came.
    wait(lambda: calls().count(call) >= count, call, limit)
    assert program.poll() is None, "the program ended"
    return time.time()


def in_two_minutes(logind, call="Terminate", arguments=("in", "0:02", "0"), hide=True):
    # "In 0:02" (or the arguments): the countdown in the last minute, the log-off (or the call)
    # two minutes after the start.
    started = time.time()
    start(*arguments)
    if hide:
        click(window("Duskline"), 3255, 2587, 3727)  # Hide
    wait(lambda: shown("System Information"), "countdown", 130)
    assert time.time() - started >= 55, "the countdown came before the last minute"
    assert call not in calls(), "the action came before the countdown"
    took = terminations(90, 1, call) - started
    assert 115 <= took <= 135, "%s came %d s after the start" % (call, took)


def idle_with_and_without_input(logind):
    # Idle for a minute: the lock without input; after input the count starts again, and
    # input during the countdown starts it again: the lock comes a minute after that input.
    start("idle", "0:01", "6")
    click(window("Duskline"), 3255, 2587, 3727)  # Hide
    terminations(150, 1, 'LockSession "c1"')
    x("xdotool", "mousemove", "200", "200")
    wait(lambda: shown("System Information"), "countdown again", 90)
    time.sleep(12)  # a minute of idle is all warning: the countdown starts again, from the input
    x("xdotool", "mousemove", "400", "300")
    moved = time.time()
    waited = terminations(120, 2, 'LockSession "c1"') - moved
    assert waited >= 55, "the lock came %d s after the input" % waited


def idle_after_quiet(logind):
    # "Idle 0:02" started after ten quiet minutes (the desktop's screen saver's word): the
    # countdown in the last of the two minutes from the start, over the window, then the lock.
    saver = "org.freedesktop.ScreenSaver"
    mock(dbus.SessionBus(), saver, "--session", saver, "/" + saver.replace(".", "/"),
         saver).AddMethod("", "GetSessionIdleTime", "", "u", "ret = 600000", dbus_interface=MOCK)
    in_two_minutes(logind, 'LockSession "c1"', ("idle", "0:02", "6"), hide=False)


def program_ends(logind):
    # After a program: its end brings the countdown, and a minute later the log-off.
    # A name of its own: every instance counts, and other sleeps may run on this machine.
    shutil.copy(shutil.which("sleep"), DIR + "/duskline-watched")
    watched = start("1000", executable=DIR + "/duskline-watched")
    start("after", "duskline-watched", "0")
    window("Duskline")
    time.sleep(3)
    watched.kill()
    ended = time.time()
    window("System Information")
    took = terminations(90) - ended
    assert 55 <= took <= 75, "the log-off came %d s after the end" % took


def accessibility(logind):
    """As a screen reader meets the program, through AT-SPI on the run's session bus: controls
    named by their labels, the countdown an alert heard as it appears and with 30 and 10 s left;
    then every name under the pseudo-language (the catalog's, bracketed) and in German."""
    # In a group of its own: its bus and registry go with it, and hold no output of ours open.
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                env=ENV, start_new_session=True, stdout=DEVNULL, stderr=DEVNULL)
    atexit.register(os.killpg, launcher.pid, signal.SIGKILL)
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    write_ini()
    heard = []

    def under(node):
        return [node.get_child_at_index(i) for i in range(node.get_child_count())]

    def named(node, keep):  # the role and name of each node under it that keep takes
        for child in under(node):
            if keep(child):
                yield child.get_role_name(), child.get_name()
            yield from named(child, keep)

    def application():
        return wait(lambda: next((a for a in under(Atspi.get_desktop(0))
                                  if a and a.get_name() == "duskline"), None), "AT-SPI")

    def hear(event):
        try:  # the alert's events; other sources may be gone by now
            if event.source.get_role_name() == "alert":
                heard.append(event.source.get_description() if "description" in event.type
                             else "shown" if event.detail1 else "hidden")
        except GLib.Error:
            pass

    def listen():
        while GLib.MainContext.default().iteration(False):
            pass
        return len(heard) >= 5

    listener = Atspi.EventListener.new(hear)
    listener.register("object:state-changed:showing")
    listener.register("object:property-change:accessible-description")
    start(fake_time="22:28:52", env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
    main = window("Duskline")
    focusable = list(named(application(),
                           lambda node: node.get_state_set().contains(Atspi.StateType.FOCUSABLE)))
    assert len(focusable) >= 15 and all(name for _, name in focusable), "unnamed: %r" % focusable
    assert ("text", "Shutdown at") in focusable and ("combo box", "When") in focusable, focusable
    click(main, 3255, 2587, 3727)  # Hide
    wait(listen, "the countdown's last announcement", 90)
    said = "Power Off will be activated in %s."
    assert heard == ["shown", said % "one Minute", said % "30 seconds", "hidden",
                     said % "10 seconds"], heard
    for language in ("qps", "de"):
        program.kill()
        program.wait()
        start(fake_time="22:29:40", env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                          "LANG": "en_US.UTF-8", "LANGUAGE": language})
        click(window("Duskline"), 3255, 2587, 3727)  # Hide
        app = application()  # every name in it, once the countdown's are there too
        wait(lambda: len(list(named(app, Atspi.Accessible.get_name))) > 24, "the countdown", 20)
        said = set(named(app, Atspi.Accessible.get_name))
        if language == "qps":
            assert all(name[0] == "[" or name == "Duskline" for _, name in said), said
        else:
            assert {("text", "Uhrzeit"), ("combo box", "Wann"), ("push button", "Verbergen"),
                    ("label", "Ausschalten"), ("push button", "Stopp"),
                    ("label", "Ausschalten um 22:30")} <= said, said


def main(scenario, source, system):
    global ENV, LOG, PROGRAM, SYSTEM
    SYSTEM = system
    # Portable use: a folder of the program's own, whose name needs quoting in a unit; the
    # folders that ETC_AND_RUN binds.
    for folder in ("bin dir$%x", "policy", "up", "work", "run/systemd/journal"):
        os.makedirs(DIR + "/" + folder)
    PROGRAM = shutil.copy(os.path.abspath(source), DIR + "/bin dir$%x")
    LOG = open(DIR + "/program.log", "wb")
    display = announced("Xvfb", "-displayfd", "%d", "-screen", "0", "1024x768x24")  # no TCP
    with open(DIR + "/bus.conf", "w") as f:
        f.write('<busconfig><listen>unix:tmpdir=%s</listen><policy context="default">'
                '<allow user="*"/><allow own="*"/><allow send_destination="*"/>'
                '<allow receive_sender="*"/></policy></busconfig>' % DIR)
    for bus in ("SYSTEM", "SESSION"):  # dbus-python takes the addresses from os.environ
        os.environ["DBUS_%s_BUS_ADDRESS" % bus] = announced(
            "dbus-daemon", "--nofork", "--print-address=%d", "--config-file=%s/bus.conf" % DIR)
    # No service manager's variables; in the C locale gettext ignores LANGUAGE: a run is in
    # English unless it sets LANG.
    for key in ("NOTIFY_SOCKET", "INVOCATION_ID", "LC_ALL", "LC_MESSAGES"):
        os.environ.pop(key, None)
    ENV = dict(os.environ, DISPLAY=":" + display, XDG_RUNTIME_DIR=DIR, HOME=DIR,
               XDG_CONFIG_HOME=DIR + "/config", QT_QPA_PLATFORM="xcb", LANG="C", LANGUAGE="de")
    children.append(subprocess.Popen(["trayer", "--edge", "top"], env=ENV, stderr=DEVNULL))
    logind = mock(dbus.SystemBus(), LOGIND, "--system", "--template", "logind")
    logind.AddSession("c1", "seat0", os.getuid(), "user", True, dbus_interface=MOCK)
    logind.AddMethods(LOGIND + ".Manager", [
        ("GetSessionByPID", "u", "o", 'ret = "%sc1"' % SESSIONS),
        ("Halt", "b", "", "")], dbus_interface=MOCK)
    try:
        globals()[scenario](logind)  # one of the functions above
    except (AssertionError, OSError, subprocess.TimeoutExpired) as failure:
        print("FAILED: %r\nthe program's output:\n%s" % (failure, open(LOG.name).read()))
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
