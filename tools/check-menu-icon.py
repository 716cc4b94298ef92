#!/usr/bin/python3
"""Checks that GTK's icon theme finds an icon that desktop-entry wrote, by name
at 48 pixels, as a menu would look it up:
    tools/check-menu-icon.py DATA_DIR ICON_NAME
DATA_DIR is the share folder written into (PREFIX/share, or ~/.local/share).
Needs Debian's python3-gi and gir1.2-gtk-3.0. Prints the file found and its
size; exits 1 when the icon is not found."""
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

theme = Gtk.IconTheme()
# The user's icons first, then the system's, where hicolor's index lives.
theme.set_search_path([sys.argv[1] + "/icons", "/usr/share/icons"])
theme.set_custom_theme("hicolor")
info = theme.lookup_icon(sys.argv[2], 48, 0)
if not info:
    print("not found:", sys.argv[2])
    sys.exit(1)
print(info.get_filename(), info.get_base_size())
