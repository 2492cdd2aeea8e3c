"""The Debian package from a clean state: cpack from the build that was just
made, lintian, apt-get install, the installed programs run by a normal user,
then apt-get purge and nothing of the package left behind. Needs root (it
installs the package); exits 77 (skipped) with the reason otherwise.

usage: package_test.py BUILD_DIR VERSION"""

import glob
import os
import pwd
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from installed_checks import (EXPECTED_UDEV_RULES, Failure, check, check_font_links, check_programs,  # noqa: E402
                              check_shared_files, check_talvenctl_and_gui, udev_rule_lines, user_env)

SKIP = 77
PACKAGE = "talven-k88"
USER = "nobody"

# lintian warnings accepted (tag names). None today: the package gets no
# warning, only infos (unneeded .comment sections, no bindnow, no fortify),
# which the test does not look at.
KEPT_WARNINGS = set()


def skip(reason):
    print(f"SKIPPED: {reason}")
    sys.exit(SKIP)


def installed():
    result = subprocess.run(["dpkg-query", "-W", "-f=${Status}", PACKAGE], capture_output=True, text=True)
    return result.returncode == 0 and "not-installed" not in result.stdout and result.stdout.strip() != ""


def leftovers():
    """Files or folders named after the package outside users' folders."""
    found = []
    for top in ["/usr", "/etc", "/var/lib/dpkg/info", "/opt"]:
        for path, dirs, files in os.walk(top):
            found += [os.path.join(path, n) for n in dirs + files if "talven" in n]
    return found


def main():
    build, version = os.path.abspath(sys.argv[1]), sys.argv[2]
    if os.geteuid() != 0:
        skip("installing the package needs root (run scripts/test.sh as root)")
    for tool in ["cpack", "lintian", "apt-get", "runuser", "xvfb-run", "dpkg-shlibdeps"]:
        if not shutil.which(tool):
            skip(f"{tool} is missing (scripts/setup.sh installs it)")
    if installed():
        skip(f"{PACKAGE} is installed on this machine already; the test would remove it")
    if leftovers():
        skip(f"files named after the program are here already, so what the package leaves could not be told "
             f"apart: {leftovers()[:5]}")
    try:
        pwd.getpwnam(USER)
    except KeyError:
        skip(f"there is no user {USER} to run the installed programs as")

    with tempfile.TemporaryDirectory(prefix="talven-package-") as tmp:
        os.chmod(tmp, 0o755)
        out = os.path.join(tmp, "deb")
        subprocess.run(["cpack", "-G", "DEB", "-B", out, "--config", os.path.join(build, "CPackConfig.cmake")],
                       check=True, cwd=build, stdout=subprocess.DEVNULL)
        debs = glob.glob(os.path.join(out, f"{PACKAGE}_{version}_*.deb"))
        check(len(debs) == 1, f"cpack made {os.listdir(out)}")
        deb = debs[0]

        depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], capture_output=True, text=True).stdout
        for library in ["libc6", "libqt6widgets6", "libqt6svg6", "libasound2", "libjsoncpp25", "libcurl4",
                        "fonts-noto-core", "fonts-wqy-microhei"]:
            check(library in depends, f"Depends lacks {library}: {depends}")

        lint = subprocess.run(["lintian", "--tag-display-limit", "0", deb], capture_output=True, text=True)
        print(lint.stdout + lint.stderr)
        tags = [line.split()[2] for line in lint.stdout.splitlines() if line[:3] in ("E: ", "W: ")]
        errors = [line for line in lint.stdout.splitlines() if line.startswith("E: ")]
        check(not errors, "lintian reports errors")
        unexpected = sorted({t for t in tags if t not in KEPT_WARNINGS})
        check(not unexpected, f"lintian warnings not accepted yet: {unexpected}")

        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        try:
            subprocess.run(["apt-get", "install", "-y", "-q", "--no-install-recommends", deb], check=True,
                           env=env, stdout=subprocess.DEVNULL)
            files = subprocess.run(["dpkg", "-L", PACKAGE], capture_output=True, text=True,
                                   check=True).stdout.split("\n")
            rules = "/usr/lib/udev/rules.d/70-talven-k88.rules"
            check(rules in files, "the udev rules are not in /usr/lib/udev/rules.d")
            check(udev_rule_lines(rules) == EXPECTED_UDEV_RULES, "installed udev rules differ")
            check_shared_files("/usr/share")
            check_font_links("/usr/share/talven-k88/Font", relative=True)

            home = os.path.join(tmp, "home")
            os.makedirs(home)
            account = pwd.getpwnam(USER)
            env_user = user_env(home)
            for path, dirs, names in os.walk(home):
                os.chown(path, account.pw_uid, account.pw_gid)
            check_programs("/usr/bin", version, env_user, user=USER)
            check_talvenctl_and_gui("/usr/bin", env_user, home, user=USER)
        finally:
            subprocess.run(["apt-get", "purge", "-y", "-q", PACKAGE], env=env, stdout=subprocess.DEVNULL)
        check(not installed(), "the package is still installed after purge")
        left = [f for f in files if f and f != "/." and os.path.lexists(f) and not os.path.isdir(f)]
        check(not left, f"left after purge: {left}")
        check(not leftovers(), f"left after purge: {leftovers()}")
    print("package test passed")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
