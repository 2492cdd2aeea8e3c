"""cmake --install into a temporary prefix, then the installed programs run
from there: the resource root below share/, the simulator and talvenctl,
a screenshot under Xvfb, --help and --version, the manual pages, the udev
rules, desktop entry, icons and AppStream metainfo.

usage: install_test.py BUILD_DIR VERSION"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from installed_checks import (EXPECTED_UDEV_RULES, PROGRAMS, Failure, check, check_font_links,  # noqa: E402
                              check_manual_pages,
                              check_programs, check_shared_files, check_talvenctl_and_gui, udev_rule_lines,
                              user_env)


def main():
    build, version = os.path.abspath(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="talven-install-") as tmp:
        prefix = os.path.join(tmp, "prefix")
        subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        bindir = os.path.join(prefix, "bin")
        share = os.path.join(prefix, "share")
        for program in PROGRAMS:
            check(os.access(os.path.join(bindir, program), os.X_OK), f"{program} is not installed in bin/")
        root = os.path.join(share, "talven-k88")
        for folder in ["skin", "DefaultData"]:
            check(os.path.isdir(os.path.join(root, folder)), f"no {folder}/ in share/talven-k88/")
        check(os.path.isfile(os.path.join(root, "skin/res.xml")), "the skin is incomplete")
        sdk = os.path.join(root, "SDK/libosConfLib.so")
        check(os.path.isfile(sdk), "no SDK/libosConfLib.so below share/talven-k88/")
        real = os.path.realpath(sdk)
        check(real.startswith(os.path.join(prefix, "lib") + "/"), f"the audio library lies at {real}")
        with open(real, "rb") as f:
            check(f.read(4) == b"\x7fELF", "libosConfLib.so is not a shared object")

        check_font_links(os.path.join(root, "Font"), relative=False)

        rules = os.path.join(prefix, "lib/udev/rules.d/70-talven-k88.rules")
        check(udev_rule_lines(rules) == EXPECTED_UDEV_RULES, f"udev rules:\n{open(rules).read()}")
        check_shared_files(share)
        check(glob.glob(os.path.join(share, "doc/talven-k88/copyright")), "no copyright file")

        if shutil.which("appstreamcli"):
            result = subprocess.run(["appstreamcli", "validate", "--no-net",
                                     os.path.join(share, "metainfo/com.talven.k88.metainfo.xml")],
                                    capture_output=True, text=True)
            check(result.returncode == 0, f"appstreamcli validate:\n{result.stdout}{result.stderr}")
        else:
            print("appstreamcli missing: the metainfo is not validated (scripts/setup.sh installs it)")

        home = os.path.join(tmp, "home")
        env = user_env(home)
        for name in ["DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"]:
            env.pop(name, None)
        check_programs(bindir, version, env)
        check_manual_pages(os.path.join(share, "man/man1"), bindir, version, env)
        check_talvenctl_and_gui(bindir, env, home)
    print("install test passed")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
