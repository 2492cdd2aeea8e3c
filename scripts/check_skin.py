#!/usr/bin/env python3
"""Static checks of the skin folder.

Usage: check_skin.py [SKIN_DIR]   (default: resources/skin beside this script's parent)

Reports one line per problem and exits 1 when there is any:
  - every .xml and .svg file is well-formed (SVGs also need a viewBox: image
    descriptions address SVGs in viewBox units);
  - res.xml entries and <Include source> files exist;
  - every image a layout names (bkimage, normalimage, hotimage, ..., icon, and
    file='...' / res='...' inside descriptions, also inside <Default> values) exists;
  - every key a layout shows in resource-text mode is in every language file;
  - all language files have the same keys, no duplicate or empty entries, and
    the same printf placeholders per key;
  - the controls, resources and text keys the program looks up by name exist;
  - the device pages, selector entries and power indicator agree with the
    product table (skin_device_checks.py).
"""

import json
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

sys.dont_write_bytecode = True  # run from the tests: leave no cache in the source tree
from skin_device_checks import DeviceChecks  # noqa: E402

# What the program finds by name; a skin without them breaks the program.
REQUIRED_RESOURCES = ("XML_MAIN", "XML_MSG", "XML_SETWND", "XML_SKINFRAME")
REQUIRED_CONTROLS = {
    "XML/main.xml": (
        "root", "closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "setbtn",
        "gamemodebtn", "cloudbtn", "smarteyesbtn", "control_light_status",
        "setting_progress", "device_select_layout", "device_switch",
        "device_power_switch", "No_device_Link", "nodevice_ok_btn", "str_test"),
    "XML/msgwnd.xml": ("MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn"),
    "XML/setwnd.xml": ("closebtn", "laterbtn", "Language_combox_info", "device_launch_app"),
    "XML/skin.xml": ("skin_tab", "skin_image", "skin_color", "skin_image_btn", "skin_color_btn",
                     "skin_reset", "skin_Custom"),
    "XML/CustomControlXML/ComboEditElementItem.xml": ("text1", "text2", "delay_edit"),
    "XML/CustomControlXML/DeviceProfile.xml": (
        "device_profile_combo", "device_profile_name_edit", "profile_menu_layout",
        "deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab",
        "6533_voice_Op_tab", "magic_Op_tab"),
    "menu.xml": ("exit",),
    "XML/CustomControlXML/MacroControl.xml": (
        "MacroControlItem", "macro_name_list", "macro_action_list", "macro_action_layout", "macro_edit_macroname",
        "macro_name_tab", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit", "macro_btn_starredio",
        "macro_btn_stopredio", "macro_check_time", "macro_fixed_time_edit", "mouse_x_left_edit",
        "mouse_x_right_edit", "mouse_y_up_edit", "mouse_y_down_edit"),
    "XML/Menus/macro_action_menu.xml": (
        "redio_previous_record_time", "redio_previous_constant_time", "redio_previous_ignore_time",
        "redio_later_record_time", "redio_later_constant_time", "redio_later_ignore_time", "macro_action_edit",
        "left_click", "back_click"),
}
# Keys the program passes to controls or to the message box itself.
REQUIRED_KEYS = (
    "set_autostart_failed", "set_autostart_remove_failed", "skin_custom_bad", "skin_custom_not_saved",
    "控制灯光", "不控制灯光",
    "message_text_4", "message_text_5", "message_text_6", "message_text_7",
    "message_text_9", "message_text_16", "message_text_22",
    "message_text_profile_reset", "message_text_import_invalid", "message_text_profile_file",
    "device_tab_buttons", "device_tab_performance",
    "message_text_profile_damaged", "message_text_profile_not_saved", "message_text_device_not_written", "kb_game_mode_on", "kb_game_mode_off",
    "tray_notice_title", "tray_notice_text", "footer_text", "footer_text_notray",
    "light_set_left_to_right_text", "light_set_right_to_left_text", "light_set_inside_to_outside_text",
    "light_set_outside_to_inside_text", "light_set_anti_clock_text", "light_set_clockwise_text",
    "light_set_up_to_down_text", "light_set_down_to_up_text",
    "macro_action_down", "macro_action_up", "macro_move_left", "macro_move_right", "macro_move_up",
    "macro_move_down", "macro_text_limit", "macro_text_file_error", "macro_text_no_capture",
    "ks_mouse_left", "ks_mouse_middle", "ks_mouse_right", "ks_mouse_forward", "ks_mouse_back",
    "mouse_move_to_left_text", "mouse_move_to_right_text", "mouse_move_to_up_text", "mouse_move_to_down_text",
    "shoot_text_damaged", "shoot_text_bad_value", "shoot_text_not_written", "shoot_text_import_invalid",
    "shoot_text_no_factory", "shoot_text_reset_ask",
)

# Image-valued attributes that do not end in "image".
EXTRA_IMAGE_ATTRIBUTES = {"icon"}
TRUE_WORDS = {"true", "1", "yes"}
PLACEHOLDER = re.compile(r"%(?:%|[-+ #0]*\d*(?:\.\d+)?(?:l{0,2}|h{0,2})[diouxXfFeEgGcsSp])")
DESCRIPTION_PAIR = re.compile(r"(\w+)\s*=\s*(?:'([^']*)'|\"([^\"]*)\")")


class Checker:
    def __init__(self, skin: Path):
        self.skin = skin
        self.problems = []
        self.resources = {}
        self.shared_defaults = {}

    def report(self, path, message):
        where = path.relative_to(self.skin) if isinstance(path, Path) and path.is_relative_to(self.skin) else path
        self.problems.append(f"{where}: {message}")

    # ------------------------------------------------------------ files

    def parse(self, path):
        try:
            return ET.parse(path).getroot()
        except (ET.ParseError, OSError) as error:
            self.report(path, f"not well-formed XML: {error}")
            return None

    def resolve(self, value):
        """A file named in the skin: backslashes read as slashes, relative to the skin folder."""
        value = value.strip().replace("\\", "/")
        path = Path(value)
        return path if path.is_absolute() else self.skin / path

    def require_file(self, owner, value, what):
        if not self.resolve(value).is_file():
            self.report(owner, f"{what} '{value}' does not exist")

    # ------------------------------------------------------------ images

    @staticmethod
    def image_files(value):
        """File names in an image attribute: a plain name or a key='value' description."""
        text = value.strip()
        if not text:
            return []
        if "='" not in text and '="' not in text:
            return [text]
        pairs = {key.lower(): single or double for key, single, double in DESCRIPTION_PAIR.findall(text)}
        name = pairs.get("file") or pairs.get("res") or ""
        return [name] if name.strip() else []

    @staticmethod
    def is_image_attribute(name):
        name = name.lower()
        return name.endswith("image") or name in EXTRA_IMAGE_ATTRIBUTES

    def check_images(self, owner, attributes, context):
        for name, value in attributes.items():
            if self.is_image_attribute(name):
                for file in self.image_files(value):
                    self.require_file(owner, file, f"{context} {name}")

    # ------------------------------------------------------------ layouts

    @staticmethod
    def default_attributes(element):
        return {key: single or double
                for key, single, double in DESCRIPTION_PAIR.findall(element.get("value", ""))}

    def collect_shared_defaults(self, layouts):
        for path, root in layouts:
            for element in root:
                if element.tag.lower() == "default" and element.get("shared", "").lower() in TRUE_WORDS:
                    tag = element.get("name", "").lower()
                    self.shared_defaults.setdefault(tag, {}).update(self.default_attributes(element))

    def check_layout(self, path, root, keys_used):
        local_defaults = {}
        names = set()
        for element in root.iter():
            tag = element.tag.lower()
            if tag == "default":
                attributes = self.default_attributes(element)
                self.check_images(path, attributes, f"<Default name=\"{element.get('name', '')}\">")
                if element.get("shared", "").lower() not in TRUE_WORDS:
                    local_defaults.setdefault(element.get("name", "").lower(), {}).update(attributes)
                continue
            if tag == "include":
                source = element.get("source", "")
                target = self.resources.get(source, source)
                self.require_file(path, target, "<Include> source")
                continue
            if element.get("name"):
                names.add(element.get("name"))
            self.check_images(path, element.attrib, f"<{element.tag}>")
            effective = dict(self.shared_defaults.get(tag, {}))
            effective.update(local_defaults.get(tag, {}))
            effective.update(element.attrib)
            if effective.get("resourcetext", "").lower() in TRUE_WORDS:
                for attribute in ("text", "tooltip"):
                    key = effective.get(attribute, "")
                    if key:
                        keys_used.setdefault(key, path)
        return names

    # ------------------------------------------------------------ languages

    def read_language(self, path):
        root = self.parse(path)
        if root is None:
            return None
        texts = {}
        for element in root:
            if element.tag.lower() != "text":
                continue
            key = element.get("id", "")
            if not key:
                self.report(path, "<Text> without id")
            elif key in texts:
                self.report(path, f"key '{key}' appears twice")
            elif not element.get("value", "").strip():
                self.report(path, f"key '{key}' has an empty value")
            texts.setdefault(key, element.get("value", ""))
        return texts

    def compare_languages(self, languages):
        all_keys = set().union(*(texts.keys() for texts in languages.values()))
        for path, texts in languages.items():
            for key in sorted(all_keys - texts.keys()):
                self.report(path, f"key '{key}' is missing (another language file has it)")
        for key in sorted(all_keys):
            forms = {path: sorted(PLACEHOLDER.findall(texts[key]))
                     for path, texts in languages.items() if key in texts}
            if len({tuple(f) for f in forms.values()}) > 1:
                detail = ", ".join(f"{p.name} {f or 'none'}" for p, f in forms.items())
                self.report("language files", f"key '{key}' has different placeholders: {detail}")

    def check_language_list(self, language_paths):
        """The settings window lists Language.config: each entry's file is in
        the skin, and each language file of the skin is offered."""
        config = self.skin.parent / "DefaultData" / "Language.config"
        if not config.is_file():
            return  # a skin checked on its own, away from the program's data
        try:
            entries = json.loads(config.read_text(encoding="utf-8"))["Language"]
            listed = [entry["Language_file"] for entry in entries]
        except (ValueError, KeyError, TypeError) as error:
            self.report(config, f"unreadable language list: {error}")
            return
        for name in listed:
            if not (self.skin / name).is_file():
                self.report(config, f"lists '{name}', which is not in the skin")
        for path in language_paths:
            if path.name not in listed:
                self.report(path, "is not offered in Language.config")

    # ------------------------------------------------------------ run

    def run(self):
        if not self.skin.is_dir():
            self.report(self.skin, "skin folder does not exist")
            return self.problems

        index_path = self.skin / "res.xml"
        index = self.parse(index_path) if index_path.is_file() else None
        if not index_path.is_file():
            self.report(index_path, "missing")
        if index is not None:
            for entry in index.iter("Xml"):
                name, value = entry.get("name", ""), entry.get("value", "")
                if not name or not value:
                    self.report(index_path, "entry without name or value")
                    continue
                self.resources[name] = value
                self.require_file(index_path, value, f"resource {name}")
            for name in REQUIRED_RESOURCES:
                if name not in self.resources:
                    self.report(index_path, f"resource {name} is missing")

        language_paths = sorted(self.skin.glob("lan_*.xml"))
        if not language_paths:
            self.report(self.skin, "no language files (lan_*.xml)")
        layouts = []
        for path in sorted(self.skin.rglob("*.xml")):
            if path == index_path or path in language_paths:
                continue
            root = self.parse(path)
            if root is not None:
                layouts.append((path, root))
        for path in sorted(self.skin.rglob("*.svg")):
            root = self.parse(path)
            if root is not None and root.get("viewBox") is None:
                self.report(path, "SVG has no viewBox")

        self.collect_shared_defaults(layouts)
        keys_used = {}
        names_by_file = {}
        for path, root in layouts:
            names_by_file[path.relative_to(self.skin).as_posix()] = self.check_layout(path, root, keys_used)
        for file, required in REQUIRED_CONTROLS.items():
            present = names_by_file.get(file)
            if present is None:
                self.report(self.skin / file, "layout is missing or unreadable")
                continue
            for name in required:
                if name not in present:
                    self.report(self.skin / file, f"control '{name}' is missing")

        DeviceChecks(self).run(layouts)

        self.check_language_list(language_paths)
        languages = {path: texts for path in language_paths
                     if (texts := self.read_language(path)) is not None}
        if languages:
            self.compare_languages(languages)
            for key, owner in sorted(keys_used.items()):
                for path, texts in languages.items():
                    if key not in texts:
                        self.report(owner, f"text key '{key}' is not in {path.name}")
            for key in REQUIRED_KEYS:
                for path, texts in languages.items():
                    if key not in texts:
                        self.report(path, f"key '{key}' used by the program is missing")
        return self.problems


def main(argv):
    if len(argv) > 2:
        print("usage: check_skin.py [SKIN_DIR]", file=sys.stderr)
        return 2
    skin = Path(argv[1]) if len(argv) == 2 else Path(__file__).resolve().parent.parent / "resources" / "skin"
    problems = Checker(skin.resolve()).run()
    for line in problems:
        print(line)
    if not problems:
        print(f"skin OK: {skin}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
