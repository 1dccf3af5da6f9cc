#!/bin/sh
# Creates and configures a 32-bit Wine prefix once: one 1024x768 virtual desktop, no crash
# dialog, Wine's own fonts in C:\windows\Fonts so that "MS Sans Serif" maps as on Windows.
set -e
case "$1" in
  /*) ;;
  *) echo "wine-prefix.sh: the prefix must be an absolute path, not '$1'" >&2; exit 2 ;;
esac
export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all
[ -f "$WINEPREFIX/.configured" ] && exit 0
unset DISPLAY
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
if [ -d /usr/share/wine/fonts ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
fi
wineserver -w
touch "$WINEPREFIX/.configured"
