#!/usr/bin/python3
# The packages as a user meets them.
# deb: dpkg installs the package into a private root whose /usr/bin the user
#   cannot write; the installed Vorlix, run as an unprivileged user on a
#   private Xvfb, keeps its data in ~/.local/share/vorlix (loads, saves, closes
#   a blacklisted window); given a data folder it cannot make, its save says
#   why and it runs on; removing the package leaves only the user's data.
# windows: under Wine, in a prefix of its own, the installer runs silently,
#   the installed Vorlix saves beside itself, the silent uninstaller keeps the
#   data files and removes the autostart value only when it names this copy;
#   the zip, unpacked anywhere, runs as a portable copy.
# Usage: packages_test.py deb <package.deb> | windows <installer.exe> <portable.zip>
import getpass, os, shutil, subprocess, sys, tempfile, time

failures, procs, tmp = [], [], tempfile.mkdtemp(prefix='vorlix-pkg-')
start = lambda *cmd, **kw: procs.append(subprocess.Popen(cmd, **kw)) or procs[-1]
read = lambda path: open(path, 'rb').read() if os.path.exists(path) else b''


def wait(what, limit=60):  # polls `what`; the limit bounds a hang
    end = time.monotonic() + limit
    while not what() and time.monotonic() < end:
        time.sleep(0.05)
    return what()


def expect(ok, what):
    print('ok:' if ok else 'FAIL:', what, flush=True)
    failures.extend([] if ok else [what])


def display():
    r, w = os.pipe()
    start('Xvfb', '-displayfd', str(w), '-nolisten', 'tcp', pass_fds=[w])
    os.environ['DISPLAY'] = ':' + os.read(r, 16).decode().strip()


def deb_desktop(exe):  # as the user, on the user's own D-Bus session
    import pyatspi
    home, bin = os.environ['HOME'], os.path.dirname(exe)
    display()
    start('openbox', '--startup', f'touch {home}/wm')
    expect(wait(lambda: os.path.exists(home + '/wm')), 'openbox started')
    for data_home, title in (None, 'Win a prize'), (bin, 'Lost'):  # the second cannot be made
        vorlix = start(exe, cwd=home, env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
                                               **({'XDG_DATA_HOME': data_home} if data_home else {})))
        subprocess.run(['xdotool', 'search', '--sync', '--pid', str(vorlix.pid), '--name', '^Vorlix v',
                        'windowactivate', '--sync', 'type', title], timeout=60)
        subprocess.run(['xdotool', 'key', 'Return'])
        expect(wait(lambda: read(home + '/.local/share/vorlix/Vorlix.dat') == b'Loaded title\r\nWin a prize\r\n')
               and os.listdir(bin) == ['Vorlix'], f'{title}: ~/.local/share/vorlix holds the blacklist, /usr/bin nothing new')
        if not data_home:
            pop_up = start('xmessage', '-title', 'Win a prize - Microsoft Internet Explorer', 'x')
            expect(wait(lambda: pop_up.poll() is not None), 'the blacklisted window closed')
            vorlix.kill(), vorlix.wait()
    bars = lambda: [pyatspi.findDescendant(a, lambda c: c.getRoleName() == 'status bar').name
                    for a in pyatspi.Registry.getDesktop(0) if a and a.name == 'Vorlix']
    expect(wait(lambda: any(b.startswith('  Could not save the blacklist: ') for b in bars())) and
           vorlix.poll() is None, f'a data folder that cannot be made: the save says why, Vorlix runs on {bars()}')


def deb(package):
    root, data, admin = tmp + '/root', tmp + '/home/.local/share/vorlix', tmp + '/root/var/lib/dpkg'
    for d in admin + '/info', admin + '/updates', data:
        os.makedirs(d)
    for path, text in (admin + '/status', b''), (data + '/Vorlix.dat', b'Loaded title\r\n'), (data + '/Vorlix.cfg', b'Timer=400\r\n'):
        open(path, 'wb').write(text)
    # This machine's libraries stand in for the dependencies.
    dpkg = ['dpkg', '--root', root, '--log', tmp + '/log', '--force-depends', '--force-not-root']
    subprocess.run(dpkg + ['-i', package], check=True, capture_output=True)
    os.chmod(root + '/usr/bin', 0o555)  # read-only for its owner too; root writes anywhere, so:
    user = ['runuser', '-u', 'nobody', '--'] if os.getuid() == 0 else []
    user and subprocess.run(['chown', '-R', 'nobody:', tmp + '/home'], check=True)
    os.chmod(tmp, 0o755)
    shutil.copy(__file__, tmp)  # where the user can read it
    run = subprocess.run(user + ['env', '-u', 'XDG_DATA_HOME', '-u', 'XDG_RUNTIME_DIR', f'HOME={tmp}/home',
                                 'dbus-run-session', '/usr/bin/python3', tmp + '/packages_test.py',
                                 'deb-desktop', root + '/usr/bin/Vorlix'])
    os.chmod(root + '/usr/bin', 0o755)
    subprocess.run(dpkg + ['-r', 'vorlix'], check=True, capture_output=True)
    left = [os.path.join(d, f) for d, _, fs in os.walk(root) for f in fs if not d.startswith(admin)]
    expect(run.returncode == 0 and not left, f'the run as the user; nothing left after removal: {left}')
    expect(sorted(os.listdir(data)) == ['Vorlix.cfg', 'Vorlix.dat'], 'data kept')


def windows(installer, portable):
    os.environ.update(WINEPREFIX=tmp + '/prefix', WINEARCH='win64', WINEDEBUG='-all',
                      WINEDLLOVERRIDES='mscoree,mshtml=')
    display()
    keys = r'HKCU\Software\Microsoft\Windows\CurrentVersion'
    me = getpass.getuser()
    users = f'{tmp}/prefix/drive_c/users/{me}/AppData'
    app, link = users + '/Local/Programs/Vorlix', users + '/Roaming/Microsoft/Windows/Start Menu/Programs/Vorlix.lnk'

    def wine(*args):  # its answer through a file: Wine's servers hold a pipe open for ever
        with open(tmp + '/said', 'w+') as said:
            subprocess.run(['wine', *args], stdout=said, stderr=subprocess.DEVNULL)
            return said.seek(0) or said.read()

    def learns(folder):  # Vorlix learns a browser's name from a window's title and saves it
        open(folder + '/Vorlix.cfg', 'wb').write(b'Timer=400\r\n'), open(tmp + '/Home - Netscape 6', 'w').close()
        os.path.exists(folder + '/Vorlix_BrowserName.dat') and os.remove(folder + '/Vorlix_BrowserName.dat')
        running = start('wine', folder + '/Vorlix.exe'), start('wine', 'notepad', tmp + '/Home - Netscape 6')
        saved = wait(lambda: read(folder + '/Vorlix_BrowserName.dat').startswith(
            b'Microsoft Internet Explorer\r\nNetscape 6'))
        subprocess.run(['wineserver', '-k'])  # both run under it by now: a name was learned
        return [p.wait() for p in running] and saved

    for registered, kept in ('C:\\Other\\Vorlix.exe', True), (rf'C:\users\{me}\AppData\Local\Programs\Vorlix\Vorlix.exe', False):
        expect(subprocess.run(['wine', installer, '/S']).returncode == 0 and os.path.exists(link) and
               'Vorlix' in wine('reg', 'query', keys + r'\Uninstall\Vorlix'),
               'installed silently, with a Start-menu entry and one in the installed programs')
        expect(learns(app), 'the installed Vorlix saved beside itself')
        open(app + '/Vorlix.dat', 'wb').write(b'Win a prize\r\n')
        wine('reg', 'add', keys + r'\Run', '/v', 'Kelto_Vorlix', '/d', registered, '/f')
        wine(app + '/Uninstall.exe', '/S')  # which goes on from a copy of itself, and ends
        wait(lambda: not os.path.exists(app + '/Uninstall.exe'))  # by removing the original
        expect(sorted(os.listdir(app)) == ['Vorlix.cfg', 'Vorlix.dat', 'Vorlix_BrowserName.dat'] and
               not os.path.exists(link), 'uninstalled, the data files kept')
        expect(('Kelto_Vorlix' in wine('reg', 'query', keys + r'\Run')) == kept,
               f'the autostart value naming {registered} kept: {kept}')
    subprocess.run(['unzip', '-j', '-q', portable, '-d', tmp + '/any where'], check=True)
    expect(learns(tmp + '/any where'), 'the zip unpacked anywhere runs as a portable copy')


try:
    {'deb': deb, 'deb-desktop': deb_desktop, 'windows': windows}[sys.argv[1]](*sys.argv[2:])
finally:
    [(p.kill(), p.wait()) for p in reversed(procs)]
    subprocess.run(['wineserver', '-k']) if sys.argv[1] == 'windows' else None
    shutil.rmtree(tmp, ignore_errors=True)
sys.exit(f'FAILED: {failures}' if failures else 0)
