#!/usr/bin/env bash
# Writes tellwick-export's manual page from the program's own --help and
# --version (help2man), with resources/linux/tellwick-export.h2m for what
# the help does not say.
# usage: make-manual.sh TELLWICK_EXPORT OUTPUT
set -euo pipefail
program="$(realpath "$1")"
output="$2"
include="$(dirname "$0")/../resources/linux/tellwick-export.h2m"
wrapper_dir="$(mktemp -d)"
trap 'rm -rf "$wrapper_dir"' EXIT

# help2man reads usage lines in the GNU form, "Usage: A" then "  or: B",
# where the help lists them under "usage:", one a line; and it joins
# indented lines into one paragraph unless a blank line parts them, which
# the examples need. Nothing else changes.
cat >"$wrapper_dir/tellwick-export" <<WRAPPER
#!/bin/sh
if [ "\$1" != --help ]; then exec "$program" "\$@"; fi
"$program" --help | awk '
  NR == 1 && \$0 == "usage:" { usage = 1; next }
  usage && /^  / { sub(/^ +/, ""); print (++n == 1 ? "Usage: " : "  or:  ") \$0; next }
  \$0 == "Examples:" { examples = 1; print; next }
  examples && /^  / { print; print ""; next }
  { usage = 0; examples = 0; print }'
WRAPPER
chmod 755 "$wrapper_dir/tellwick-export"
help2man --no-info --no-discard-stderr --section=1 --manual="User Commands" \
  --include="$include" --output="$output" "$wrapper_dir/tellwick-export"
