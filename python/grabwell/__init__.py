"""Grabwell's document API for Python: the icons, cursors, bitmaps and
animated cursors in .ico, .cur, .bmp and .ani files, 32-bit (PE) and 16-bit
(NE) executables and libraries, .icl libraries and compiled resource files.

    import grabwell

    doc = grabwell.open("library.dll")   # OSError when it cannot be read
    print(doc.kind, doc.counts)
    for group in doc.icon_groups:
        for image in group.images:
            print(group.name, image.width, image.height, image.bit_count)
    png = doc.icon_groups[0].images[0].to_png()
    info = doc.to_dict()                 # what `grabwell-cli info --json` prints

    with grabwell.from_bytes(data, "app.ico") as doc:   # a file already in memory
        ...                              # closed when the block ends

A damaged file never raises: it gives what could be read, and doc.errors says
what is damaged and at which byte. A picture that does not decode raises
DecodeError (a ValueError) from rgba() and to_png().

set_icon, set_cursor and set_version change a program's icon, cursor or
version information, written to output= or in place (in_place=True), never
otherwise. When they raise, nothing was written: WriteError (a ValueError)
for a refused change, OSError (FileNotFoundError, PermissionError ...) for a
file the system cannot read or write.

read_shortcut tells what a Windows shortcut (.lnk) starts and the icon it
shows, its paths found in the Wine prefix it lies in; icon_location gives the
icon group a Windows icon location ("FILE,INDEX") names.

Reading, decoding and encoding release the interpreter lock, and a Document
may be shared by threads.
"""

from ._grabwell import (
    Animation,
    Bitmap,
    DecodeError,
    Document,
    Group,
    Image,
    ReadError,
    WriteError,
    __version__,
    best_icon,
    from_bytes,
    icon_hash,
    icon_location,
    open,
    read_shortcut,
    set_cursor,
    set_icon,
    set_version,
)

__all__ = [
    "Animation",
    "Bitmap",
    "DecodeError",
    "Document",
    "Group",
    "Image",
    "ReadError",
    "WriteError",
    "best_icon",
    "from_bytes",
    "icon_hash",
    "icon_location",
    "open",
    "read_shortcut",
    "set_cursor",
    "set_icon",
    "set_version",
]
