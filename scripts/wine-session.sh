# Sourced by the scripts that run Windows programs: a virtual X display and a fresh Wine prefix
# for the calling script, both taken down when it exits.
#
# wine_session_start PREFIX_DIR WIDTH sets WINE to the loader for programs of that width (32 or
# 64) and runs Wine with it throughout. The 64-bit loader is named directly: the wine command
# prefers the 32-bit one whenever wine32 is installed.

# wine_loader WIDTH: the command that starts Windows programs of that width.
wine_loader() {
  if [ "$1" = 64 ]; then echo /usr/lib/wine/wine64; else echo wine; fi
}

# wine_session_start PREFIX_DIR WIDTH
wine_session_start() {
  local prefix=$1 display_file
  WINE=$(wine_loader "$2")
  export WINE
  if [ "$2" = 64 ]; then export WINELOADER=$WINE; else unset WINELOADER; fi
  rm -rf "$prefix"
  mkdir -p "$prefix"
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  WINE_SESSION_XVFB=$!
  trap wine_session_stop EXIT
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '\n' <"$display_file")"
  rm -f "$display_file"
  export WINEPREFIX=$prefix WINEDEBUG=-all
  # No Mono or Gecko: nothing here needs them, and installing them would ask for the network.
  WINEDLLOVERRIDES="mscoree=;mshtml=" timeout 300 "$WINE" wineboot.exe -i >/dev/null 2>&1
  timeout 120 wineserver -w
  # Wine's own fonts (fonts-wine: MS Sans Serif, Marlett for the caption buttons, Tahoma) are
  # found only in the prefix's font folder, where this Wine's set-up does not put them.
  if [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  fi
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${WINE_SESSION_XVFB:-}" ]; then
    kill "$WINE_SESSION_XVFB" 2>/dev/null || true
    wait "$WINE_SESSION_XVFB" 2>/dev/null || true
    WINE_SESSION_XVFB=
  fi
}
