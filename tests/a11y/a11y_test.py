#!/usr/bin/python3
# Vorlix as a screen-reader user and a keyboard user meet it: the built
# program on a private Xvfb with openbox and the AT-SPI bus, read and driven
# through AT-SPI, then with the keyboard alone through xdotool; on the way it
# closes a pop-up, learns a browser's name, and ends when its window closes.
# Usage: a11y_test.py <Vorlix executable>
import os, shutil, subprocess, sys, tempfile, time

if 'VORLIX_A11Y_BUS' not in os.environ:  # a D-Bus session of our own carries the AT-SPI bus
    os.environ['VORLIX_A11Y_BUS'] = '1'
    os.execvp('dbus-run-session', ['dbus-run-session', '--', sys.executable, *sys.argv])

import pyatspi
from gi.repository import GLib

failures = []
heard = []  # (role, name) of each control whose name or description changes, as announced


def wait(what, limit=60):  # polls `what`, delivering AT-SPI events; the limit bounds a hang
    end = time.monotonic() + limit
    while not what() and time.monotonic() < end:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.05)
    return what()


def expect(ok, what):
    if not ok:
        failures.append(what)
        print('FAIL:', what, flush=True)


def app():
    return next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == 'Vorlix'), None)


def find(role, name):
    root = app()
    return root and pyatspi.findDescendant(root, lambda a: a.getRoleName() == role and a.name == name)


def press(acc):
    actions = acc.queryAction()
    actions.doAction([actions.getName(i) for i in range(actions.nActions)].index('Press'))


def entries(list_name):
    return [c.name for c in find('list', list_name)]


def focused():  # the list's row shares the list's focus
    a = pyatspi.findDescendant(app(), lambda a: a.getState().contains(pyatspi.STATE_FOCUSED) and
                               a.getRoleName() != 'list item')
    return a.name if a else None


def has(state, role, name):
    return bool(find(role, name)) and find(role, name).getState().contains(state)


exe, tmp = sys.argv[1], tempfile.mkdtemp(prefix='vorlix-a11y-')
os.makedirs(tmp + '/bin')
shutil.copy(exe, tmp)
open(tmp + '/Vorlix.cfg', 'w').write('Timer=400\r\n')  # six characters, then the scan interval
# The site link's command, recorded.
open(tmp + '/bin/xdg-open', 'w').write(f'#!/bin/sh\necho "$1" > {tmp}/opened\n')
os.chmod(tmp + '/bin/xdg-open', 0o755)
read_end, write_end = os.pipe()
procs = [subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1280x1024x24',
                           '-nolisten', 'tcp'], pass_fds=[write_end])]
os.environ.update(DISPLAY=':' + os.read(read_end, 16).decode().strip(), HOME=tmp,
                  XDG_CONFIG_HOME=tmp + '/config', PATH=tmp + '/bin:' + os.environ['PATH'],
                  QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_QPA_PLATFORM='xcb')
# openbox runs its start-up command once it manages windows; it drops those mapped before.
procs.append(subprocess.Popen(['openbox', '--startup', f'touch {tmp}/wm'], stderr=subprocess.DEVNULL))
expect(wait(lambda: os.path.exists(tmp + '/wm')), 'openbox started')
vorlix = subprocess.Popen([tmp + '/Vorlix'], cwd=tmp)
procs.append(vorlix)
try:
    expect(wait(lambda: find('push button', 'Suspend scanning')), 'Vorlix on the AT-SPI bus')
    # Listening once Vorlix answers: Qt asks which events are listened for as it
    # starts, and can miss a listener that registers meanwhile (no event then).
    pyatspi.Registry.registerEventListener(
        lambda e: heard.append((e.source.getRoleName(), e.source.name)),
        'object:property-change:accessible-name', 'object:property-change:accessible-description')
    # Every control by role and name, and the commands' press action.
    for role, name, pressable in [
            ('frame', 'Vorlix v1.14 (build 47)', False), ('frame', 'Vorlix - Window List', False),
            ('image', 'Vorlix', False), ('text', 'Title', False), ('push button', 'Add', True),
            ('push button', 'Hide window list', True), ('list', 'Blacklisted titles', False),
            ('push button', 'Remove', True), ('push button', 'Suspend scanning', True),
            ('push button', 'Resume scanning', True), ('image', 'Status lamp', False),
            ('status bar', '', False), ('list', 'Open windows', False),
            ('check box', 'Display only Internet Windows', False), ('check box', 'Autostart', False),
            ('link', 'Visit our site: https://www.kelto.example/vorlix', True)]:
        acc = find(role, name)
        expect(acc and (not pressable or 'Press' in [acc.queryAction().getName(i) for i in range(
            acc.queryAction().nActions)]), f'{role} {name!r} exposed, pressable: {pressable}')

    # The lamp says what the scanner does, and is heard doing it.
    lamp = find('image', 'Status lamp')
    expect(wait(lambda: heard.count(('image', 'Status lamp')) >= 2), 'each scan announced')
    expect(lamp.description in ('waiting', 'scanning'), f'lamp on: {lamp.description!r}')

    # Add by the button's action: the list, the file, then the status line heard.
    find('text', 'Title').queryEditableText().setTextContents('Win a prize')
    press(find('push button', 'Add'))
    expect(wait(lambda: '[Win a prize]' in entries('Blacklisted titles')), 'the title listed')
    expect(wait(lambda: open(tmp + '/Vorlix.dat', 'rb').read() == b'Win a prize\r\n'),
           'the title saved in Vorlix.dat')
    for title in 'Win a prize - Microsoft Internet Explorer', 'Home - Netscape 6':
        procs.append(subprocess.Popen(['xmessage', '-title', title, 'pop']))
    expect(wait(lambda: ('status bar', '  Killed 1 popup') in heard),
           f'the kill announced by the status bar: {heard[-3:]}')
    expect(wait(lambda: procs[-2].poll() is not None), 'the pop-up closed')
    expect(wait(lambda: os.path.exists(tmp + '/Vorlix_BrowserName.dat') and open(
        tmp + '/Vorlix_BrowserName.dat', 'rb').read() == b'Microsoft Internet Explorer\r\nNetscape 6\r\n'),
        'the browser name learned')

    # The keyboard alone: Tab reaches every command, Space and Return press it.
    subprocess.run(['xdotool', 'search', '--name', '^Vorlix v', 'windowactivate', '--sync'])
    subprocess.run(['xdotool', 'type', 'Kbd'])
    for keys, focus, done, what in [
            ('Tab Return', 'Add', lambda: '[Kbd]' in entries('Blacklisted titles'), 'added'),
            ('Tab End Home', 'Blacklisted titles', None, ''),
            ('Tab space', 'Remove', lambda: '[Kbd]' not in entries('Blacklisted titles'), 'removed'),
            ('Tab space', 'Resume scanning', lambda: lamp.description == 'suspended', 'suspended'),
            ('Return', 'Suspend scanning', lambda: lamp.description in ('waiting', 'scanning'),
             'resumed'),
            ('Tab space', 'Blacklisted titles', lambda: find('push button', 'Show window list') and
             not has(pyatspi.STATE_SHOWING, 'frame', 'Vorlix - Window List'), 'panel hidden'),
            ('Tab Tab Tab Return', 'Open windows',
             lambda: has(pyatspi.STATE_SHOWING, 'frame', 'Vorlix - Window List'), 'shown'),
            ('Tab space', 'Display only Internet Windows', lambda: not has(
                pyatspi.STATE_CHECKED, 'check box', 'Display only Internet Windows'), 'filter off'),
            ('Tab space', 'Autostart', lambda: os.path.isdir(tmp + '/config/autostart'),
             'autostart on'),
            ('Tab Return', None, lambda: os.path.exists(tmp + '/opened') and open(
                tmp + '/opened').read() == 'https://www.kelto.example/vorlix\n', 'site opened')]:
        subprocess.run(['xdotool', 'key', '--delay', '150', *keys.split()])
        if focus:
            expect(wait(lambda: focused() == focus), f'{keys}: focus on {focus!r}, not {focused()!r}')
        if done:
            expect(wait(done), f'{keys}: {what}')

    # Closing the main window ends the program.
    subprocess.run(['xdotool', 'search', '--name', '^Vorlix v', 'windowactivate', '--sync'])
    subprocess.run(['xdotool', 'key', 'alt+F4'])
    expect(wait(lambda: vorlix.poll() is not None), 'closing the main window ends Vorlix')
finally:
    for p in reversed(procs):
        p.terminate()
        p.wait()
    shutil.rmtree(tmp)
sys.exit(f'FAILED: {len(failures)} failures' if failures else 0)
