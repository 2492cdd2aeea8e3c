"""Checks of the device pages, selector entries and power indicator of the skin.

Used by check_skin.py. The product table (device/product_table.h) says which
layouts the program builds and how many keys and LEDs each page binds; the
layouts must agree with it:
  - every page, entry and power layout the program builds exists and has the
    root tag and the controls the program looks up by name;
  - the key and LED controls ("DeviceKeyButton") sit directly in a "SelectPanel"
    inside the container the page binds, and that panel is the page's first;
  - key_N and user data light_N are numbered without gaps or repeats, below the
    product table's counts (keys the keyboard picture leaves out are listed here);
  - option groups, which are exclusive across the whole window, are not shared
    between layout files (two pages would otherwise switch each other's options);
  - the pictures the program's sources name exist.
"""

import re
from pathlib import Path

SOURCE_ROOT = Path(__file__).resolve().parent.parent
PRODUCT_TABLE = SOURCE_ROOT / "device" / "product_table.h"
# Sources that name skin pictures the program shows ("file='...'").
PICTURE_SOURCES = (SOURCE_ROOT / "device" / "power_status.cpp",)
PICTURE = re.compile(r"file='([^']+)'")
POWER_LAYOUT = "XML/CustomControlXML/MpDevicePower.xml"
POWER_CONTROLS = ("device_power_value", "device_wuxian_logo", "device_Power_progress",
                  "device_power_status", "device_phone_type")
ENTRY_CONTROLS = ("device_select", "synchro_device_select", "device_select_name", "device_icon")
PAGE_CONTROLS = ("device_function_switch", "device_key_function_switch", "text_test")
BASE_PAGE_TAG = "OrvaneUSBDevice"
MAX_INCLUDE_DEPTH = 16

# Keys of the keyboard's code table that are not on the board: empty codes and
# the ISO and JIS extras. Their numbers have no button on the keyboard pages.
KEYBOARD_ABSENT_KEYS = frozenset({18, 19, 20, 62, 79, 80, 81, 82, 83, 100, 101, 102, 103, 104})


def _numbered(prefix, count):
    return tuple(f"{prefix}{i}" for i in range(count))


KEYBOARD_CONTROLS = (
    _numbered("polling_rate_option_", 4) + _numbered("repeat_rate_check_", 4)
    + _numbered("repeat_delay_check_", 4)
    + ("repeat_rate_slider", "repeat_delay_time_label1", "repeat_input_richedit",
       "winlockflag_option", "wflag_option", "6flag_option"))
MOUSE_CONTROLS = (
    _numbered("DPI_layout_", 5) + _numbered("DPI_enable_check_", 5) + _numbered("DPI_slider_", 5)
    + _numbered("DPI_edit_", 5) + _numbered("DPI_rank_check_", 5) + _numbered("polling_rate_option_", 5)
    + _numbered("Height_rate_option_", 2) + _numbered("mouse_device_seting_option_", 2)
    + ("height_click_slider", "pointer_speed_slider", "pointer_precision_check", "scroll_speed_slider",
       "scrolls_page_check", "double_click_slider", "mouse_device_seting_layout", "mouse_option_layout",
       "device_setkeyinfo_list", "device_tishi_info"))

# Per kind of the product table: the page's tag, the container whose panels
# the page binds, whether key N is also LED N, and the page's own controls.
KINDS = {
    "Keyboard": ("OrvaneKeyboardDevice", "keyboard_device_key_light", True, KEYBOARD_ABSENT_KEYS, KEYBOARD_CONTROLS),
    "Mouse": ("OrvaneMouseDevice", "mouse_device_seting_layout", False, frozenset(), MOUSE_CONTROLS),
    "MousePad": ("OrvaneMousePadDevice", "mousepad_device_key_light", True, frozenset(), ()),
    "Headset": ("OrvaneHS6533Device", "hs6533_device_key_light", True, frozenset(), ()),
}

ROW = re.compile(r'\{\s*"([^"]+)"\s*,\s*"([^"]+)"\s*,\s*0x[0-9A-Fa-f]+\s*,\s*0x[0-9A-Fa-f]+\s*,\s*kind::(\w+)\s*,'
                 r'\s*\d+\s*,\s*\d+\s*,\s*"([^"]+)"\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*\d+\s*\}')
NUMBERED = re.compile(r"^(key|light)_(\d+)$", re.IGNORECASE)


def read_product_table(path=PRODUCT_TABLE):
    """(entry layout, kind, page layout, key count, LED count) per row; paths with slashes."""
    text = path.read_text(encoding="utf-8")
    # The C++ literals spell each backslash twice.
    return [(entry.replace("\\\\", "/"), kind, page.replace("\\\\", "/"), int(keys), int(leds))
            for entry, _name, kind, page, keys, leds in ROW.findall(text)]


class DeviceChecks:
    def __init__(self, checker):
        self.checker = checker

    def report(self, where, message):
        self.checker.report(where, message)

    # ------------------------------------------------------------ trees

    def load(self, relative):
        path = self.checker.resolve(relative)
        if not path.is_file():
            self.report(path, "layout the program builds does not exist")
            return None
        root = self.checker.parse(path)
        return None if root is None else self.expand(root, 0)

    def expand(self, element, depth):
        """The element with every <Include> replaced by the root of the file it names."""
        copy = element.makeelement(element.tag, dict(element.attrib))
        for child in element:
            if child.tag.lower() != "include":
                copy.append(self.expand(child, depth))
                continue
            source = child.get("source", "")
            target = self.checker.resolve(self.checker.resources.get(source, source))
            included = self.checker.parse(target) if target.is_file() and depth < MAX_INCLUDE_DEPTH else None
            if included is not None:
                for _ in range(max(1, int(child.get("count", "1") or 1))):
                    copy.append(self.expand(included, depth + 1))
        return copy

    @staticmethod
    def named(root, name):
        return next((e for e in root.iter() if e.get("name") == name), None)

    def require_controls(self, where, root, names):
        present = {e.get("name") for e in root.iter()}
        for name in names:
            if name not in present:
                self.report(where, f"control '{name}' is missing")

    # ------------------------------------------------------------ pages

    def check_page(self, where, root, kind, key_count, led_count):
        tag, panel_name, paired, absent, controls = KINDS[kind]
        if root.tag not in (tag, BASE_PAGE_TAG):
            self.report(where, f"root is <{root.tag}>, expected <{tag}> (or <{BASE_PAGE_TAG}>)")
        self.require_controls(where, root, PAGE_CONTROLS + controls)
        panel = self.named(root, panel_name)
        if panel is None:
            self.report(where, f"container '{panel_name}' with the key and LED controls is missing")
            return
        panels = [panel] if panel.tag.lower() == "selectpanel" else \
            [e for e in panel.iter() if e.tag.lower() == "selectpanel"]
        first = next((e for e in root.iter() if e.tag.lower() == "selectpanel"), None)
        if not panels or first is not panels[0]:
            self.report(where, f"the page's first SelectPanel is not in '{panel_name}'")
        self.check_placement(where, root)
        buttons = [b for p in panels for b in p if b.tag.lower() == "devicekeybutton"]
        self.check_numbers(where, buttons, paired, set(range(key_count)) - absent,
                           set() if paired else set(range(led_count)))

    def check_placement(self, where, root):
        parents = {child: parent for parent in root.iter() for child in parent}
        for element in root.iter():
            if element.tag.lower() == "devicekeybutton" and parents[element].tag.lower() != "selectpanel":
                self.report(where, f"'{element.get('name', '')}' is not a direct child of a SelectPanel "
                                   "and is never bound")

    def check_numbers(self, where, buttons, paired, expected_keys, expected_leds):
        keys, leds = {}, {}
        for button in buttons:
            name, user = button.get("name", ""), button.get("userdata", "")
            named, lit = NUMBERED.match(name), NUMBERED.match(user)
            if lit and lit.group(1).lower() == "light":
                self.count(where, leds, int(lit.group(2)), "LED", user)
            elif user:
                self.report(where, f"'{name}' has user data '{user}', not light_N")
            if not named:
                self.report(where, f"key or LED control named '{name}', not key_N or light_N")
            elif named.group(1).lower() == "key":
                self.count(where, keys, int(named.group(2)), "key", name)
                if paired and user.lower() != f"light_{named.group(2)}":
                    self.report(where, f"'{name}' must have user data 'light_{named.group(2)}'")
                if not paired and lit:
                    self.report(where, f"'{name}' is a button and must not be an LED too")
            elif not lit or int(lit.group(2)) != int(named.group(2)):
                self.report(where, f"'{name}' must have user data '{name}'")
        if not paired:
            self.compare(where, "LED", set(leds), expected_leds)
        self.compare(where, "key", set(keys), expected_keys)

    def count(self, where, seen, number, what, text):
        if number in seen:
            self.report(where, f"{what} {number} appears twice ('{seen[number]}' and '{text}')")
        seen[number] = text

    def compare(self, where, what, found, expected):
        for number in sorted(expected - found):
            self.report(where, f"{what} {number} has no control")
        for number in sorted(found - expected):
            self.report(where, f"{what} {number} is not one the product table's page binds")

    # ------------------------------------------------------------ run

    def run(self, layouts):
        try:
            rows = read_product_table()
        except OSError as error:
            self.report(PRODUCT_TABLE, f"cannot read the product table: {error}")
            return
        if not rows:
            self.report(PRODUCT_TABLE, "no product rows found")
        for entry, kind, page, key_count, led_count in rows:
            if kind not in KINDS:
                self.report(PRODUCT_TABLE, f"kind '{kind}' has no page rules in {Path(__file__).name}")
                continue
            root = self.load(page)
            if root is not None:
                self.check_page(self.checker.resolve(page), root, kind, key_count, led_count)
            root = self.load(entry)
            if root is not None:
                self.check_root(entry, root, "DeviceOption", ENTRY_CONTROLS)
        root = self.load(POWER_LAYOUT)
        if root is not None:
            self.check_root(POWER_LAYOUT, root, "MpDevicePower", POWER_CONTROLS)
        self.check_groups(layouts)
        self.check_program_pictures()

    def check_program_pictures(self):
        for source in PICTURE_SOURCES:
            try:
                text = source.read_text(encoding="utf-8")
            except OSError as error:
                self.report(source, f"cannot read: {error}")
                continue
            for picture in sorted(set(PICTURE.findall(text))):
                if not self.checker.resolve(picture).is_file():
                    self.report(source.name, f"picture '{picture}' it names is not in the skin")

    def check_root(self, relative, root, tag, controls):
        where = self.checker.resolve(relative)
        if root.tag != tag:
            self.report(where, f"root is <{root.tag}>, expected <{tag}>")
        self.require_controls(where, root, controls)

    def check_groups(self, layouts):
        owners = {}
        for path, root in layouts:
            for element in root.iter():
                group = element.get("group")
                if group and element.tag.lower() != "menuelement":
                    owners.setdefault(group, set()).add(path)
        for group, paths in sorted(owners.items()):
            if len(paths) > 1:
                names = ", ".join(sorted(str(p.relative_to(self.checker.skin)) for p in paths))
                self.report("layouts", f"option group '{group}' is used by several files ({names})")
