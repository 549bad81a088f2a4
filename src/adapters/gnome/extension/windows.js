// Vorlix's window list: the session's windows on the bus, and a close
// request. Shared by both forms of the extension, which supply Gio, GLib and
// Meta. Any program of the user's session may call this, so it lists and
// closes windows and does nothing else.
const BUS_NAME = 'org.vorlix.Windows1';
const OBJECT_PATH = '/org/vorlix/Windows1';
const INTERFACE = `<node>
  <interface name="org.vorlix.Windows1">
    <method name="List">
      <arg name="windows" type="a(tsbtb)" direction="out"/>
    </method>
    <method name="Close">
      <arg name="id" type="t" direction="in"/>
    </method>
    <signal name="Added">
      <arg name="id" type="t"/>
      <arg name="title" type="s"/>
      <arg name="x11" type="b"/>
      <arg name="xid" type="t"/>
      <arg name="minimized" type="b"/>
    </signal>
    <signal name="Removed">
      <arg name="id" type="t"/>
    </signal>
    <signal name="Retitled">
      <arg name="id" type="t"/>
      <arg name="title" type="s"/>
    </signal>
  </interface>
</node>`;

// The windows a user takes for windows: no menus, tooltips or docks.
const LISTED_TYPES = [Meta.WindowType.NORMAL, Meta.WindowType.DIALOG, Meta.WindowType.MODAL_DIALOG];

var WindowList = class WindowList {
    enable() {
        this._windows = new Map();  // id -> [window, its signal handlers]
        this._dbus = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
        this._dbus.export(Gio.DBus.session, OBJECT_PATH);
        for (const actor of global.get_window_actors()) this._track(actor.meta_window, false);
        this._created = global.display.connect('window-created', (_, w) => this._track(w, true));
        // Owned last: a caller that sees the name finds the list complete.
        this._owner = Gio.bus_own_name_on_connection(
            Gio.DBus.session, BUS_NAME, Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._owner);
        global.display.disconnect(this._created);
        for (const [window, handlers] of this._windows.values())
            for (const h of handlers) window.disconnect(h);
        this._windows = null;
        this._dbus.unexport();
        this._dbus = null;
    }

    // Topmost first.
    List() {
        const windows = [...this._windows.values()].map(([w]) => w);
        return global.display.sort_windows_by_stacking(windows).reverse().map(w => this._describe(w));
    }

    Close(id) {
        const entry = this._windows.get(id);
        // As the window's close button does; an X client that does not take
        // WM_DELETE_WINDOW would be killed, so Vorlix closes those itself.
        if (entry) entry[0].delete(global.display.get_current_time_roundtrip());
    }

    _track(window, announce) {
        if (!LISTED_TYPES.includes(window.get_window_type())) return;
        const id = window.get_id();
        if (this._windows.has(id)) return;
        const emit = (name, args) => this._dbus.emit_signal(name, new GLib.Variant(args[0], args[1]));
        this._windows.set(id, [window, [
            window.connect('notify::title', () =>
                emit('Retitled', ['(ts)', [id, window.get_title() ?? '']])),
            window.connect('unmanaged', () => {
                for (const h of this._windows.get(id)[1]) window.disconnect(h);
                this._windows.delete(id);
                emit('Removed', ['(t)', [id]]);
            }),
        ]]);
        if (announce) emit('Added', ['(tsbtb)', this._describe(window)]);
    }

    _describe(window) {
        const x11 = window.get_client_type() === Meta.WindowClientType.X11;
        // Mutter describes an X window by its id in hexadecimal.
        const xid = x11 ? parseInt(window.get_description(), 16) || 0 : 0;
        return [window.get_id(), window.get_title() ?? '', x11, xid, window.minimized];
    }
};
