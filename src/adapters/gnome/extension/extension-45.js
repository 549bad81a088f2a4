// The extension for GNOME Shell 45 and later, which load extensions as
// ES modules.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

/* windows.js */

export default class VorlixExtension extends Extension {
    enable() {
        this._list = new WindowList();
        this._list.enable();
    }

    disable() {
        this._list.disable();
        this._list = null;
    }
}
