#!/usr/bin/python3
"""The program as a screen reader meets it, through AT-SPI on the run's session bus: controls
named by their labels, the countdown an alert heard as it appears and with 30 and 10 s left.
Usage: accessibility_linux.py PROGRAM; exit code 0 passed."""
import atexit
import os
import signal
import subprocess
import sys

import e2e_linux as e2e


def accessibility(logind):
    # In a group of its own: its bus and registry go with it, and hold no output of ours open.
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                env=e2e.ENV, start_new_session=True, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    atexit.register(os.killpg, launcher.pid, signal.SIGKILL)
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
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
    with open(e2e.DIR + "/bin dir$%x/Vesperon.ini", "w", newline="") as f:
        f.write(e2e.INI)
    e2e.start(fake_time="22:28:52", env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
    main = e2e.window("Duskline")

    def children(node):
        return [node.get_child_at_index(i) for i in range(node.get_child_count())]

    def focusable(node):
        for child in children(node):
            if child.get_state_set().contains(Atspi.StateType.FOCUSABLE):
                yield child.get_role_name(), child.get_name()
            yield from focusable(child)

    app = e2e.wait(lambda: next((a for a in children(Atspi.get_desktop(0))
                                 if a and a.get_name() == "duskline"), None), "AT-SPI")
    named = list(focusable(app))
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
    sys.exit(e2e.main(accessibility, *sys.argv[1:]))
