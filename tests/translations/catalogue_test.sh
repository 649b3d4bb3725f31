#!/bin/sh
# The German catalogue is complete: lupdate, run over the sources into a copy of it, finds no
# text of the code without its translation (a new or changed one) and none the code no longer
# has. Mending it: `ninja update_translations`, then translate what it marks unfinished.
# Usage: catalogue_test.sh LUPDATE SOURCE_DIR SCRATCH_DIR
set -eu
lupdate=$1 source=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
cp "$source/translations/quenbry_de.ts" "$scratch/"
find "$source/src" -name '*.cpp' -o -name '*.h' >"$scratch/sources"
"$lupdate" -silent -locations none "@$scratch/sources" -ts "$scratch/quenbry_de.ts"
if grep -n -B2 -E 'type="(unfinished|vanished|obsolete)"|<translation( [^>]*)?(/>|></translation>)' \
  "$scratch/quenbry_de.ts"; then
  echo "FAIL: translations/quenbry_de.ts does not translate exactly the texts of the code"
  exit 1
fi
