#!/usr/bin/env python3
"""Tests of the language checks of check_skin.py and of add_lang_keys.py: each
case breaks a copy of the real skin and its language list in one way and
expects the fault named; add_lang_keys.py takes only a table with a column
for every language file."""

import json
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # leave no cache in the source tree
HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from check_skin import Checker  # noqa: E402

RESOURCES = HERE.parent / "resources"


class LanguageFilesTest(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="lang-check-"))
        shutil.copytree(RESOURCES / "skin", self.dir / "skin")
        (self.dir / "DefaultData").mkdir()
        shutil.copy(RESOURCES / "DefaultData" / "Language.config", self.dir / "DefaultData")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def problems(self):
        return "\n".join(Checker(self.dir / "skin").run())

    def replace(self, name, old, new):
        path = self.dir / "skin" / name
        text = path.read_text(encoding="utf-8")
        self.assertIn(old, text)
        path.write_text(text.replace(old, new, 1), encoding="utf-8")

    def test_the_shipped_files_pass(self):
        self.assertEqual(self.problems(), "")

    def test_a_key_missing_from_one_file_or_found_in_one_only_is_named(self):
        self.replace("lan_de.xml", '<Text id="app_subtitle"', '<Text id="app_subtitle_gone"')
        self.replace("lan_th.xml", "</Language>", '<Text id="only_thai" value="x"/></Language>')
        problems = self.problems()
        self.assertIn("lan_de.xml: key 'app_subtitle' is missing", problems)
        self.assertIn("lan_en.xml: key 'only_thai' is missing", problems)
        self.assertIn("lan_ru.xml: key 'only_thai' is missing", problems)

    def test_the_language_list_and_the_files_agree(self):
        config = self.dir / "DefaultData" / "Language.config"
        entries = json.loads(config.read_text(encoding="utf-8"))
        self.assertEqual(len(entries["Language"]), 16)
        self.assertEqual(entries["Language"][15]["Language_file"], "lan_th.xml", "Thai keeps index 15")
        dropped = entries["Language"].pop(3)
        config.write_text(json.dumps(entries), encoding="utf-8")
        self.assertIn(f"{dropped['Language_file']}: is not offered", self.problems())
        entries["Language"].append({"Language_ID": 1, "Language_name": "xx", "Language_file": "lan_xx.xml"})
        config.write_text(json.dumps(entries), encoding="utf-8")
        self.assertIn("lists 'lan_xx.xml', which is not in the skin", self.problems())

    def test_new_keys_need_a_text_in_every_language(self):
        (self.dir / "scripts").mkdir()
        script = self.dir / "scripts" / "add_lang_keys.py"
        shutil.copy(HERE / "add_lang_keys.py", script)
        (self.dir / "resources").mkdir()
        (self.dir / "resources" / "skin").symlink_to(self.dir / "skin")
        files = sorted(p.name for p in (self.dir / "skin").glob("lan_*.xml"))
        partial = self.dir / "partial.tsv"
        partial.write_text("key\tlan_en.xml\tlan_cn.xml\nnew_key\tNew\t新\n", encoding="utf-8")
        run = subprocess.run([sys.executable, "-B", str(script), "Test", str(partial)], capture_output=True, text=True,
                             cwd=self.dir)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("lan_de.xml", run.stderr)
        self.assertNotIn("new_key", (self.dir / "skin" / "lan_en.xml").read_text(encoding="utf-8"))

        full = self.dir / "full.tsv"
        full.write_text("key\t" + "\t".join(files) + "\nnew_key\t" + "\t".join(f"text {f}" for f in files) + "\n",
                        encoding="utf-8")
        run = subprocess.run([sys.executable, "-B", str(script), "Test", str(full)], capture_output=True, text=True,
                             cwd=self.dir)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn('value="text lan_ru.xml"', (self.dir / "skin" / "lan_ru.xml").read_text(encoding="utf-8"))
        self.assertEqual(self.problems(), "")


if __name__ == "__main__":
    unittest.main()
