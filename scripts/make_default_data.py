#!/usr/bin/env python3
"""Writes the factory profiles and lighting names of resources/DefaultData.

Usage: make_default_data.py [--lang-tsv FILE]

Writes "<device folder>.Json" for every product's device folder,
"default_light.json" and the factory recoil compensation of the mouse's four
guns, "ShootData_<gun>.Shoot". The keyboards' default key codes are taken from the
C++ table named by KEY_CODES_SOURCE, so they are kept in one place only.
With --lang-tsv, also writes the language keys the files use (key, English,
Simplified Chinese): the start of a table for scripts/add_lang_keys.py, which
still needs a column for every other language file before it is taken.
"""
import argparse
import json
import os
import re
import sys
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
OUT = os.path.join(ROOT, "resources", "DefaultData")

# The C++ array holding the 126 on-screen keys' factory codes, three bytes a key.
KEY_CODES_SOURCE = ("sim/keyboard_firmware.cpp", "kFactoryKeyCodes")

# Device folders in product-table order: the index of each in default_light.json.
FOLDERS = ["mouse", "keyboard", "MousePad", "HD", "keyboard7440"]

# Language keys: (key, English, Simplified Chinese).
MODE_TEXTS = [
    ("light_mode_wave", "Wave", "波浪"),
    ("light_mode_neon_stream", "Neon stream", "霓虹流光"),
    ("light_mode_rings", "Rings", "光环"),
    ("light_mode_snake", "Snake", "蛇行"),
    ("light_mode_static", "Static", "常亮"),
    ("light_mode_breathing", "Breathing", "呼吸"),
    ("light_mode_gradient", "Gradient", "渐变"),
    ("light_mode_ripple", "Ripple", "涟漪"),
    ("light_mode_fast_ripple", "Fast ripple", "快速涟漪"),
    ("light_mode_light_on_press", "Light on press", "按键点亮"),
    ("light_mode_dim_on_press", "Dim on press", "按键熄灭"),
    ("light_mode_cross", "Cross", "十字"),
    ("light_mode_starburst", "Starburst", "星爆"),
    ("light_mode_rain", "Rain", "雨滴"),
    ("light_mode_starlight", "Starlight", "星光"),
    ("light_mode_flicker", "Flicker", "闪动"),
    ("light_mode_aurora", "Aurora", "极光"),
    ("light_mode_pulse", "Pulse", "脉冲"),
    ("light_mode_twinkle", "Twinkle", "繁星"),
    ("light_mode_radar", "Radar", "雷达"),
    ("light_mode_custom", "Custom", "自定义"),
    ("light_mode_sequence", "Custom sequence", "自定义序列"),
    ("light_mode_off", "Off", "关闭"),
    ("light_mode_spectrum_cycle", "Spectrum cycle", "七彩循环"),
    ("light_mode_colour_breathing", "Colour breathing", "多彩呼吸"),
    ("light_mode_blink", "Blink", "闪烁"),
    ("light_mode_colour_blink", "Colour blink", "多彩闪烁"),
    ("light_mode_spectrum_breathing", "Spectrum breathing", "七彩呼吸"),
    ("light_mode_ripple_wave", "Ripple wave", "涟漪波浪"),
    ("light_mode_reverse_ripple", "Reverse ripple", "反向涟漪"),
]
AREA_TEXTS = [
    ("area_light_main_keys", "Main keys", "主键区"),
    ("area_light_function_keys", "Function keys", "功能键区"),
    ("area_light_navigation_keys", "Navigation keys", "编辑键区"),
    ("area_light_number_pad", "Number pad", "数字键区"),
    ("area_light_logo", "Logo", "标志"),
    ("area_light_wheel", "Scroll wheel", "滚轮"),
    ("area_light_side_strip", "Side strip", "侧边灯带"),
    ("area_light_edge", "Edge", "边缘灯带"),
    ("area_light_left_ear_cup", "Left ear cup", "左耳罩"),
    ("area_light_right_ear_cup", "Right ear cup", "右耳罩"),
    ("area_light_microphone", "Microphone", "麦克风"),
]
CORRECT_TEXTS = [
    ("mouse_correct_off", "Off", "关闭"),
    ("mouse_correct_low", "Low", "低"),
    ("mouse_correct_medium", "Medium", "中"),
    ("mouse_correct_high", "High", "高"),
]

# Lighting modes by number; a mode marked False is reached from the custom
# lighting list, not from the mode list.
KEYBOARD_MODES = [
    ("light_mode_wave", True), ("light_mode_neon_stream", True), ("light_mode_rings", True),
    ("light_mode_snake", True), ("light_mode_static", True), ("light_mode_breathing", True),
    ("light_mode_gradient", True), ("light_mode_ripple", True), ("light_mode_fast_ripple", True),
    ("light_mode_light_on_press", True), ("light_mode_dim_on_press", True), ("light_mode_cross", True),
    ("light_mode_starburst", True), ("light_mode_rain", True), ("light_mode_starlight", True),
    ("light_mode_flicker", True), ("light_mode_aurora", True), ("light_mode_pulse", True),
    ("light_mode_twinkle", True), ("light_mode_radar", True), ("light_mode_custom", True),
    ("light_mode_sequence", False), ("light_mode_off", True),
]
MOUSE_MODES = [
    ("light_mode_wave", True), ("light_mode_spectrum_cycle", True), ("light_mode_colour_breathing", True),
    ("light_mode_blink", True), ("light_mode_static", True), ("light_mode_colour_blink", True),
    ("light_mode_spectrum_breathing", True), ("light_mode_off", True), ("light_mode_ripple_wave", True),
]
# Mouse pad and headset: mode 5 plays the user's custom lighting.
PAD_HEADSET_MODES = [
    ("light_mode_wave", True), ("light_mode_spectrum_cycle", True), ("light_mode_spectrum_breathing", True),
    ("light_mode_static", True), ("light_mode_blink", True), ("light_mode_custom", False),
    ("light_mode_ripple", True), ("light_mode_reverse_ripple", True), ("light_mode_off", True),
]
KEYBOARD_AREAS = ["area_light_main_keys", "area_light_function_keys", "area_light_navigation_keys",
                  "area_light_number_pad"]
MOUSE_AREAS = ["area_light_logo", "area_light_wheel", "area_light_side_strip"]
PAD_AREAS = ["area_light_edge"]
HEADSET_AREAS = ["area_light_left_ear_cup", "area_light_right_ear_cup", "area_light_microphone"]

# The mouse's eleven logical buttons in page order: left, right, middle,
# forward, back, DPI up, DPI down, G key, DPI cycle, game mode, M8.
MOUSE_BUTTON_CODES = [0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100, 0x130200,
                      0xD00000, 0x130300, 0xA01B00, 0x169001]

# Keys lit red in a fresh custom-lighting group: A, S, D, W and the arrows.
CUSTOM_RED_KEYS = [64, 65, 66, 44, 96, 113, 114, 115]

# Mouse DPI stages as slider indices of the sensor's 50-DPI steps from 100
# DPI: 400, 800, 1600, 3200 and 6400 DPI, each with its indicator colour.
DPI_STEP, DPI_BASE = 50, 100
DPI_STAGES = [(400, (255, 0, 0)), (800, (0, 255, 0)), (1600, (0, 0, 255)), (3200, (255, 255, 0)),
              (6400, (255, 255, 255))]

# Sensor correction presets: (name, pixel threshold, minimum square); the
# first one is selected.
CORRECT_PRESETS = [("mouse_correct_off", 0, 0), ("mouse_correct_low", 4, 2),
                   ("mouse_correct_medium", 8, 4), ("mouse_correct_high", 12, 8)]

# Headset equaliser rows 1..12 (row 0, "no equaliser", is flat).
EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]

# Factory recoil compensation per gun: (ms between bullets, downward pull in
# pixels for the first bullet, pull added every third bullet, largest pull,
# sideways pattern repeated over the bullets: + right, - left).
SHOOT_GUNS = [
    (90, 2, 1, 8, [0, 1, 0, -1]),   # rifle: steady climb
    (80, 1, 1, 6, [0, 0, 1, -1]),   # carbine: lighter, faster
    (65, 1, 1, 4, [1, -1]),         # SMG: fastest, side jitter
    (100, 3, 1, 10, [0, 1, 1, 0]),  # LMG: slow, heavy, drifting left to right
]
SHOOT_BULLETS = 30


def shoot_events(delay, first, step, most, sideways):
    # Each bullet: left press (10 ms) and release, the horizontal move (5 ms),
    # then the vertical move holding the wait before the next bullet. "down"
    # moves left or up, "up" right or down; "Delay" is decimal text.
    def event(down, button, wait, kind):
        return {"Action": "down" if down else "up", "Button": button, "Delay": str(wait), "Type": kind}
    events = []
    for b in range(SHOOT_BULLETS):
        side = sideways[b % len(sideways)]
        pull = min(first + step * (b // 3), most)
        events += [event(True, 1, 10, 1), event(False, 1, 0, 1), event(side < 0, abs(side), 5, 4),
                   event(False, pull, delay, 5)]
    return {"Events": events}


def keyboard_codes():
    path, name = KEY_CODES_SOURCE
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        text = f.read()
    match = re.search(re.escape(name) + r"\s*(?:\[[^\]]*\])?\s*=\s*\{(.*?)\};", text, re.S)
    if not match:
        sys.exit(f"{path}: no array {name}")
    body = re.sub(r"//[^\n]*", "", match.group(1))
    values = [int(v, 16) for v in re.findall(r"0x([0-9A-Fa-f]{2})", body)]
    if len(values) != 126 * 3:
        sys.exit(f"{path}: {name} holds {len(values)} bytes, expected {126 * 3}")
    return [values[i] << 16 | values[i + 1] << 8 | values[i + 2] for i in range(0, len(values), 3)]


def light_info(mode):
    return {"SelectItem": mode, "Light": 4, "Speed": 2, "MultiColor": 1, "Red": 255, "Green": 0,
            "Blue": 0, "Fx": 0}


def light_list(areas):
    # Every zone follows the main effect until the user gives it its own.
    return [{"LEDREGMode": 0, "LEDBrightness": 4, "LEDSpeed": 2, "LEDMultiColor": True,
             "LEDDirection": False, "red": 255, "green": 0, "blue": 0} for _ in areas]


def key_list(codes):
    return [{"Assignment": c, "DefaultAssignment": c} for c in codes]


def keyboard_entry():
    colours = [{"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0} for _ in range(126)]
    for key in CUSTOM_RED_KEYS:
        colours[key] = {"Red": 255, "Green": 0, "Blue": 0, "Alpha": 255}
    return {
        "LightInfo": light_info(0),
        "LightList": light_list(KEYBOARD_AREAS),
        "KeyList": key_list(keyboard_codes()),
        "SystemStages": {"Repeat": 31, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 3, "WFlag": 0,
                         "WinFlag": 0},
        "CustomLightMode": {"CustomLightModeGroupIndex": 0, "LightColorInfo": [colours]},
    }


def mouse_entry():
    stages = [{"StageActive": 1, "StageXY": 0, "StageDPIX": (dpi - DPI_BASE) // DPI_STEP,
               "StageDPIY": (dpi - DPI_BASE) // DPI_STEP, "StageColorR": r, "StageColorG": g,
               "StageColorB": b} for dpi, (r, g, b) in DPI_STAGES]
    return {
        "LightInfo": light_info(0),
        "LightList": light_list(MOUSE_AREAS),
        "KeyList": key_list(MOUSE_BUTTON_CODES),
        "DPIStages": {"StageActive": 1, "StageDPIs": stages},
        # Double-click level 6 is 500 ms; pointer speed 10 of 20; three lines.
        "SystemStages": {"DoubleClickTime": 6, "MouseSpeed": 10, "PointerPrecision": 1, "ScorllPage": 0,
                         "WheelScorlllinse": 3},
        "ReportStages": {"StageActive": 3},
        "HeightStages": {"StageActive": 0},
        "CorrectInfo": [{"CorrectName": n, "CorrectPixThresh": t, "CorrectMinSq": s,
                         "CorrectSelect": 1 if i == 0 else 0}
                        for i, (n, t, s) in enumerate(CORRECT_PRESETS)],
    }


def pad_entry():
    return {"LightInfo": light_info(0), "LightList": light_list(PAD_AREAS)}


def headset_entry():
    rows = [[0] * 10] + EQ_PRESETS
    return {
        "LightInfo": light_info(0),
        "LightList": light_list(HEADSET_AREAS),
        # Voice changer off (type 1), no equaliser, no custom curve selected,
        # microphone on at 80 %, monitoring off at 50 %.
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 1, "EqType": 0, "CustomEqSeletIndex": -1,
                            "MicInSelect": 1, "MicInValue": 80, "MicMoniterSelect": 0,
                            "MicMoniterValue": 50},
        "EQHzValueInfo": [[{"value": v} for v in row] for row in rows],
        "CustomEQNameInfo": [],
        "CustomEQHzValueInfo": [],
    }


ENTRIES = {"mouse": mouse_entry, "keyboard": keyboard_entry, "MousePad": pad_entry, "HD": headset_entry,
           "keyboard7440": keyboard_entry}
MODES = {"mouse": MOUSE_MODES, "keyboard": KEYBOARD_MODES, "MousePad": PAD_HEADSET_MODES,
         "HD": PAD_HEADSET_MODES, "keyboard7440": KEYBOARD_MODES}
AREAS = {"mouse": MOUSE_AREAS, "keyboard": KEYBOARD_AREAS, "MousePad": PAD_AREAS, "HD": HEADSET_AREAS,
         "keyboard7440": KEYBOARD_AREAS}


def write_json(name, value):
    # Indented like the program's own writer, members sorted, UTF-8.
    text = json.dumps(value, indent=3, sort_keys=True, ensure_ascii=False) + "\n"
    fd, tmp = tempfile.mkstemp(dir=OUT, prefix=".default")
    with os.fdopen(fd, "w", encoding="utf-8") as f:
        f.write(text)
    os.chmod(tmp, 0o644)
    os.replace(tmp, os.path.join(OUT, name))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lang-tsv", help="also write the language keys to this file")
    args = parser.parse_args()
    known = {row[0] for row in MODE_TEXTS + AREA_TEXTS + CORRECT_TEXTS}
    used = {n for f in FOLDERS for n, _ in MODES[f]} | {n for f in FOLDERS for n in AREAS[f]}
    used |= {n for n, _, _ in CORRECT_PRESETS}
    if used - known:
        sys.exit(f"names without language texts: {sorted(used - known)}")
    for folder in FOLDERS:
        write_json(folder + ".Json", {"Device": [ENTRIES[folder]()]})
    write_json("default_light.json", {
        "DefaultLightName": [[{"LightName": n, "visible": v} for n, v in MODES[f]] for f in FOLDERS],
        "AreaLightName": [[{"LightName": n} for n in AREAS[f]] for f in FOLDERS],
    })
    for gun, row in enumerate(SHOOT_GUNS):
        write_json(f"ShootData_{gun}.Shoot", shoot_events(*row))
    if args.lang_tsv:
        with open(args.lang_tsv, "w", encoding="utf-8") as f:
            f.write("key\tlan_en.xml\tlan_cn.xml\n")
            for row in MODE_TEXTS + AREA_TEXTS + CORRECT_TEXTS:
                f.write("\t".join(row) + "\n")
    print(f"wrote {len(FOLDERS) + 1 + len(SHOOT_GUNS)} files to {os.path.normpath(OUT)}")


if __name__ == "__main__":
    main()
