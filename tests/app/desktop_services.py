# Stand-ins for the desktop services tavik talks to, as a python-dbusmock template.
#
# Parameters (all optional):
#   portal, screen_saver, mutter, idle_monitor, plasma: offer that service (bool)
#   gate: path of a file; Inhibit calls wait for it to exist (at most 30 s), so a test
#         can see whether the caller waits for the reply
#
# The main object answers the test: Held() lists the inhibitions in force as
# "portal <sender>" or "screen-saver <sender>"; Events() lists what was asked, in order;
# UserBecomesActive() fires the idle monitor's user-activity watches, as input would.

import os
import time

import dbus
import dbus.service

BUS_NAME = 'org.tavik.TestDesktop'
MAIN_OBJ = '/org/tavik/TestDesktop'
MAIN_IFACE = 'org.tavik.TestDesktop'
SYSTEM_BUS = False

PORTAL = 'org.freedesktop.portal.Desktop'
SCREEN_SAVER = 'org.freedesktop.ScreenSaver'

held = {}    # key -> (kind, sender)
events = []
names = []   # the bus names claimed, kept alive
objects_offered = []
gate = None


def wait_for_gate():
    if not gate:
        return
    for _ in range(600):
        if os.path.exists(gate):
            return
        time.sleep(0.05)
    events.append('gate timed out')


# A plain dbus-python object beside the mock ones, which look methods up here.
class Service(dbus.service.Object):
    methods = {}
    interface = ''


class Request(Service):
    @dbus.service.method('org.freedesktop.portal.Request', in_signature='', out_signature='')
    def Close(self):
        if held.pop(self.__dbus_object_path__, None):
            events.append('portal Close')
        self.remove_from_connection()


class Portal(Service):
    count = 0

    @dbus.service.method('org.freedesktop.portal.Inhibit', in_signature='sua{sv}',
                         out_signature='o', sender_keyword='sender')
    def Inhibit(self, _window, flags, options, sender=None):
        wait_for_gate()
        Portal.count += 1
        path = f'/org/freedesktop/portal/desktop/request/{sender[1:].replace(".", "_")}/t{Portal.count}'
        Request(self.connection, path)
        held[path] = ('portal', sender)
        events.append(f'portal Inhibit {int(flags)} {options.get("reason", "")}')
        return dbus.ObjectPath(path)


class ScreenSaver(Service):
    cookie = 0

    @dbus.service.method(SCREEN_SAVER, in_signature='ss', out_signature='u',
                         sender_keyword='sender')
    def Inhibit(self, application, reason, sender=None):
        wait_for_gate()
        ScreenSaver.cookie += 1
        held[ScreenSaver.cookie] = ('screen-saver', sender)
        events.append(f'screen-saver Inhibit {application} {reason}')
        return dbus.UInt32(ScreenSaver.cookie)

    @dbus.service.method(SCREEN_SAVER, in_signature='u', out_signature='')
    def UnInhibit(self, cookie):
        if held.pop(int(cookie), None):
            events.append('screen-saver UnInhibit')


class MutterDisplayConfig(Service):
    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature='ssv', out_signature='')
    def Set(self, interface, name, value):
        events.append(f'mutter {interface} {name}={int(value)}')


class IdleMonitor(Service):
    watches = []

    @dbus.service.method('org.gnome.Mutter.IdleMonitor', in_signature='', out_signature='u')
    def AddUserActiveWatch(self):
        IdleMonitor.watches.append(len(IdleMonitor.watches) + 1)
        events.append('idle-monitor AddUserActiveWatch')
        return dbus.UInt32(IdleMonitor.watches[-1])

    @dbus.service.signal('org.gnome.Mutter.IdleMonitor', signature='u')
    def WatchFired(self, watch_id):
        pass


class PlasmaShortcuts(Service):
    @dbus.service.method('org.kde.kglobalaccel.Component', in_signature='s', out_signature='')
    def invokeShortcut(self, name):
        events.append(f'plasma invokeShortcut {name}')


def load(mock, parameters):
    global gate  # pylint: disable=global-statement
    gate = parameters.get('gate')
    bus = mock.connection
    offered = [
        ('portal', PORTAL, Portal, '/org/freedesktop/portal/desktop'),
        ('screen_saver', SCREEN_SAVER, ScreenSaver, '/org/freedesktop/ScreenSaver'),
        ('mutter', 'org.gnome.Mutter.DisplayConfig', MutterDisplayConfig,
         '/org/gnome/Mutter/DisplayConfig'),
        ('idle_monitor', 'org.gnome.Mutter.IdleMonitor', IdleMonitor,
         '/org/gnome/Mutter/IdleMonitor/Core'),
        ('plasma', 'org.kde.kglobalaccel', PlasmaShortcuts, '/component/org_kde_powerdevil'),
    ]
    for key, name, cls, path in offered:
        if parameters.get(key):
            objects_offered.append(cls(bus, path))
            names.append(dbus.service.BusName(name, bus))


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='as')
def Held(_self):
    return [f'{kind} {sender}' for kind, sender in held.values()]


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='as')
def Events(_self):
    return list(events)


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='')
def UserBecomesActive(_self):
    for monitor in objects_offered:
        if isinstance(monitor, IdleMonitor):
            while IdleMonitor.watches:
                monitor.WatchFired(dbus.UInt32(IdleMonitor.watches.pop()))
