#!/usr/bin/env python3
"""Tests of check_layers.py on small made-up trees: each case is one include
and whether the check must object to it."""

import shutil
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # leave no cache in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from check_layers import check_tree  # noqa: E402

CASES = [
    # (file, its text, expected fault or None)
    ("pages/keyboard/page.cpp", '#include "editors/panel.h"\n', None),
    ("pages/page.cpp", '#include "app/device_option.h"\n', "pages/ may not include app/device_option.h"),
    ("controls/key_button.cpp", '#include "pages/usb_device_page.h"\n', "controls/ may not include pages/"),
    ("editors/panel.cpp", '#include "controls/key_button.h"\n', None),
    ("editors/panel.cpp", '  #  include "app/main_wnd.h"\n', "editors/ may not include app/main_wnd.h"),
    ("device/keyboard/protocol.cpp", '#include "ui/layouts.h"\n', "device/ may not include ui/"),
    ("device/keyboard/protocol.cpp", '#include "profile/json_file.h"\n', None),
    ("device/records.h", "#include <QString>\n", "is Qt-free but includes <QString>"),
    ("profile/file.cpp", "#include <QtCore/QFile>\n", "is Qt-free but includes <QtCore/QFile>"),
    ("sim/keyboard_model.cpp", '#include "device/command_frame.h"\n', "sim/ may not include device/"),
    ("sim/keyboard_model.cpp", '#include "platform/event.h"\n', None),
    ("sim/mouse_model.cpp", '#include "profile/macro_files.h"\n', "sim/ may not include profile/"),
    ("sim/sim_products.h", '#include "update/update_table.h"\n', "sim/ may not include update/"),
    ("sim/mouse_model.cpp", '#include <device/command_frame.h>\n', "sim/ may not include device/"),
    ("sim/mouse_model.cpp", '#include "../device/hid_records.h"\n', "sim/ may not include device/"),
    ("sim/mouse_model.cpp", '#include <sys/socket.h>\n', None),
    ("platform/event.cpp", '#include "device/hid_records.h"\n', "platform/ may not include device/"),
    ("app/main_wnd.cpp", '#include "pages/usb_device_page.h"\n#include <QWidget>\n', None),
    # Tests and files outside the layers may use anything.
    ("tests/app/page_test.cpp", '#include "app/main_wnd.h"\n', None),
    ("pages/page.cpp", '// #include "app/x.h" is only a comment here\n', None),
]


class LayerCheckTest(unittest.TestCase):
    def setUp(self):
        self.root = Path(tempfile.mkdtemp(prefix="layers-"))

    def tearDown(self):
        shutil.rmtree(self.root)

    def test_each_include(self):
        for relative, text, fault in CASES:
            with self.subTest(file=relative, text=text):
                shutil.rmtree(self.root)
                path = self.root / relative
                path.parent.mkdir(parents=True)
                path.write_text(text)
                problems = check_tree(self.root)
                if fault is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertEqual(len(problems), 1, problems)
                    self.assertIn(fault, problems[0])
                    self.assertTrue(problems[0].startswith(relative + ":"), problems[0])

    def test_line_of_the_fault(self):
        path = self.root / "editors" / "panel.cpp"
        path.parent.mkdir(parents=True)
        path.write_text('#include "ui/list.h"\n\n#include "pages/page.h"\n')
        self.assertEqual(check_tree(self.root), ["editors/panel.cpp:3: editors/ may not include pages/page.h"])


if __name__ == "__main__":
    unittest.main()
