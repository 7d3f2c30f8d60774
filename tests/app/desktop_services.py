# Stand-ins for the desktop services tavik talks to, as a python-dbusmock template.
#
# Parameters (all optional): portal, screen_saver, mutter, idle_monitor, plasma offer
# that service (bool); gate is a file Inhibit calls wait for (at most 30 s), so a test
# can see whether the caller waits for the reply.
#
# The main object answers the test: Events() lists what was asked, in order;
# UserBecomesActive() fires the idle monitor's user-activity watches, as input would.

import os
import time

import dbus
import dbus.service

BUS_NAME = 'org.tavik.TestDesktop'
MAIN_OBJ = '/org/tavik/TestDesktop'
MAIN_IFACE = 'org.tavik.TestDesktop'
SYSTEM_BUS = False

events = []
kept = []  # the bus names and objects offered
watches = []
gate = None


# A plain dbus-python object beside the mock ones, which look methods up here.
class Service(dbus.service.Object):
    methods = {}
    interface = ''


class Request(Service):
    @dbus.service.method('org.freedesktop.portal.Request', in_signature='', out_signature='')
    def Close(self):
        events.append('portal Close')
        self.remove_from_connection()


class Portal(Service):
    @dbus.service.method('org.freedesktop.portal.Inhibit', in_signature='sua{sv}',
                         out_signature='o', sender_keyword='sender')
    def Inhibit(self, _window, flags, options, sender=None):
        path = f'/org/freedesktop/portal/desktop/request/{sender[1:].replace(".", "_")}/t{len(events)}'
        Request(self.connection, path)
        for _ in range(600 if gate else 0):
            if os.path.exists(gate):
                break
            time.sleep(0.05)
        events.append(f'portal Inhibit {int(flags)} {options.get("reason", "")}')
        return dbus.ObjectPath(path)


class ScreenSaver(Service):
    @dbus.service.method('org.freedesktop.ScreenSaver', in_signature='ss', out_signature='u')
    def Inhibit(self, _application, reason):
        events.append(f'screen-saver Inhibit {reason}')
        return dbus.UInt32(7)

    @dbus.service.method('org.freedesktop.ScreenSaver', in_signature='u', out_signature='')
    def UnInhibit(self, cookie):
        events.append(f'screen-saver UnInhibit {int(cookie)}')


class MutterDisplayConfig(Service):
    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature='ssv', out_signature='')
    def Set(self, interface, name, value):
        events.append(f'mutter {interface} {name}={int(value)}')


class IdleMonitor(Service):
    @dbus.service.method('org.gnome.Mutter.IdleMonitor', in_signature='', out_signature='u')
    def AddUserActiveWatch(self):
        watches.append(len(watches) + 1)
        events.append('idle-monitor AddUserActiveWatch')
        return dbus.UInt32(watches[-1])

    @dbus.service.signal('org.gnome.Mutter.IdleMonitor', signature='u')
    def WatchFired(self, watch_id):
        pass


class PlasmaShortcuts(Service):
    @dbus.service.method('org.kde.kglobalaccel.Component', in_signature='s', out_signature='')
    def invokeShortcut(self, name):
        events.append(f'plasma invokeShortcut {name}')


OFFERED = {
    'portal': ('org.freedesktop.portal.Desktop', Portal, '/org/freedesktop/portal/desktop'),
    'screen_saver': ('org.freedesktop.ScreenSaver', ScreenSaver, '/org/freedesktop/ScreenSaver'),
    'mutter': ('org.gnome.Mutter.DisplayConfig', MutterDisplayConfig,
               '/org/gnome/Mutter/DisplayConfig'),
    'idle_monitor': ('org.gnome.Mutter.IdleMonitor', IdleMonitor,
                     '/org/gnome/Mutter/IdleMonitor/Core'),
    'plasma': ('org.kde.kglobalaccel', PlasmaShortcuts, '/component/org_kde_powerdevil'),
}


def load(mock, parameters):
    global gate  # pylint: disable=global-statement
    gate = parameters.get('gate')
    for key, (name, cls, path) in OFFERED.items():
        if parameters.get(key):
            kept.extend([cls(mock.connection, path), dbus.service.BusName(name, mock.connection)])


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='as')
def Events(_self):
    return list(events)


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='')
def UserBecomesActive(_self):
    for monitor in [each for each in kept if isinstance(each, IdleMonitor)]:
        while watches:
            monitor.WatchFired(dbus.UInt32(watches.pop()))
