#!/bin/sh
# Creates the Wine prefix given as $1 if it is not there yet: headless (null
# graphics driver), Chinese fonts mapped, then starts a persistent wine server
# so that short test programs do not each pay for a server start.
set -eu
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
export PATH=/usr/lib/wine:$PATH
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# A prefix made without 32-bit Wine has no 32-bit system folder: it is made
# again once 32-bit Wine is there (and when it has gone).
state="wine32=$([ -x /usr/lib/wine/wine ] && echo yes || echo no)"
if [ "$(cat "$prefix/.ready" 2>/dev/null)" != "$state" ]; then
    [ -d "$prefix" ] && { wineserver -k </dev/null >/dev/null 2>&1 || true; }
    rm -rf "$prefix"
    wine64 wineboot -i </dev/null >/dev/null 2>&1
    wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    R='HKCU\Software\Wine\Fonts\Replacements'
    for f in 宋体 SimSun 新宋体 NSimSun 黑体 SimHei 微软雅黑 "Microsoft YaHei"; do
        wine64 reg add "$R" /v "$f" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    L='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    for f in "DejaVu Sans" Tahoma "Microsoft Sans Serif"; do
        wine64 reg add "$L" /v "$f" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    wineserver -w
    echo "$state" >"$prefix/.ready"
fi
# A persistent server; neither its output nor the lock may stay with it, or
# the caller's pipes and the next start would wait for it to end.
exec 9>&-
wineserver -p </dev/null >/dev/null 2>&1 || true  # already running
wine64 wineboot </dev/null >/dev/null 2>&1
