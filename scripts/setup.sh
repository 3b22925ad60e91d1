#!/usr/bin/env bash
# Installs and prepares everything the three builds and their tests need on a
# Debian 12 (bookworm) x86_64 machine. Idempotent: every step checks first and
# the expensive results are cached under $DEPS_DIR keyed by their versions.
#
#   scripts/setup.sh            everything
#   STEPS="apt curl" scripts/setup.sh
#
# Outputs (stable paths the CMake presets use):
#   $DEPS_DIR/curl-i686-w64-mingw32, $DEPS_DIR/curl-x86_64-w64-mingw32   static libcurl (Schannel)
#   $DEPS_DIR/lzma-sdk/C                                                   7z reader sources
#   $DEPS_DIR/wine/prefix64, $DEPS_DIR/wine/prefix32                       Wine prefixes
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS_DIR=$(realpath -m "${DEPS_DIR:-$ROOT/build/deps}")
STEPS=${STEPS:-"apt qemu locale curl lzma wine"}
JOBS=${JOBS:-$(nproc)}
export DEBIAN_FRONTEND=noninteractive
mkdir -p "$DEPS_DIR/src"

step() { echo "== [setup $(date +%T)] $*" >&2; }
has() { [[ " $STEPS " == *" $1 "* ]]; }
T_ALL=$SECONDS

APT_PACKAGES=(
  build-essential cmake ninja-build pkg-config dpkg-dev ca-certificates git python3 bc
  libcurl4-openssl-dev zlib1g-dev libstb-dev libgtest-dev libgmock-dev libcpp-httplib-dev
  7zip p7zip-full nginx aria2 curl
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 wine32:i386 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei locales
)

# ---------------------------------------------------------------- apt
apt_missing() {
  local p missing=()
  for p in "${APT_PACKAGES[@]}"; do
    dpkg-query -W -f='${db:Status-Status}\n' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

if has apt; then
  missing=$(apt_missing)
  if [ -n "$missing" ]; then
    step "apt: installing $missing"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    # apt-get source needs deb-src entries; qemu 10 comes from bookworm-backports.
    if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      cat > /etc/apt/sources.list.d/tessaro-src.sources <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    fi
    if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; then
      echo "deb http://deb.debian.org/debian bookworm-backports main" > /etc/apt/sources.list.d/tessaro-backports.list
    fi
    apt-get -o DPkg::Lock::Timeout=600 update -q >/dev/null
    apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends --no-upgrade \
      -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
      "${APT_PACKAGES[@]}" > "$DEPS_DIR/apt.log" 2>&1 || { tail -30 "$DEPS_DIR/apt.log" >&2; exit 1; }
    # nginx is started by the tests on their own ports, never as the system service.
    systemctl disable --now nginx >/dev/null 2>&1 || service nginx stop >/dev/null 2>&1 || true
    step "apt done"
  fi
fi

# ---------------------------------------------------------------- qemu for 32-bit code
# This kernel cannot run i386 code; wine32 runs through qemu-user 10 (bookworm's 7.2 is far too
# slow with Wine). Unpacked privately so no system package is replaced. binfmt registration does
# not survive a reboot, so it is checked on every run.
QEMU=$DEPS_DIR/qemu10/usr/bin/qemu-i386
if has qemu; then
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1 || [ -e /proc/sys/fs/binfmt_misc/qemu-i386-v10 ]; then
    mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    if [ ! -x "$QEMU" ]; then
      step "qemu-user from bookworm-backports"
      if ! apt-cache policy qemu-user | grep -q bpo12; then apt-get -o DPkg::Lock::Timeout=600 update -q >/dev/null; fi
      rm -rf "$DEPS_DIR/qemu-dl" && mkdir -p "$DEPS_DIR/qemu-dl"
      (cd "$DEPS_DIR/qemu-dl" && apt-get download -q qemu-user/bookworm-backports >/dev/null)
      rm -rf "$DEPS_DIR/qemu10" && dpkg-deb -x "$(ls "$DEPS_DIR"/qemu-dl/qemu-user_*_amd64.deb | head -1)" "$DEPS_DIR/qemu10"
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386-v10 ] || ! grep -q "$QEMU" /proc/sys/fs/binfmt_misc/qemu-i386-v10; then
      [ -e /proc/sys/fs/binfmt_misc/qemu-i386-v10 ] && echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386-v10
      # F: open the interpreter now, P: keep argv[0], C: the binary's credentials.
      echo ":qemu-i386-v10:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$QEMU:FPC" \
        > /proc/sys/fs/binfmt_misc/register
    fi
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "i386 code still cannot run" >&2; exit 1; }
  fi
fi

# ---------------------------------------------------------------- locale
if has locale; then
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    step "zh_CN.UTF-8 locale"
    sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null 2>&1
  fi
fi

# ---------------------------------------------------------------- Debian sources
fetch_src() {  # $1 = source package; prints the unpacked directory
  local pkg=$1 ver base dir
  ver=$(apt-cache showsrc "$pkg" | awk '/^Version:/{print $2}' | sort -V | tail -1)
  [ -n "$ver" ] || { apt-get -o DPkg::Lock::Timeout=600 update -q >/dev/null;
                     ver=$(apt-cache showsrc "$pkg" | awk '/^Version:/{print $2}' | sort -V | tail -1); }
  base="$DEPS_DIR/src/${pkg}_${ver#*:}"
  dir=$(find "$base" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -1)
  if [ -z "$dir" ]; then
    rm -rf "$base" && mkdir -p "$base"
    (cd "$base" && apt-get source -q "$pkg=$ver" >/dev/null 2>&1)
    dir=$(find "$base" -mindepth 1 -maxdepth 1 -type d | head -1)
  fi
  echo "$dir"
}

# ---------------------------------------------------------------- libcurl for mingw
toolchain_file() {  # $1 = triplet; the compilers with the posix thread model
  local host=$1 proc=${1%%-*} f="$DEPS_DIR/toolchain-$1.cmake"
  cat > "$f.tmp" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $proc)
set(CMAKE_C_COMPILER   $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER  $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
  if cmp -s "$f.tmp" "$f"; then rm "$f.tmp"; else mv "$f.tmp" "$f"; fi
  echo "$f"
}

if has curl; then
  CURL_SRC=$(fetch_src curl)
  CURL_VER=$(basename "$(dirname "$CURL_SRC")"); CURL_VER=${CURL_VER#curl_}
  for HOST in i686-w64-mingw32 x86_64-w64-mingw32; do
    TC=$(toolchain_file "$HOST")
    CURL_OPTS=(
      -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF
      -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF -DCURL_ENABLE_EXPORT_TARGET=ON
      -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_WINDOWS_SSPI=ON
      -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
      -DCURL_ZLIB=ON "-DZLIB_INCLUDE_DIR=/usr/$HOST/include" "-DZLIB_LIBRARY=/usr/$HOST/lib/libz.a"
      -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DUSE_NGTCP2=OFF -DUSE_QUICHE=OFF -DUSE_MSH3=OFF
      -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_USE_LIBPSL=OFF -DCURL_USE_LIBSSH2=OFF
      -DCURL_USE_LIBSSH=OFF -DCURL_USE_GSSAPI=OFF -DENABLE_ARES=OFF -DENABLE_UNIX_SOCKETS=OFF
      -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_DICT=ON
      -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_SMTP=ON
      -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_SMB=ON -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_TFTP=ON
      -DCURL_DISABLE_MQTT=ON
    )
    KEY=$( { printf '%s\n' "${CURL_OPTS[@]}"; cat "$TC"; "$HOST-gcc-posix" --version | head -1;
             dpkg-query -W -f='${Version}' libz-mingw-w64-dev; } | sha256sum | cut -c1-10)
    PREFIX=$DEPS_DIR/curl-$CURL_VER-$HOST-$KEY
    if [ ! -f "$PREFIX/.stamp" ]; then
      step "building libcurl $CURL_VER for $HOST (-j$JOBS)"
      rm -rf "$PREFIX" "$DEPS_DIR/build-curl-$HOST"
      cmake -S "$CURL_SRC" -B "$DEPS_DIR/build-curl-$HOST" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TC" -DCMAKE_INSTALL_PREFIX="$PREFIX" "${CURL_OPTS[@]}" >/dev/null
      cmake --build "$DEPS_DIR/build-curl-$HOST" -j"$JOBS" >/dev/null
      cmake --install "$DEPS_DIR/build-curl-$HOST" >/dev/null
      rm -rf "$DEPS_DIR/build-curl-$HOST"
      touch "$PREFIX/.stamp"
    fi
    ln -sfn "$(basename "$PREFIX")" "$DEPS_DIR/curl-$HOST"
  done
fi

# ---------------------------------------------------------------- 7z reader sources
if has lzma; then
  SZ_SRC=$(fetch_src 7zip)
  SZ_VER=$(basename "$(dirname "$SZ_SRC")"); SZ_VER=${SZ_VER#7zip_}
  LZ_DIR=$DEPS_DIR/lzma-sdk-$SZ_VER
  LZ_FILES="7zAlloc 7zArcIn 7zBuf 7zCrc 7zCrcOpt 7zDec 7zStream Bcj2 Bra Bra86 BraIA64 CpuArch Delta Lzma2Dec LzmaDec"
  if [ ! -f "$LZ_DIR/.stamp" ]; then
    step "7z reader from 7zip $SZ_VER"
    rm -rf "$LZ_DIR" && mkdir -p "$LZ_DIR/C"
    for f in $LZ_FILES; do cp "$SZ_SRC/C/$f.c" "$LZ_DIR/C/"; done
    cp "$SZ_SRC"/C/*.h "$LZ_DIR/C/"
    echo "$LZ_FILES" > "$LZ_DIR/SOURCES" && touch "$LZ_DIR/.stamp"
  fi
  ln -sfn "$(basename "$LZ_DIR")" "$DEPS_DIR/lzma-sdk"
fi

# ---------------------------------------------------------------- Wine prefixes
# Made once and reused: the CJK font substitutes (the skin asks for "微软雅黑") and a
# Windows 10 version, as on the machines the installer targets.
if has wine; then
  export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
  WINE_VER=$(dpkg-query -W -f='${Version}' wine64 | tr -c 'A-Za-z0-9.\n' _)
  REG=$DEPS_DIR/wine/fonts_zh.reg
  mkdir -p "$DEPS_DIR/wine"
  python3 - "$REG" <<'EOF'
import sys
c = '''Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]
"微软雅黑"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"

'''
open(sys.argv[1], 'wb').write(b'\xff\xfe' + c.replace('\n', '\r\n').encode('utf-16-le'))
EOF
  for BITS in 64 32; do
    PFX=$DEPS_DIR/wine/prefix$BITS
    [ -f "$PFX/.stamp-$WINE_VER" ] && continue
    step "Wine prefix win$BITS"
    rm -rf "$PFX"
    if [ $BITS = 64 ]; then W=/usr/lib/wine/wine64; ARCH=win64; else W=wine; ARCH=win32; fi
    WINEPREFIX=$PFX WINEARCH=$ARCH timeout 600 $W wineboot -i > "$DEPS_DIR/wine/wineboot$BITS.log" 2>&1
    WINEPREFIX=$PFX timeout 300 $W regedit /S "Z:${REG//\//\\}"
    WINEPREFIX=$PFX timeout 300 $W winecfg -v win10
    WINEPREFIX=$PFX timeout 300 wineserver -w
    touch "$PFX/.stamp-$WINE_VER"
  done
  # Wine links the user's Desktop, Documents, ... to the real home folder; the tests' shortcuts
  # and files stay inside the prefix instead.
  for BITS in 64 32; do
    for link in "$DEPS_DIR/wine/prefix$BITS/drive_c/users/$(id -un)"/*; do
      [ -L "$link" ] && rm "$link" && mkdir -p "$link"
    done
  done
fi

step "setup done in $((SECONDS-T_ALL)) s"
