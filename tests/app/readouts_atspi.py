#!/usr/bin/python3
"""Reads tavik's window as a screen reader does, through AT-SPI.

Usage: readouts_atspi.py TAVIK EXPECTED

Run on a session bus of its own (dbus-run-session) and an X server. Starts TAVIK with
accessibility on, finds its frame "GPS", starts the link from the keyboard (Shift+F10,
then S) and reads the six read-outs by their accessible names until they show EXPECTED
(their texts, tab-separated) or 30 s pass. Prints one "NAME<TAB>TEXT" line per
read-out and "Status<TAB>DESCRIPTION" for the state line, ends tavik, and prints
"at-spi PID" for each AT-SPI process of this session bus still running.
"""

import os
import subprocess
import sys
import time

import pyatspi

READOUTS = ['UTC time', 'Altitude', 'Latitude', 'Longitude', 'UTM northing', 'UTM easting']


def tavik_frame():
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != 'tavik':
            continue
        for child in app:
            if child is not None and child.getRoleName() == 'frame' and child.name == 'GPS':
                return child
    return None


def named(frame):
    found = {}
    pending = [frame]
    while pending:
        node = pending.pop()
        for child in node:
            if child is None:
                continue
            # The read-outs' names also stand on labels beside them in one column.
            label = child.getRoleName() == 'label'
            if (child.name in READOUTS and not label) or (child.name == 'Status' and label):
                found[child.name] = child
            pending.append(child)
    return found


def text_of(accessible):
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def xdotool(*args):
    return subprocess.run(['timeout', '20', 'xdotool', *args], capture_output=True, text=True,
                          check=False).stdout


def at_spi_processes():
    """The AT-SPI processes started for this session bus (by their environment)."""
    ours = ('DBUS_SESSION_BUS_ADDRESS=' + os.environ['DBUS_SESSION_BUS_ADDRESS']).encode()
    pids = []
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            with open(f'/proc/{pid}/cmdline', 'rb') as f:
                cmdline = f.read()
            with open(f'/proc/{pid}/environ', 'rb') as f:
                environ = f.read().split(b'\0')
        except OSError:
            continue
        if b'at-spi' in cmdline and ours in environ:
            pids.append(int(pid))
    return pids


def main():
    tavik_path, expected = sys.argv[1], sys.argv[2].split('\t')
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
    tavik = subprocess.Popen([tavik_path], env=env)
    try:
        frame = None
        for _ in range(200):
            frame = tavik_frame()
            if frame is not None:
                break
            time.sleep(0.05)
        if frame is None:
            print('no frame "GPS" of tavik on the accessibility bus', file=sys.stderr)
            return 1
        window = xdotool('search', '--sync', '--onlyvisible', '--name', '^GPS$').split('\n')[0]
        xdotool('windowfocus', '--sync', window)
        xdotool('key', 'shift+F10')
        time.sleep(0.3)
        xdotool('key', 's')
        found, shown = {}, []
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            found = named(frame)
            shown = [text_of(found[name]) if name in found else '' for name in READOUTS]
            if shown == expected:
                break
            time.sleep(0.2)
        for name, text in zip(READOUTS, shown):
            print(f'{name}\t{text}')
        if 'Status' in found:
            print(f'Status\t{found["Status"].description}')
    finally:
        tavik.terminate()
        tavik.wait(20)
    for pid in at_spi_processes():
        print(f'at-spi {pid}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
