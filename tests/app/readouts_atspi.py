#!/usr/bin/python3
# Reads tavik's window as a screen reader does, through AT-SPI, on a session bus of its
# own (dbus-run-session). Usage: readouts_atspi.py TAVIK EXPECTED (tab-separated texts).
# Starts TAVIK, finds its frame "GPS", starts the link from the keyboard and reads the
# read-outs by name until they show EXPECTED (at most 30 s). Prints "NAME<TAB>TEXT" for
# each and for the state line ("Status", its description), ends tavik, then prints
# "at-spi PID" for each AT-SPI process of this bus.
import os
import subprocess
import sys
import time

import pyatspi

READOUTS = ['UTC time', 'Altitude', 'Latitude', 'Longitude', 'UTM northing', 'UTM easting']


def tavik_frame():
    for app in filter(None, pyatspi.Registry.getDesktop(0)):
        for child in filter(None, app if app.name == 'tavik' else []):
            if child.getRoleName() == 'frame' and child.name == 'GPS':
                return child
    return None


def named(node, found):
    for child in filter(None, node):
        # In one column the read-outs' names also stand on labels beside them.
        label = child.getRoleName() == 'label'
        if (child.name in READOUTS and not label) or (child.name == 'Status' and label):
            found[child.name] = child
        named(child, found)
    return found


def at_spi_processes():
    ours = ('DBUS_SESSION_BUS_ADDRESS=' + os.environ['DBUS_SESSION_BUS_ADDRESS']).encode()
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            with open(f'/proc/{pid}/cmdline', 'rb') as cmdline, \
                    open(f'/proc/{pid}/environ', 'rb') as environ:
                if b'at-spi' in cmdline.read() and ours in environ.read().split(b'\0'):
                    yield pid
        except OSError:
            pass


def main():
    expected = sys.argv[2].split('\t')
    tavik = subprocess.Popen([sys.argv[1]], env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1'))
    try:
        deadline = time.monotonic() + 10
        while (frame := tavik_frame()) is None and time.monotonic() < deadline:
            time.sleep(0.05)
        if frame is None:
            sys.exit('no frame "GPS" of tavik on the accessibility bus')
        subprocess.run(['timeout', '20', 'xdotool', 'search', '--sync', '--onlyvisible', '--name',
                        '^GPS$', 'windowfocus', '--sync', 'key', 'shift+F10', 'sleep', '0.3',
                        'key', 's', 'sleep', '0.3'], check=False)
        deadline = time.monotonic() + 30
        while True:
            found = named(frame, {})
            shown = [found[name].queryText().getText(0, -1) if name in found else ''
                     for name in READOUTS]
            if shown == expected or time.monotonic() > deadline:
                break
            time.sleep(0.2)
        for name, text in zip(READOUTS, shown):
            print(f'{name}\t{text}')
        print(f'Status\t{found["Status"].description if "Status" in found else ""}')
    finally:
        tavik.terminate()
        tavik.wait(20)
    for pid in at_spi_processes():
        print(f'at-spi {pid}')


if __name__ == '__main__':
    main()
