#!/bin/sh
# Installs the Debian packages that building, running and testing Talvessa need.
# Does nothing when they are all present already.
set -e
PACKAGES="cmake g++ make qt6-base-dev qt6-base-dev-tools libgl-dev libbenchmark-dev
 inspircd atheme-services ngircd unrtf famfamfam-flag-png fonts-dejavu-core
 xvfb xauth imagemagick openbox xdotool xclip python3 libssl-dev libsqlite3-dev openssl ca-certificates
 librsvg2-bin desktop-file-utils appstream dpkg-dev file dbus-daemon lintian"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
fi
