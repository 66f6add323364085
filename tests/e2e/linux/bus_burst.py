#!/usr/bin/python3
"""Sends COUNT calls to the system service (property reads, Stop, Postpone in turn) as the user
UID over the bus socket SOCKET, 100 at a time (the system bus refuses a connection more than
128 calls awaiting their answers), and waits for every answer. Prints
"answered A refused R unanswered U" and the names of the errors.
Usage: bus_burst.py SOCKET UID COUNT"""
import collections
import os
import sys

from gi.repository import Gio, GLib

socket, uid, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.chdir(os.path.dirname(socket))  # a path through /proc/PID/root is root's alone
os.setgroups([])
os.setresgid(uid, uid, uid)
os.setresuid(uid, uid, uid)
flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
         | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
bus = Gio.DBusConnection.new_for_address_sync("unix:path=" + os.path.basename(socket), flags,
                                              None, None)
calls = (("org.freedesktop.DBus.Properties", "GetAll",
          GLib.Variant("(s)", ("Duskline.Scheduler1",))),
         ("Duskline.Scheduler1", "Stop", None), ("Duskline.Scheduler1", "Postpone", None))
tally, errors, sent = collections.Counter(), collections.Counter(), [0]
loop = GLib.MainLoop()


def send():
    interface, method, arguments = calls[sent[0] % len(calls)]
    sent[0] += 1
    bus.call("Duskline.Scheduler1", "/Duskline/Scheduler1", interface, method, arguments, None,
             Gio.DBusCallFlags.NONE, 60000, None, done)


def done(connection, result):
    try:
        connection.call_finish(result)
        tally["answered"] += 1
    except GLib.Error as error:
        name = Gio.DBusError.get_remote_error(error) or error.message
        errors[name] += 1
        tally["unanswered" if "NoReply" in name or "Timed" in name else "refused"] += 1
    if sent[0] < count:
        send()
    elif sum(tally.values()) == count:
        loop.quit()


for _ in range(min(100, count)):
    send()
GLib.timeout_add_seconds(300, loop.quit)
loop.run()
tally["unanswered"] = count - tally["answered"] - tally["refused"]
print("answered %(answered)d refused %(refused)d unanswered %(unanswered)d" % tally,
      " ".join("%s:%d" % item for item in sorted(errors.items())))
