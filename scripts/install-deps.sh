#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only when some are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-declarative-dev qt6-image-formats-plugins
  libsqlite3-dev zlib1g-dev libplist-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils fonts-courier-prime fonts-dejavu-core
  shared-mime-info desktop-file-utils openssl curl dpkg-dev file
  libsecret-1-dev gnome-keyring dbus dbus-bin libglib2.0-bin gsettings-desktop-schemas
  libkrb5-dev krb5-kdc krb5-admin-server krb5-user apache2 libapache2-mod-auth-gssapi
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

((${#missing[@]})) || exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
elif command -v sudo >/dev/null 2>&1; then
  sudo apt-get update -qq
  sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "These Debian packages are missing: ${missing[*]}" >&2
  echo "Neither root nor sudo is available here. Install them as root, for example:" >&2
  echo "  su -c '$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/install-deps.sh'" >&2
  exit 1
fi
