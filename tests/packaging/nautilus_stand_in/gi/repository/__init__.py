# GLib, GObject and Nautilus as the extension sees them; a menu item keeps
# its properties and its "activate" handlers, activate() calls them.
import types

GLib = types.SimpleNamespace(PRIORITY_DEFAULT=0, child_watch_add=lambda priority, pid, callback: None)


class _Object:
    def __init__(self, **properties):
        self.props = types.SimpleNamespace(**properties)
        self.handlers = []

    def connect(self, signal, handler, *data):
        self.handlers.append((signal, handler, data))

    def activate(self):
        for signal, handler, data in self.handlers:
            if signal == "activate":
                handler(self, *data)


class _MenuProvider:
    pass


GObject = types.SimpleNamespace(GObject=_Object)
Nautilus = types.SimpleNamespace(MenuProvider=_MenuProvider, MenuItem=_Object)
