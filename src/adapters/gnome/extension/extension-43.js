// The extension for GNOME Shell 43 and 44, which load extensions as scripts.
'use strict';
const {Gio, GLib, Meta} = imports.gi;

/* windows.js */

function init() {
    return new WindowList();
}
