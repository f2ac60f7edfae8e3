#!/usr/bin/env bash
# Prints the test order through a private CUPS server exactly as the
# printing tests do (the program's Print command, the PDF queue) and turns
# the printed page into a PNG picture, e.g. for the README.
#
# usage: tests/print/printed-page.sh BUILD_DIR OUT.png [DPI]
# needs: a built tst_print in BUILD_DIR, cups, printer-driver-cups-pdf, poppler-utils
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: printed-page.sh BUILD_DIR OUT.png [DPI]}" && pwd)
out=${2:?usage: printed-page.sh BUILD_DIR OUT.png [DPI]}
dpi=${3:-150}

dir=/tmp/vexa-page-$$
work=$(mktemp -d)
trap '"$here/cups-stop.sh" "$dir" >/dev/null; rm -rf "$work"' EXIT

CI=1 "$here/cups-start.sh" "$dir" VexaPDF
CUPS_SERVER=$dir/cups.sock VEXA_CUPS_DIR=$dir VEXA_CUPS_QUEUE=VexaPDF \
    VEXA_KEEP_PRINT=$work/page.pdf QT_QPA_PLATFORM=offscreen \
    "$build/tests/app/tst_print" "printsFilledOrder:menu item" >/dev/null
pdftoppm -r "$dpi" -png -singlefile "$work/page.pdf" "$work/page"
cp "$work/page.png" "$out"
echo "wrote $out"
