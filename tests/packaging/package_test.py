#!/usr/bin/env python3
"""End-to-end checks of the Debian package built from the build tree.

usage: package_test.py CHECK SOURCE_DIR BUILD_DIR WORK_DIR

`build` runs cpack on BUILD_DIR's install rules into WORK_DIR and unpacks
the package into WORK_DIR/root (dpkg -x); every other CHECK reads those.
Each check walks a table of cases and prints one line per failed case; the
exit status is 1 on any failure and 77 (skipped) when a tool it needs is
missing, with the Debian package that brings it.
"""

import glob
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile

SKIP = 77
LIBRARY = "libkorlink.so"
# Tools the checks run, each with the Debian package that installs it.
TOOLS = {
    "cpack": "cmake", "dpkg-deb": "dpkg", "dpkg-architecture": "dpkg-dev", "readelf": "binutils",
    "lintian": "lintian", "desktop-file-validate": "desktop-file-utils",
    "appstreamcli": "appstream", "update-mime-database": "shared-mime-info",
    "xdg-mime": "xdg-utils", "mimetype": "libfile-mimeinfo-perl",
}
# Lintian warnings a single package holding a library, its header and its
# programs cannot avoid (named in the README); anything else fails.
ACCEPTED_LINTIAN = {
    "link-to-shared-library-in-wrong-package",  # libkorlink.so, the name the program loads
    "package-name-doesnt-match-sonames",  # one package, not libkorlink0 plus -dev
    "maintscript-calls-ldconfig",  # CPack's scripts; the ldconfig trigger is there too
}


def need(*tools):
    for tool in tools:
        if shutil.which(tool) is None:
            print(f"skipped: {tool} is missing (Debian package {TOOLS[tool]})")
            sys.exit(SKIP)


def run(*command, env=None, check=True):
    done = subprocess.run(command, capture_output=True, text=True, env=env, timeout=300)
    if check and done.returncode != 0:
        raise SystemExit(f"{' '.join(command)}: exit status {done.returncode}\n{done.stdout}{done.stderr}")
    return done


class Package:
    def __init__(self, source, build, work):
        self.source, self.build, self.work = source, build, work
        self.root = os.path.join(work, "root")
        found = glob.glob(os.path.join(work, "*.deb"))
        self.deb = found[0] if len(found) == 1 else None
        self.version = run(os.path.join(build, "bin", "trelmlink"), "--version").stdout.split()[-1]
        self.multiarch = run("dpkg-architecture", "-qDEB_HOST_MULTIARCH").stdout.strip()
        self.arch = run("dpkg-architecture", "-qDEB_HOST_ARCH").stdout.strip()

    def libdir(self):
        return f"usr/lib/{self.multiarch}"

    def expected_files(self):
        """(case name, path in the package, mode or link target)."""
        major = self.version.split(".")[0]
        rows = [(f"program {name}", f"usr/bin/{name}", 0o755) for name in ("trelmlink", "korlink-xfer", "trelm-sim")]
        rows += [
            ("library", f"{self.libdir()}/{LIBRARY}.{self.version}", 0o644),
            ("library soname link", f"{self.libdir()}/{LIBRARY}.{major}", f"{LIBRARY}.{self.version}"),
            ("library development link", f"{self.libdir()}/{LIBRARY}", f"{LIBRARY}.{major}"),
            ("header", "usr/include/korlink.h", 0o644),
            ("desktop entry", "usr/share/applications/trelmlink.desktop", 0o644),
            ("scalable icon", "usr/share/icons/hicolor/scalable/apps/trelmlink.svg", 0o644),
            ("event file type", "usr/share/mime/packages/trelmlink.xml", 0o644),
            ("metainfo", "usr/share/metainfo/org.trelmlink.Trelmlink.metainfo.xml", 0o644),
            ("copyright", "usr/share/doc/trelmlink/copyright", 0o644),
            ("changelog", "usr/share/doc/trelmlink/changelog.gz", 0o644),
        ]
        rows += [(f"icon {size}px", f"usr/share/icons/hicolor/{size}x{size}/apps/trelmlink.png", 0o644)
                 for size in (16, 22, 24, 32, 48, 64, 128, 256)]
        rows += [(f"manual page {name}", f"usr/share/man/man1/{name}.1.gz", 0o644)
                 for name in ("trelmlink", "korlink-xfer", "trelm-sim")]
        rows += [(f"bash completion {name}", f"usr/share/bash-completion/completions/{name}", 0o644)
                 for name in ("trelmlink", "korlink-xfer")]
        units = glob.glob(os.path.join(self.source, "packaging", "*.service"))
        units += glob.glob(os.path.join(self.source, "packaging", "*.timer"))
        rows += [(f"systemd unit {os.path.basename(unit)}", f"usr/lib/systemd/system/{os.path.basename(unit)}", 0o644)
                 for unit in sorted(units)]
        return rows


def build_package(package):
    need("cpack", "dpkg-deb")
    shutil.rmtree(package.work, ignore_errors=True)
    os.makedirs(package.work)
    run("cpack", "--config", os.path.join(package.build, "CPackConfig.cmake"), "-B", package.work)
    expected = f"trelmlink_{package.version}_{package.arch}.deb"
    if not os.path.exists(os.path.join(package.work, expected)):
        return [f"cpack did not write {expected}: {os.listdir(package.work)}"]
    run("dpkg-deb", "-x", os.path.join(package.work, expected), package.root)
    return []


def check_contents(package):
    """Every file is in the package, with its mode or its link target."""
    listing = {}
    for line in run("dpkg-deb", "--contents", package.deb).stdout.splitlines():
        fields = line.split()
        path = fields[5].removeprefix("./")
        listing[path] = (fields[0], fields[1], fields[7] if fields[0].startswith("l") else None)
    failures = []
    for case, path, want in package.expected_files():
        if path not in listing:
            failures.append(f"{case}: {path} is not in the package")
            continue
        perms, owner, target = listing[path]
        if owner != "root/root":
            failures.append(f"{case}: {path} is owned by {owner}")
        if isinstance(want, str):
            if target != want:
                failures.append(f"{case}: {path} links to {target}, not {want}")
        elif perms != "-" + stat.filemode(want)[1:]:
            failures.append(f"{case}: {path} has mode {perms}, not {stat.filemode(want)}")
    return failures


def check_permissions(package):
    """Nothing in the tree is writable by others, set-id, or executable outside usr/bin."""
    failures = []
    for line in run("dpkg-deb", "--contents", package.deb).stdout.splitlines():
        perms, owner, path = line.split()[0], line.split()[1], line.split()[5].removeprefix("./")
        if perms.startswith("l"):
            continue
        if owner != "root/root":
            failures.append(f"{path}: owned by {owner}")
        if perms.startswith("d"):
            if perms != "drwxr-xr-x":
                failures.append(f"{path}: directory mode {perms}")
        elif path.startswith("usr/bin/"):
            if perms != "-rwxr-xr-x":
                failures.append(f"{path}: program mode {perms}")
        elif perms != "-rw-r--r--":
            failures.append(f"{path}: file mode {perms}")
    return failures


def check_control(package):
    """The control fields: the project version, the architecture, computed dependencies, the soname."""
    fields = {name: run("dpkg-deb", "--field", package.deb, name).stdout.strip()
              for name in ("Package", "Version", "Architecture", "Depends")}
    failures = []
    for case, name, want in [("package name", "Package", "trelmlink"),
                             ("version from --version", "Version", package.version),
                             ("architecture", "Architecture", package.arch)]:
        if fields[name] != want:
            failures.append(f"{case}: {name} is '{fields[name]}', not '{want}'")
    for library in ("libc6", "libstdc++6", "libqt6widgets6", "libcups2"):
        if not re.search(rf"(^|, ){re.escape(library)}\b", fields["Depends"]):
            failures.append(f"dependency {library}: missing from Depends '{fields['Depends']}'")
    library = os.path.join(package.root, package.libdir(), f"{LIBRARY}.{package.version}")
    soname = re.search(r"Library soname: \[(.*)\]", run("readelf", "-d", library).stdout)
    want = f"{LIBRARY}.{package.version.split('.')[0]}"
    if not soname or soname.group(1) != want:
        failures.append(f"soname: {soname.group(1) if soname else 'none'}, not {want}")
    return failures


def check_lintian(package):
    need("lintian")
    done = run("lintian", "--allow-root", "--no-tag-display-limit", package.deb, check=False)
    failures = []
    for line in done.stdout.splitlines():
        tag = re.match(r"^([EW]): \S+: (\S+)", line)
        if tag and (tag.group(1) == "E" or tag.group(2) not in ACCEPTED_LINTIAN):
            failures.append(f"lintian: {line}")
    if done.returncode not in (0, 1):
        failures.append(f"lintian: exit status {done.returncode}: {done.stderr}")
    return failures


def installed_environment():
    # Nothing from the build tree or the caller may lead a program to a
    # library; a sanitizer build keeps its options (scripts/test --sanitize).
    env = {"PATH": "/usr/bin:/bin", "HOME": tempfile.gettempdir(), "LANG": "C.UTF-8"}
    env.update({name: value for name, value in os.environ.items() if name.endswith("SAN_OPTIONS")})
    return env


def check_installed_programs(package):
    """The unpacked programs run and find the unpacked library through their run path."""
    failures = []
    bindir = os.path.join(package.root, "usr/bin")
    libdir = os.path.realpath(os.path.join(package.root, package.libdir()))
    for program in ("trelmlink", "korlink-xfer", "trelm-sim"):
        done = run(os.path.join(bindir, program), "--version", env=installed_environment(), check=False)
        if done.returncode != 0 or done.stdout.strip() != f"{program} {package.version}":
            failures.append(f"{program} --version: status {done.returncode}, '{done.stdout.strip()}' {done.stderr}")
    resolved = re.search(rf"{re.escape(LIBRARY)}\.\S+ => (\S+)",
                         run("ldd", os.path.join(bindir, "korlink-xfer"), env=installed_environment()).stdout)
    if not resolved or os.path.dirname(os.path.realpath(resolved.group(1))) != libdir:
        failures.append(f"korlink-xfer links {resolved.group(1) if resolved else 'no library'}, not the one in {libdir}")
    # trelmlink loads the library when a serial function is first needed:
    # a retrieval from a device that does not exist gets as far as the port.
    with tempfile.TemporaryDirectory() as folder:
        env = dict(installed_environment(), TRELMLINK_INI=os.path.join(folder, "TRELMLNK.INI"))
        done = run(os.path.join(bindir, "trelmlink"), "retrieve", "--device", os.path.join(folder, "absent"),
                   "--all", "--dir", folder, "--quiet", env=env, check=False)
        if "cannot be loaded" in done.stderr or "no such device" not in done.stderr:
            failures.append(f"trelmlink retrieve did not load the installed library: {done.stderr.strip()}")
    return failures


def check_desktop_entry(package):
    need("desktop-file-validate", "appstreamcli")
    failures = []
    # desktop-file-validate prints nothing for a clean entry, even its hints.
    for case, command, silent in [
        ("desktop entry", ["desktop-file-validate", "usr/share/applications/trelmlink.desktop"], True),
        ("metainfo", ["appstreamcli", "validate", "--no-net", "--explain",
                      "usr/share/metainfo/org.trelmlink.Trelmlink.metainfo.xml"], False),
    ]:
        command[-1] = os.path.join(package.root, command[-1])
        done = run(*command, check=False)
        if done.returncode != 0 or (silent and done.stdout.strip()):
            failures.append(f"{case}: {' '.join(command)}: status {done.returncode}\n{done.stdout}{done.stderr}")
    entry = open(os.path.join(package.root, "usr/share/applications/trelmlink.desktop")).read()
    if not re.search(r"^MimeType=application/x-trelm-event;$", entry, re.M):
        failures.append("desktop entry: MimeType is not application/x-trelm-event alone")
    return failures


def check_mime_type(package):
    """xdg-mime gives our type for event files against the installed database, and only for them."""
    need("update-mime-database", "xdg-mime", "mimetype")
    failures = []
    with tempfile.TemporaryDirectory() as home:
        data = os.path.join(home, "data")
        os.makedirs(os.path.join(data, "mime", "packages"))
        shutil.copy(os.path.join(package.root, "usr/share/mime/packages/trelmlink.xml"),
                    os.path.join(data, "mime", "packages"))
        run("update-mime-database", os.path.join(data, "mime"))
        env = dict(installed_environment(), HOME=home, XDG_DATA_HOME=data, XDG_DATA_DIRS="/usr/share")
        bare = dict(env, XDG_DATA_HOME=os.path.join(home, "empty"))
        for case, name, want_ours in [
            ("event file", "0123_2005_06_15_12_30_05.bin", True),
            ("event file of a five-digit unit", "12345_2019_01_02_03_04_05.bin", True),
            ("memory image", "swap.bin", False),
            ("received image", "temp0000.$$$", False),
            ("CSV export", "0123_2005_06_15_12_30_05.csv", False),
        ]:
            path = os.path.join(home, name)
            with open(path, "wb") as file:
                file.write(bytes(range(256)) * 3)
            found = run("xdg-mime", "query", "filetype", path, env=env).stdout.strip()
            if (found == "application/x-trelm-event") != want_ours:
                failures.append(f"{case}: {name} is {found}")
            without = run("xdg-mime", "query", "filetype", path, env=bare).stdout.strip()
            if without == "application/x-trelm-event":
                failures.append(f"{case}: {name} has our type even without the installed database")
    return failures


CHECKS = {
    "contents": check_contents, "permissions": check_permissions, "control": check_control,
    "lintian": check_lintian, "installed_programs": check_installed_programs,
    "desktop_entry": check_desktop_entry, "mime_type": check_mime_type,
}


def main():
    if len(sys.argv) != 5 or (sys.argv[1] not in CHECKS and sys.argv[1] != "build"):
        raise SystemExit(__doc__)
    need("dpkg-deb", "dpkg-architecture", "readelf")
    package = Package(*[os.path.abspath(arg) for arg in sys.argv[2:]])
    if sys.argv[1] == "build":
        failures = build_package(package)
    elif package.deb is None:
        failures = [f"no single package in {package.work}: run the build step first"]
    else:
        failures = CHECKS[sys.argv[1]](package)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
