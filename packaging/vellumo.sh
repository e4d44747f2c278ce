#!/bin/sh
# Vellumo's command: prepares the data folder on the first start, then runs
# the program. Paths are relative to this script, so the installation can be
# moved as a whole.
here=$(dirname "$(readlink -f "$0")")
share=$here/@VELLUMO_SHARE_FROM_BIN@
"$share/prepare-data-folder.sh" "$share/Bilder" ||
  echo "vellumo: the data folder could not be prepared" >&2
exec "$here/@VELLUMO_PROGRAM_FROM_BIN@" "$@"
