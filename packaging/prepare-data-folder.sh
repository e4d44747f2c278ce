#!/bin/sh
# Makes Vellumo ready for its first start: creates the data folder
# ($XDG_DATA_HOME/Quarnwerk/Vellumo, normally ~/.local/share/Quarnwerk/Vellumo)
# and its picture folder "Bilder" when they are missing, and puts the ink
# pictures of <pictures folder> into a picture folder made just now. Existing
# folders and files are left as they are: a picture the user deleted stays
# deleted, a file of the same name is never overwritten.
# Usage: prepare-data-folder.sh <pictures folder>
set -eu
pictures=${1:?usage: prepare-data-folder.sh <pictures folder>}

# The program takes the data home from XDG_DATA_HOME, or ~/.local/share when
# that is empty.
data_home=${XDG_DATA_HOME:-}
if [ -z "$data_home" ]; then
  [ -n "${HOME:-}" ] || exit 0
  data_home=$HOME/.local/share
fi
folder=$data_home/Quarnwerk/Vellumo

[ -d "$folder" ] || mkdir -p "$folder"
if [ ! -d "$folder/Bilder" ]; then
  mkdir "$folder/Bilder"
  for file in "$pictures"/*.bmp; do
    [ -f "$file" ] || continue
    target=$folder/Bilder/$(basename "$file")
    [ -e "$target" ] || cp "$file" "$target"
  done
fi
