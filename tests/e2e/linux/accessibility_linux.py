#!/usr/bin/python3
"""The program as a screen reader meets it, through AT-SPI on the run's session bus: controls
named by their labels, the countdown an alert heard as it appears and with 30 and 10 s left.
Also every name under the pseudo-language and in German.
Usage: accessibility_linux.py PROGRAM [languages]; exit code 0 passed."""
import atexit
import os
import signal
import subprocess
import sys

import e2e_linux as e2e


def at_spi():
    # In a group of its own: its bus and registry go with it, and hold no output of ours open.
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                env=e2e.ENV, start_new_session=True, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    atexit.register(os.killpg, launcher.pid, signal.SIGKILL)
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    with open(e2e.DIR + "/bin dir$%x/Vesperon.ini", "w", newline="") as f:
        f.write(e2e.INI)
    return Atspi, GLib


def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def application(Atspi):
    return e2e.wait(lambda: next((a for a in children(Atspi.get_desktop(0))
                                  if a and a.get_name() == "duskline"), None), "AT-SPI")


def names(node):  # the role and name of each node under it that has a name
    for child in children(node):
        if child.get_name():
            yield child.get_role_name(), child.get_name()
        yield from names(child)


def languages(logind):
    """Under the pseudo-language every name a screen reader hears in the main window and the
    countdown is the catalog's (bracketed); under LANGUAGE=de they are German."""
    Atspi, _ = at_spi()
    for language in ("qps", "de"):
        e2e.start(fake_time="22:29:40", env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                              "LANG": "en_US.UTF-8", "LANGUAGE": language})
        e2e.click(e2e.window("Duskline"), 3255, 2587, 3727)  # Hide
        app = application(Atspi)
        e2e.wait(lambda: len(list(names(app))) > 24, "the countdown", 20)
        said = set(names(app))
        if language == "qps":
            assert all(name[0] == "[" or name == "Duskline" for _, name in said), said
        else:
            assert {("text", "Uhrzeit"), ("combo box", "Wann"), ("push button", "Verbergen"),
                    ("label", "Ausschalten"), ("push button", "Stopp"),
                    ("label", "Ausschalten um 22:30")} <= said, said
        e2e.program.kill()
        e2e.program.wait()


def accessibility(logind):
    Atspi, GLib = at_spi()
    heard = []

    def hear(event):
        try:  # the alert's events; other sources may be gone by now
            if event.source.get_role_name() == "alert":
                heard.append(event.source.get_description() if "description" in event.type
                             else "shown" if event.detail1 else "hidden")
        except GLib.Error:
            pass

    listener = Atspi.EventListener.new(hear)
    listener.register("object:state-changed:showing")
    listener.register("object:property-change:accessible-description")
    e2e.start(fake_time="22:28:52", env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
    main = e2e.window("Duskline")

    def focusable(node):
        for child in children(node):
            if child.get_state_set().contains(Atspi.StateType.FOCUSABLE):
                yield child.get_role_name(), child.get_name()
            yield from focusable(child)

    named = list(focusable(application(Atspi)))
    assert len(named) >= 15 and all(name for _, name in named), "unnamed: %r" % named
    assert ("text", "Shutdown at") in named and ("combo box", "When") in named, named
    e2e.click(main, 3255, 2587, 3727)  # Hide

    def listen():
        while GLib.MainContext.default().iteration(False):
            pass
        return len(heard) >= 5

    e2e.wait(listen, "the countdown's last announcement", 90)
    said = "Power Off will be activated in %s."
    assert heard == ["shown", said % "one Minute", said % "30 seconds", "hidden",
                     said % "10 seconds"], heard


if __name__ == "__main__":
    sys.exit(e2e.main(languages if sys.argv[2:] == ["languages"] else accessibility, sys.argv[1]))
