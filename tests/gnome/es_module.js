// gjs -m es_module.js FORM_DIR SCRATCH: the extension's form for GNOME 45 and
// later loads as an ES module and gives the shell what it takes from one.
// The shell's own Extension class exists only inside the shell: a stand-in
// takes its place.
import GLib from 'gi://GLib';
import System from 'system';

const [form, scratch] = ARGV;
const read = name => new TextDecoder().decode(GLib.file_get_contents(`${form}/${name}`)[1]);
const write = (name, text) => GLib.file_set_contents(`${scratch}/${name}`, text);
write('base.js', 'export class Extension { constructor(metadata) { this.metadata = metadata; } }');
write('extension.js', read('extension.js').replace(
    'resource:///org/gnome/shell/extensions/extension.js', `file://${scratch}/base.js`));
const {default: VorlixExtension} = await import(`file://${scratch}/extension.js`);
const metadata = JSON.parse(read('metadata.json'));
const extension = new VorlixExtension(metadata);
const faults = [];
if (typeof extension.enable !== 'function' || typeof extension.disable !== 'function')
    faults.push('no enable() and disable()');
if (!metadata['shell-version'].includes('45') || metadata['shell-version'].includes('44'))
    faults.push(`shell-version ${metadata['shell-version']}`);
if (faults.length) {
    printerr(faults.join('\n'));
    System.exit(1);
}
