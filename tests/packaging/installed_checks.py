"""Checks shared by the install test and the package test: they run the
installed programs the way a user does and look at the installed files."""

import os
import re
import signal
import struct
import subprocess
import time

# Written out by hand from the interface recognition table (vendor and
# product of each row, each pair once, in table order).
EXPECTED_UDEV_RULES = [
    'SUBSYSTEM=="hidraw", ATTRS{idVendor}=="320f", ATTRS{idProduct}=="5029", TAG+="uaccess"',
    'SUBSYSTEM=="hidraw", ATTRS{idVendor}=="0000", ATTRS{idProduct}=="0000", TAG+="uaccess"',
    'SUBSYSTEM=="hidraw", ATTRS{idVendor}=="0c45", ATTRS{idProduct}=="6627", TAG+="uaccess"',
    'SUBSYSTEM=="hidraw", ATTRS{idVendor}=="0d8c", ATTRS{idProduct}=="01da", TAG+="uaccess"',
]

ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256, 512]
PROGRAMS = ["talven-k88", "talvenctl", "talven-devsim", "talven-update"]

# What `talvenctl list` shows for the simulated products: product name and
# vendor:product of each command interface.
EXPECTED_LISTED = [("keyboard", "320f:5029"), ("mouse", "0000:0000"), ("MousePad", "0c45:6627"),
                   ("HD", "0d8c:01da"), ("keyboard7440", "0000:0000")]


# The private font files and the Debian fonts that stand for them.
EXPECTED_FONT_LINKS = {
    "Simplified_Chinese.ttf": "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "Sarnic-Regular.otf": "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
    "NotoSansThai-Regular.ttf": "/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf",
    "NotoSansCJKtc-Regular.otf": "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


def udev_rule_lines(path):
    with open(path) as f:
        return [line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")]


def check_shared_files(share):
    """The desktop entry, icons and udev rules below <prefix>/share and lib/."""
    with open(os.path.join(share, "applications/talven-k88.desktop")) as f:
        entry = f.read()
    keys = dict(line.split("=", 1) for line in entry.splitlines()[1:] if "=" in line)
    check(entry.startswith("[Desktop Entry]\n"), "the desktop entry has no group header")
    check(keys.get("Exec") == "talven-k88", f"menu entry Exec is {keys.get('Exec')!r}")
    check(keys.get("Icon") == "talven-k88", "menu entry names another icon")
    check(keys.get("Name") == "TALVEN  K88  Gaming Keyboard", "menu entry has another name")
    check(keys.get("Categories") == "Settings;HardwareSettings;", "menu entry categories")
    check("X-GNOME-Autostart-enabled" not in keys, "the menu entry carries the autostart key")
    check(os.path.isfile(os.path.join(share, "icons/hicolor/scalable/apps/talven-k88.svg")), "no SVG icon")
    for size in ICON_SIZES:
        png = os.path.join(share, f"icons/hicolor/{size}x{size}/apps/talven-k88.png")
        check(os.path.isfile(png), f"no {size}px icon")
        check(png_size(png) == (size, size), f"{png} is {png_size(png)}")
    check(os.path.isfile(os.path.join(share, "metainfo/com.talven.k88.metainfo.xml")), "no AppStream metainfo")


def check_font_links(font_folder, relative):
    """Font/ holds links (not copies) to the system's fonts; below /usr they
    are relative so the tree can be moved as a whole."""
    check(sorted(os.listdir(font_folder)) == sorted(EXPECTED_FONT_LINKS), f"Font/ holds {os.listdir(font_folder)}")
    for name, target in EXPECTED_FONT_LINKS.items():
        link = os.path.join(font_folder, name)
        check(os.path.islink(link), f"Font/{name} is not a link")
        check(os.readlink(link).startswith("/") != relative, f"Font/{name} -> {os.readlink(link)}")
        if relative:
            check(os.path.normpath(os.path.join(font_folder, os.readlink(link))) == target,
                  f"Font/{name} -> {os.readlink(link)}")
        else:
            check(os.readlink(link) == target, f"Font/{name} -> {os.readlink(link)}")
        if os.path.exists(target):
            with open(link, "rb") as f:
                magic = f.read(4)
            check(magic in (b"\x00\x01\x00\x00", b"OTTO", b"ttcf"), f"Font/{name} is not a font file")


def run(argv, env, timeout=60, user=None, check_rc=True):
    if user:
        argv = ["runuser", "-u", user, "--", "env", "-i"] + [f"{k}={v}" for k, v in env.items()] + argv
        env = None
    result = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=timeout)
    if check_rc and result.returncode != 0:
        raise Failure(f"{' '.join(argv)} exited {result.returncode}\n{result.stdout}{result.stderr}")
    return result


def user_env(home):
    """A user's environment with its own folders and no display."""
    env = {"PATH": "/usr/bin:/bin", "HOME": home, "LANG": "C.UTF-8"}
    for name, sub in [("XDG_RUNTIME_DIR", "run"), ("XDG_DATA_HOME", "data"), ("XDG_CONFIG_HOME", "config"),
                      ("XDG_CACHE_HOME", "cache"), ("TALVEN_SIM_DIR", "run/sim")]:
        env[name] = os.path.join(home, sub)
    os.makedirs(os.path.join(home, "run"), mode=0o700, exist_ok=True)
    env.update(sanitizer_env())
    return env


def sanitizer_env():
    """In a sanitizer build the installed programs keep the test's sanitizer
    options (its suppressions of third-party findings among them), but write
    their reports to standard error: another user cannot write to the build
    folder, and a report fails the run through the exit code anyway."""
    kept = {}
    for name in ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"):
        value = os.environ.get(name)
        if value:
            kept[name] = ":".join(o for o in value.split(":") if not o.startswith("log_path="))
    return kept


def check_programs(bindir, version, env, user=None):
    """--help and --version of each program; talven-k88 --help without a display."""
    for program in PROGRAMS:
        path = os.path.join(bindir, program)
        out = run([path, "--version"], env, user=user).stdout
        check(out == f"{program} {version}\n", f"{program} --version says {out!r}")
        out = run([path, "--help"], env, user=user).stdout
        check(out.startswith(f"usage: {program} "), f"{program} --help says {out[:80]!r}")


def check_talvenctl_and_gui(bindir, env, home, user=None):
    """The installed simulator, talvenctl against it, and a screenshot of the
    installed program with its installed resources under Xvfb."""
    sim = env["TALVEN_SIM_DIR"]
    argv = [os.path.join(bindir, "talven-devsim"), "--dir", sim]
    if user:
        argv = ["runuser", "-u", user, "--", "env", "-i"] + [f"{k}={v}" for k, v in env.items()] + argv
    devsim = subprocess.Popen(argv, env=None if user else env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, start_new_session=True)
    try:
        deadline = time.time() + 20
        while not os.path.exists(os.path.join(sim, ".control")) and time.time() < deadline:
            if devsim.poll() is not None:
                raise Failure(f"talven-devsim ended: {devsim.stderr.read().decode()}")
            time.sleep(0.1)
        listed = run([os.path.join(bindir, "talvenctl"), "--sim-dir", sim, "list"], env, user=user).stdout
        rows = [line.split() for line in listed.splitlines()[1:]]
        commands = [(r[1], r[4]) for r in rows if len(r) > 4 and r[3] == "command"]
        check(commands == EXPECTED_LISTED, f"talvenctl list shows\n{listed}")
    finally:
        os.killpg(devsim.pid, signal.SIGTERM)
        devsim.wait(timeout=20)

    shot = os.path.join(home, "shot.png")
    gui_env = dict(env, TALVEN_DEBUG="1", TALVEN_SIM_DIR=os.path.join(home, "run/demo"))
    result = run(["xvfb-run", "-a", "-s", "-screen 0 1600x1000x24", os.path.join(bindir, "talven-k88"),
                  "--demo", "--screenshot", shot], gui_env, timeout=120, user=user)
    check(os.path.isfile(shot), f"no screenshot written\n{result.stderr[-3000:]}")
    width, height = png_size(shot)
    check(width >= 600 and height >= 400, f"the screenshot is only {width}x{height}")
    check("could not be read" not in result.stderr, f"resources missing:\n{result.stderr[-3000:]}")
    check("not a usable font" not in result.stderr, f"a font of Font/ is unusable:\n{result.stderr[-3000:]}")
    return result


def man_options(page_text):
    return set(re.findall(r"(?<![\w-])--[a-z][a-z0-9-]*", page_text))


def check_manual_pages(mandir, bindir, version, env):
    """Each page renders without warnings, carries the version, and names only
    options its program's --help knows; the options of the program's usage
    line all have their place in the page."""
    for program in PROGRAMS:
        page = os.path.join(mandir, f"{program}.1.gz")
        rendered = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", page], capture_output=True,
                                  text=True, env=dict(env, MANWIDTH="80", MAN_KEEP_FORMATTING=""), timeout=60)
        check(rendered.returncode == 0 and not rendered.stderr.strip(),
              f"man {program}: {rendered.returncode} {rendered.stderr}")
        text = re.sub(r".\x08", "", rendered.stdout)
        check(f"talven-k88 {version}" in text, f"the {program} page is not of version {version}")
        helptext = run([os.path.join(bindir, program), "--help"], env).stdout
        usage = helptext.splitlines()[0]
        missing = man_options(usage) - man_options(text)
        check(not missing, f"the {program} page lacks {sorted(missing)}")
        unknown = man_options(text) - man_options(helptext)
        check(not unknown, f"the {program} page names options {program} does not know: {sorted(unknown)}")
