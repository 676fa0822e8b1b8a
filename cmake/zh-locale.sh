#!/bin/sh
# Makes the zh_CN.UTF-8 locale in the folder given as $1 if it is not there
# yet. A Wine process started with LOCPATH=$1 LANG=zh_CN.UTF-8
# LC_ALL=zh_CN.UTF-8 has the device's ANSI code page, 936.
set -eu
dir=$1
[ -f "$dir/zh_CN.UTF-8/LC_CTYPE" ] && exit 0
mkdir -p "$dir"
exec 9>"$dir.lock"
flock 9
[ -f "$dir/zh_CN.UTF-8/LC_CTYPE" ] && exit 0
localedef -c -i zh_CN -f UTF-8 "$dir/zh_CN.UTF-8.new"
rm -rf "$dir/zh_CN.UTF-8"
mv "$dir/zh_CN.UTF-8.new" "$dir/zh_CN.UTF-8"
