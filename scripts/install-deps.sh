#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing, and nothing else.
#
#   ./scripts/install-deps.sh             what the program needs to build and run
#   ./scripts/install-deps.sh --package   the same, and what cpack needs to make the Debian package
#   ./scripts/install-deps.sh --tests     the same, and what the tests, benchmarks and fuzz targets
#                                         need, the Debian package's tools among them
#
# Some test packages are servers that Debian would start at once and at every boot (a web server,
# a Kerberos KDC and its admin server). The tests only start their own copies, in temporary
# folders on 127.0.0.1, so these packages are installed with starting forbidden, and every
# service or socket they bring is disabled afterwards, as is every program they add to the list a
# desktop session starts at login.
set -euo pipefail

# Building and running the program.
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-declarative-dev qt6-image-formats-plugins
  libsqlite3-dev zlib1g-dev libplist-dev libsecret-1-dev libkrb5-dev
  fonts-courier-prime fonts-dejavu-core shared-mime-info
)
# cpack's Debian package: cpack finds the installed programs and libraries with file and hands
# them to dpkg-shlibdeps (dpkg-dev), which names the packages of the libraries they link.
package_packages=(dpkg-dev file)
# The tests, the benchmarks and the clang builds (fuzz targets, sanitizers), with the Debian
# package's tools, so that a machine set up for the tests makes the package as well.
# clang's sanitizer and libFuzzer runtimes (libclang-rt-dev) come with clang only as a recommended
# package, which this install leaves out, so they are named; llvm brings llvm-symbolizer, which turns
# the addresses in a clang-built program's sanitizer report into functions and lines.
# GNOME Keyring needs a session bus: left to choose, apt takes dbus-user-session, which brings
# systemd as the init system (and Debian's system bus) to a system without it; dbus-x11's session bus
# is started by whoever asks for it (the tests start their own with dbus-run-session).
# Xvfb is an X server that shows nothing: a keyboard test starts its own, as the offscreen platform
# loads no desktop theme and the theme decides which keys press a button (Qt's X platform plugin
# comes with libqt6gui6, with everything it needs; GNOME's theme is Qt's own, GTK's comes with
# qt6-gtk-platformtheme).
# libxtst-dev lets the drag probe (bench/panes/DragProbe.cpp) move the pointer through an X server.
test_packages=(
  clang libclang-rt-dev llvm libgtest-dev libgmock-dev libbenchmark-dev xvfb qt6-gtk-platformtheme
  poppler-utils desktop-file-utils openssl curl "${package_packages[@]}"
  gnome-keyring dbus-daemon dbus-bin dbus-x11 libglib2.0-bin gsettings-desktop-schemas
  krb5-kdc krb5-admin-server krb5-user apache2 libapache2-mod-auth-gssapi
  libxtst-dev
)
case "$*" in
  "") ;;
  --package) packages+=("${package_packages[@]}") ;;
  --tests) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [--package | --tests]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

((${#missing[@]})) || exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Neither root nor sudo is available here. Install them as root, for example:" >&2
    echo "  su -c '$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/install-deps.sh $*'" >&2
    exit 1
  fi
  as_root=(sudo)
fi

# Services and sockets already enabled before this install are left as they are; only the ones
# the install adds are disabled again.
# Units are listed as "system NAME" and, for every user's session, "global NAME".
enabled_units() {
  if command -v systemctl >/dev/null 2>&1; then
    for scope in system global; do
      systemctl --"$scope" list-unit-files --state=enabled --no-legend --no-pager 2>/dev/null |
        awk -v scope="$scope" '{print scope ":" $1}' || true
    done | sort -u
  fi
}
# Without systemctl (a system that does not boot with systemd), Debian's helper still enables the
# units a package brings, by linking them into a target's .wants or .requires folder under
# /etc/systemd: for the system, or for every user's session (the keyring's sockets). Such a link is
# what being enabled means there, and removing it is what disabling does.
unit_links() {
  if ! command -v systemctl >/dev/null 2>&1; then
    find /etc/systemd/system /etc/systemd/user -mindepth 2 -maxdepth 2 -type l \
      \( -path '*.wants/*' -o -path '*.requires/*' \) 2>/dev/null | sort
  fi
}
enabled_scripts() {
  # SysV start links, for systems booted without systemd (and for systemd's own compatibility):
  # the multi-user runlevels 2-5, where servers start, and rcS, the tasks run once at boot.
  { ls /etc/rc2.d /etc/rc3.d /etc/rc4.d /etc/rc5.d /etc/rcS.d 2>/dev/null || true; } | sed -n 's/^S[0-9]*//p' | sort -u
}
# A desktop session starts, at each login, the programs listed in /etc/xdg/autostart (GNOME
# Keyring lists its daemon three times: secrets, PKCS#11 and SSH agent). The entries this install
# adds are removed, as the links of the services are; dpkg takes a removed configuration file for
# the administrator's choice and does not bring it back on an upgrade. Entries that were there
# before are left as they are.
login_entries() {
  { find /etc/xdg/autostart -maxdepth 1 -name '*.desktop' 2>/dev/null || true; } | sort
}
# Boot tasks that the packages above bring (procps with cmake, x11-common with Qt's X libraries),
# which run once at boot and leave nothing running: procps applies the kernel settings of
# /etc/sysctl.d, x11-common makes the folders of X's sockets in /tmp. Disabling them would break
# other programs, so they stay enabled as long as they start in rcS alone; any other new start
# script is disabled.
boot_tasks=" procps x11-common "

units_before="$(enabled_units)"
links_before="$(unit_links)"
scripts_before="$(enabled_scripts)"
entries_before="$(login_entries)"

# Debian's maintainer scripts ask /usr/sbin/policy-rc.d whether they may start a service; 101
# means no. One that is already there (as in many containers) is left alone.
policy=/usr/sbin/policy-rc.d
own_policy=0
cleanup() {
  if ((own_policy)); then
    "${as_root[@]}" rm -f "$policy"
  fi
}
trap cleanup EXIT
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\n# Written by Vantora'"'"'s install-deps.sh while it installs packages; removed after.\nexit 101\n' |
    "${as_root[@]}" tee "$policy" >/dev/null
  "${as_root[@]}" chmod 755 "$policy"
  own_policy=1
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}"

# Whatever the install enabled is disabled (and stopped, should anything have started it anyway).
new_units="$(comm -13 <(echo "$units_before") <(enabled_units) | grep -v '^$' || true)"
for entry in $new_units; do
  scope="${entry%%:*}"
  unit="${entry#*:}"
  echo "Disabling $unit ($scope), which came with the packages above"
  "${as_root[@]}" systemctl --"$scope" disable --quiet "$unit" || true
  if [ "$scope" = system ] && [ -d /run/systemd/system ]; then
    "${as_root[@]}" systemctl stop --quiet "$unit" || true
  fi
done
new_scripts="$(comm -13 <(echo "$scripts_before") <(enabled_scripts) | grep -v '^$' || true)"
for script in $new_scripts; do
  if [[ "$boot_tasks" == *" $script "* ]] && ! ls /etc/rc[2-5].d/S[0-9][0-9]"$script" >/dev/null 2>&1; then
    echo "Leaving the boot task $script enabled (run once at boot, not a server)"
    continue
  fi
  echo "Disabling the start script $script, which came with the packages above"
  "${as_root[@]}" update-rc.d "$script" disable >/dev/null 2>&1 || true
  if [ ! -d /run/systemd/system ] && [ -x "/etc/init.d/$script" ]; then
    "${as_root[@]}" "/etc/init.d/$script" stop >/dev/null 2>&1 || true
  fi
done
# Last, as disabling a start script above also removes its service's links.
new_links="$(comm -13 <(echo "$links_before") <(unit_links) | grep -v '^$' || true)"
for link in $new_links; do
  scope=system
  [[ "$link" == /etc/systemd/user/* ]] && scope=global
  echo "Disabling ${link##*/} ($scope), which came with the packages above"
  "${as_root[@]}" rm -f "$link"
done
new_entries="$(comm -13 <(echo "$entries_before") <(login_entries) | grep -v '^$' || true)"
for entry in $new_entries; do
  echo "Removing the login entry ${entry##*/}, which came with the packages above"
  "${as_root[@]}" rm -f "$entry"
done
