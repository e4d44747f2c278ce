#!/bin/sh
# Puts Vellumo's fontconfig aliases into the user's own fontconfig folder
# ($XDG_CONFIG_HOME/fontconfig/conf.d, normally ~/.config/fontconfig/conf.d),
# for a program that is not installed system-wide (the package puts them into
# /etc/fonts/conf.d). A file of that name is replaced only when it differs.
# Usage: install-font-aliases.sh <aliases file>
set -eu
aliases=${1:?usage: install-font-aliases.sh <aliases file>}

config_home=${XDG_CONFIG_HOME:-}
if [ -z "$config_home" ]; then
  [ -n "${HOME:-}" ] || exit 0
  config_home=$HOME/.config
fi
folder=$config_home/fontconfig/conf.d
target=$folder/$(basename "$aliases")

[ -d "$folder" ] || mkdir -p "$folder"
cmp -s "$aliases" "$target" 2>/dev/null || cp "$aliases" "$target"
