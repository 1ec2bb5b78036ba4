# SPDX-License-Identifier: GPL-3.0-or-later
# "Shred with Velmora" in GNOME Files (Nautilus 43 and later, nautilus-python
# 4.0). The selected local files and folders go to velmora as arguments of
# their own; velmora picks folder mode when every one is a folder, file mode
# otherwise, and lists them without shredding anything yet. Paths travel as
# bytes and without a shell, so spaces, quotes and bytes that are not UTF-8
# reach it exactly as they are on the disk.
import os
import subprocess

import gi

gi.require_version("Nautilus", "4.0")
from gi.repository import GLib, GObject, Nautilus  # noqa: E402

PROGRAM = "velmora"


def local_path(item):
    """The item's path as bytes, or None for what is not a local file."""
    if item.get_uri_scheme() != "file":
        return None
    path = item.get_location().get_path()
    if path is None:
        return None
    return os.fsencode(path)


def shred_argv(items):
    """velmora's argv for a selection, or None when something is not local."""
    paths = [local_path(item) for item in items]
    if not paths or None in paths:
        return None
    return [PROGRAM.encode()] + paths


def start(argv):
    process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, close_fds=True, start_new_session=True)
    # GLib collects its exit status, so no zombie stays beside Files.
    GLib.child_watch_add(GLib.PRIORITY_DEFAULT, process.pid, lambda *args: None)


class VelmoraMenu(GObject.GObject, Nautilus.MenuProvider):
    def get_file_items(self, files):
        argv = shred_argv(files)
        if argv is None:
            return []
        item = Nautilus.MenuItem(name="Velmora::Shred", label="Shred with Velmora",
                                 tip="Put the selected items on Velmora's shred list", icon="velmora")
        item.connect("activate", lambda *args: start(argv))
        return [item]

    def get_background_items(self, current_folder):
        return []
