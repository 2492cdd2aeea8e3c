#!/usr/bin/env python3
"""Tests of skin_device_checks.py: each case breaks a copy of the real skin in
one way and expects the check to name the fault (and the unbroken copy to pass)."""

import shutil
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # leave no cache in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from check_skin import Checker  # noqa: E402
from skin_device_checks import KEYBOARD_ABSENT_KEYS, read_product_table  # noqa: E402

SKIN = Path(__file__).resolve().parent.parent / "resources" / "skin"
KEYS = "XML/DeviceXml/keyboard_keys.xml"
MOUSE = "XML/DeviceXml/mousedevice1.xml"
PAD = "XML/DeviceXml/mousepaddevice.xml"
KEYBOARD2 = "XML/DeviceXml/keyboarddevice1.xml"
ENTRY = "common/device_ico/7351/DeviceOption.xml"
POWER = "XML/CustomControlXML/MpDevicePower.xml"


class DeviceChecksTest(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="skin-check-"))
        self.copies = 0
        self.fresh_copy()

    def tearDown(self):
        shutil.rmtree(self.dir)

    def fresh_copy(self):
        self.copies += 1
        self.skin = self.dir / f"skin{self.copies}"
        shutil.copytree(SKIN, self.skin)

    def edit(self, relative, old, new):
        path = self.skin / relative
        text = path.read_text(encoding="utf-8")
        self.assertIn(old, text, f"test set-up: '{old}' not in {relative}")
        path.write_text(text.replace(old, new), encoding="utf-8")

    def problems(self):
        return Checker(self.skin.resolve()).run()

    def assertReported(self, *fragments):
        problems = self.problems()
        for fragment in fragments:
            self.assertTrue(any(fragment in p for p in problems), f"'{fragment}' not in {problems}")

    def test_real_skin_passes(self):
        self.assertEqual(self.problems(), [])

    def test_product_table_is_read(self):
        rows = read_product_table()
        self.assertEqual(len(rows), 5)
        self.assertIn(("common/device_ico/7340/DeviceOption.xml", "Keyboard",
                       "XML/DeviceXml/keyboarddevice.xml", 126, 126), rows)

    def test_faults_in_key_numbering(self):
        cases = [
            # (file, text, replacement, expected fragments)
            (KEYS, 'name="key_5" userdata="light_5"', 'name="key_7" userdata="light_7"',
             ["key 5 has no control", "key 7 appears twice", "LED 7 appears twice"]),
            (KEYS, 'name="key_10" userdata="light_10"', 'name="key_10" userdata="light_11"',
             ["'key_10' must have user data 'light_10'"]),
            (KEYS, 'name="key_0" userdata="light_0"', 'name="key_18" userdata="light_18"',
             ["key 0 has no control", "key 18 is not one the product table's page binds"]),
            (PAD, 'name="key_14" userdata="light_14"', 'name="key_15" userdata="light_15"',
             ["key 14 has no control", "key 15 is not one"]),
            (MOUSE, 'name="light_3" userdata="light_3"', 'name="light_3"',
             ["'light_3' must have user data 'light_3'", "LED 3 has no control"]),
            (MOUSE, 'name="key_2"', 'name="key_2" userdata="light_2"',
             ["'key_2' is a button and must not be an LED too", "LED 2 appears twice"]),
            (MOUSE, 'name="key_4"', 'name="wheel_4"', ["named 'wheel_4'", "key 4 has no control"]),
        ]
        for relative, old, new, fragments in cases:
            with self.subTest(new=new):
                self.fresh_copy()
                self.edit(relative, old, new)
                self.assertReported(*fragments)

    def test_faults_in_structure(self):
        cases = [
            (KEYBOARD2, 'group="kb1_polling_rate"', 'group="kb_polling_rate"',
             ["option group 'kb_polling_rate' is used by several files"]),
            (PAD, "OrvaneMousePadDevice", "OrvaneMouseDevice", ["expected <OrvaneMousePadDevice>"]),
            (PAD, 'name="mousepad_device_key_light"', 'name="pad_keys"', ["'mousepad_device_key_light'"]),
            (MOUSE, '<Label name="text_test"', '<Label name="text_probe"', ["control 'text_test' is missing"]),
            (PAD, '<DeviceProfileUI/>', '<DeviceProfileUI/><SelectPanel/>',
             ["the page's first SelectPanel is not in 'mousepad_device_key_light'"]),
            (ENTRY, 'name="device_icon"', 'name="device_picture"', ["control 'device_icon' is missing"]),
            (POWER, 'name="device_Power_progress"', 'name="device_power_progress"',
             ["control 'device_Power_progress' is missing"]),
            (KEYBOARD2, '<Include source="XML/DeviceXml/keyboard_keys.xml"/>', '',
             ["'keyboard_device_key_light' with the key and LED controls is missing"]),
        ]
        for relative, old, new, fragments in cases:
            with self.subTest(new=new):
                self.fresh_copy()
                self.edit(relative, old, new)
                self.assertReported(*fragments)

    def test_buttons_outside_a_panel_are_reported(self):
        self.edit(PAD, '<Control/>\n          <SelectPanel', '<DeviceKeyButton name="key_3" userdata="light_3"/>\n'
                  '          <SelectPanel')
        self.assertReported("'key_3' is not a direct child of a SelectPanel")

    def test_missing_program_picture_is_reported(self):
        (self.skin / "power" / "powering.png").unlink()
        self.assertReported("picture 'power/powering.png' it names is not in the skin")

    def test_absent_keyboard_keys_are_really_absent(self):
        text = (SKIN / KEYS).read_text(encoding="utf-8")
        for key in KEYBOARD_ABSENT_KEYS:
            self.assertNotIn(f'name="key_{key}"', text)


if __name__ == "__main__":
    unittest.main()
