# Shared by scripts/test and scripts/run: the Wine environment, the template
# prefix and a private X display.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

wine_environment() {
  export LANG=C
  unset LC_ALL
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
}

# The one way into Wine: a 32-bit program through the 32-bit loader, anything
# else (64-bit programs, Wine's own programs by name, all prefix work) through
# the 64-bit one. Debian's wine wrapper starts the 32-bit loader first for
# every program, which fails where 32-bit code cannot run and costs a minute
# where it is emulated. A child of the other bitness finds its loader from
# WINELOADER.
wine_start() {
  if [[ -f $1 && $(pe_bits "$1") == 32 ]]; then
    WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine "$@"
  else
    wine64_start "$@"
  fi
}

# Wine's own programs and all prefix work: always the 64-bit loader.
wine64_start() {
  WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 "$@"
}

wineserver_run() {
  /usr/lib/wine/wineserver64 "$@"
}

# 32 or 64: the machine field of a PE file's header.
pe_bits() {
  local pe machine
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')
  case $machine in
    014c) echo 32 ;;
    *) echo 64 ;;
  esac
}

# How this machine runs i386 programs: "native", "emulated" (an enabled
# binfmt_misc entry claims the i386 ELF header, and such an entry takes
# precedence over the kernel's own support) or "none". Found by running one:
# the 32-bit dynamic loader, which wine32 brings.
x86_mode() {
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo none
    return
  fi
  local misc=/proc/sys/fs/binfmt_misc entry magic
  if [[ $(cat "$misc/status" 2>/dev/null) == enabled ]]; then
    for entry in "$misc"/*; do
      [[ $entry == */register || $entry == */status ]] && continue
      grep -qx enabled "$entry" 2>/dev/null || continue
      magic=$(sed -n 's/^magic //p' "$entry")
      # e_ident for 32-bit little-endian, then e_machine 3 (i386) at byte 18.
      if [[ $magic == 7f454c460101* && ${magic:36:4} == 0300 ]]; then
        echo emulated
        return
      fi
    done
  fi
  echo native
}

# Boots a fresh prefix at $1 and prepares it as measured: no window manager
# wait on hide, Wine's fonts where Wine looks for them.
# wineboot.exe is Wine's own, not /usr/bin/wineboot, which goes through the wrapper.
make_wine_template() {
  local prefix=$1
  wine_environment
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  WINEPREFIX=$prefix wine64_start wineboot.exe -i >/dev/null 2>&1
  WINEPREFIX=$prefix wine64_start reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ \
    /d N /f >/dev/null 2>&1
  # A crash ends the test at once instead of waiting behind Wine's crash dialog.
  WINEPREFIX=$prefix wine64_start reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  WINEPREFIX=$prefix wineserver_run -w
}

# Registers the stand-in mail world of build dir $2 in prefix $1, when it is
# built: a 64-bit build in the 64-bit view, a 32-bit one in the 32-bit view
# (Software\Wow6432Node), as each bitness's installer would.
register_standins() {
  local prefix=$1 build=$2
  local reg="$build/standins/standins.reg"
  [[ -f $reg ]] || return 0
  # The file names the 32-bit view's keys outright: the 64-bit reg.exe imports
  # either build's, without a 32-bit process (a minute under emulation).
  WINEPREFIX=$prefix wine64_start reg import "$(winepath_of "$reg")" >/dev/null 2>&1
  # Otherwise Wine answers every load of a mapi32.dll, the stand-in's beside
  # cdo.dll included, with its own built-in one, as Windows would not.
  WINEPREFIX=$prefix wine64_start reg add 'HKCU\Software\Wine\DllOverrides' /v mapi32 \
    /t REG_SZ /d native,builtin /f >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver_run -w
}

# Z: maps the Unix root.
winepath_of() {
  local p
  p=$(readlink -f "$1")
  printf 'Z:%s' "${p//\//\\}"
}

# Starts a private Xvfb on a free display and exports DISPLAY; stopped on exit.
start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
      return 0
    fi
  done
  echo "no free X display" >&2
  return 1
}
