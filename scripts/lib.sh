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

# Boots a fresh prefix at $1 and prepares it as measured: no window manager
# wait on hide, Wine's fonts where Wine looks for them.
make_wine_template() {
  local prefix=$1
  wine_environment
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null 2>&1
  # A crash ends the test at once instead of waiting behind Wine's crash dialog.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
    /d 0 /f >/dev/null 2>&1
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  WINEPREFIX=$prefix wineserver -w
}

# Registers the stand-in mail world of build dir $2 in prefix $1, when it is
# built: a 64-bit build in the 64-bit view, a 32-bit one in the 32-bit view
# (Software\Wow6432Node), as each bitness's installer would.
register_standins() {
  local prefix=$1 build=$2
  local reg="$build/standins/standins.reg"
  [[ -f $reg ]] || return 0
  if [[ $(cat "$build/standins/bitness" 2>/dev/null) == 32 ]]; then
    # Debian's wine runs Wine's own programs 32-bit: this reg.exe writes the 32-bit view.
    WINEPREFIX=$prefix wine 'C:\windows\syswow64\reg.exe' import "$(winepath_of "$reg")" \
      >/dev/null 2>&1
  else
    WINEPREFIX=$prefix WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 reg import \
      "$(winepath_of "$reg")" >/dev/null 2>&1
  fi
  # Otherwise Wine answers every load of a mapi32.dll, the stand-in's beside
  # cdo.dll included, with its own built-in one, as Windows would not.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\DllOverrides' /v mapi32 /t REG_SZ \
    /d native,builtin /f >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
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
