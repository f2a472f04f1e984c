"""The window: borderless 320x240, centred on the desktop, empty title, on two screen sizes; the
second is the second screen of a display, named in DISPLAY, beside a smaller first screen. The
game's icon, and the class by which docks match the window to the desktop entry."""

import os
import re
import sys

from xsession import XSession, exit_status, fail

CAVE = sys.argv[1]
DESKTOP_ENTRY = os.path.join(os.path.dirname(__file__), "..", "..", "packaging", "cave.desktop")


def check_identity(x, window):
    """_NET_WM_ICON: width, height, then 0xAARRGGBB rows; a red ball amid see-through corners."""
    shown = x.run(["xprop", "-id", window, "-notype", "-f", "_NET_WM_ICON", "32x", " = $0+",
                   "_NET_WM_ICON"]).stdout
    words = [int(word, 16) for word in shown.partition("=")[2].split(",") if word.strip()]
    if len(words) < 2 or len(words) != 2 + words[0] * words[1]:
        fail(f"no window icon: {shown[:80]!r}")
    size, pixels = words[0], words[2:]
    centre = pixels[size // 2 * size + size // 2]
    if centre >> 24 != 255 or (centre >> 16) & 255 < 150 or centre & 0xFFFF > 0x4040:
        fail(f"the icon's centre is {centre:#010x}, not the opaque red ball")
    if pixels[0] >> 24 != 0:
        fail(f"the icon's corner is {pixels[0]:#010x}, not see-through")
    wm_class = re.findall(r'"([^"]*)"', x.property(window, "WM_CLASS"))
    entry = re.search(r"^StartupWMClass=(.*)$", open(DESKTOP_ENTRY).read(), re.M)
    named = entry.group(1) if entry else None
    if wm_class[-1:] != [named]:
        fail(f"window class {wm_class} does not match the desktop entry's StartupWMClass {named}")
    return f"{size}x{size} icon, class {wm_class[-1]}"


def session(desktop, screen):
    if screen == 0:
        return XSession(*desktop)
    x = XSession(800, 600, more_screens=[f"{desktop[0]}x{desktop[1]}x24"])
    x.env["DISPLAY"] = f"{x.display}.{screen}"
    return x


for desktop, corner, screen in [((1024, 768), (352, 264), 0), ((1366, 768), (523, 264), 1)]:
    with session(desktop, screen) as x:
        # SDL sets the Motif decoration hints only where a window manager has made their atom;
        # make it as one would, so that the hints can be read back.
        x.run(["xprop", "-root", "-f", "_MOTIF_WM_HINTS", "32c", "-set", "_MOTIF_WM_HINTS",
               "0"])
        cave = x.start([CAVE])
        window = x.window_of(cave)
        geometry = x.geometry(window)
        expected = {"x": corner[0], "y": corner[1], "width": 320, "height": 240, "border": 0}
        if geometry != expected:
            fail(f"on {desktop}: window {geometry}, expected {expected}")
        # SDL asks window managers for no decorations through the Motif hints: flags 2, none.
        hints = x.property(window, "_MOTIF_WM_HINTS")
        if "0x2, 0x0, 0x0" not in hints:
            fail(f"on {desktop}: window asks for decorations: {hints}")
        title = x.property(window, "WM_NAME")
        if title.partition("=")[2].strip() not in ("", '""'):
            fail(f"on {desktop}: title is not empty: {title}")
        first_screen = x.run(["xwininfo", "-display", f"{x.display}.0", "-root", "-children"])
        if screen != 0 and "0 children" not in first_screen.stdout:
            fail(f"on screen {screen}: the first screen shows a window too")
        identity = check_identity(x, window)
        x.focus(window)
        x.tap("Escape")
        exit_status(cave, 10, "Escape")
    print(f"window on {desktop}, screen {screen}: {expected}, undecorated, empty title, "
          f"{identity}")
