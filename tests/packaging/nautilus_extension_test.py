# SPDX-License-Identifier: GPL-3.0-or-later
# Loads the Nautilus extension against a stand-in of PyGObject (or, with
# --real, against the system's gi and Nautilus 4.0 typelib) and checks the
# menu it offers and the argv it starts velmora with, byte for byte.
#
#   nautilus_extension_test.py EXTENSION [--real]   (77: --real, no such module)
import importlib.util
import os
import subprocess
import sys

extension, real = sys.argv[1], "--real" in sys.argv
if real:
    try:
        import gi
        gi.require_version("Nautilus", "4.0")
    except (ImportError, ValueError) as error:
        print("skipped: no Nautilus 4.0 module here (%s)" % error)
        sys.exit(77)
else:
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "nautilus_stand_in"))


class Item:  # a Nautilus.FileInfo as the extension reads it
    def __init__(self, path, scheme="file"):
        self.path, self.scheme = path, scheme

    def get_uri_scheme(self):
        return self.scheme

    def get_location(self):
        decoded = os.fsdecode(self.path)  # PyGObject hands file names over so
        return type("Location", (), {"get_path": lambda _: decoded})()


started = []
subprocess.Popen = lambda argv, **kwargs: started.append((argv, kwargs)) or type("P", (), {"pid": 1})()
found = importlib.util.spec_from_file_location("velmora_nautilus", extension)
module = importlib.util.module_from_spec(found)
found.loader.exec_module(module)
if not real:
    import gi
    assert gi.required == {"Nautilus": "4.0"}, gi.required
watched = []  # the child's exit is collected, so no zombie stays
module.GLib = type("GLib", (), {"PRIORITY_DEFAULT": 0, "child_watch_add": lambda *a: watched.append(a[1])})

odd = b"/tmp/it's a \"file\" \xff\xfe name"
CASES = [  # selection, argv velmora gets (None: no menu item)
    ([odd], [b"velmora", odd]),
    ([b"/home/u/one folder", b"/home/u/two"], [b"velmora", b"/home/u/one folder", b"/home/u/two"]),
    ([b"/home/u/a.txt", b"/home/u/folder"], [b"velmora", b"/home/u/a.txt", b"/home/u/folder"]),
    ([b"/home/u/a.txt", (b"/share/b.txt", "sftp")], None),
    ([], None),
]
for selection, expected in CASES:
    started.clear()
    items = [Item(*s) if isinstance(s, tuple) else Item(s) for s in selection]
    menu = module.VelmoraMenu().get_file_items(items)
    if expected is None:
        assert menu == [], (selection, menu)
        continue
    assert len(menu) == 1 and menu[0].props.label == "Shred with Velmora", menu
    assert started == [], "nothing starts before the item is chosen"
    menu[0].activate()
    assert len(started) == 1, started
    argv, kwargs = started[0]
    assert argv == expected, (argv, expected)
    assert not kwargs.get("shell"), kwargs
    assert watched[-1] == 1, watched
assert module.VelmoraMenu().get_background_items(None) == []
print("Nautilus extension: %d selections checked%s" % (len(CASES), " with the real Nautilus module" if real else ""))
