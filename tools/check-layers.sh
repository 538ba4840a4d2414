#!/usr/bin/env bash
# Keeps the folders of src/ in their layers, by their #include lines:
#  - a window folder includes neither another window folder nor the shell (app/);
#  - a shared layer includes no window folder and not app/;
#  - a file of the core library includes no widget header (Qt Widgets or Print
#    Support) and no project header whose source belongs to the UI library.
# A header belongs to the library of the source file of the same name; one without
# a source file of its own counts as core.
# Usage: check-layers.sh SRC_DIR CORE_SOURCES UI_SOURCES QT_INCLUDE_DIR
# (the two lists hold one absolute source path a line, as CMake writes them).
set -euo pipefail
src=${1%/} core_list=$2 ui_list=$3 qt=${4:-}

windows=" browse import viewer print options maintenance help dicom "
shared=" store settings widgets imaging platform "

# Qt's widget headers: those of Qt Widgets and Print Support that Qt Core and Qt
# Gui do not also provide (QAction and a few others moved to Qt Gui).
[ -d "$qt/QtWidgets" ] || { echo "check-layers: no QtWidgets folder in $qt" >&2; exit 2; }
declare -A widget_header=()
for f in "$qt"/QtWidgets/* "$qt"/QtPrintSupport/*; do widget_header[${f##*/}]=1; done
for f in "$qt"/QtCore/* "$qt"/QtGui/*; do unset "widget_header[${f##*/}]"; done

# Sources by library, as paths below src/.
declare -A library=()
while read -r path; do case $path in "$src"/*) library[${path#"$src"/}]=core ;; esac; done <"$core_list"
while read -r path; do case $path in "$src"/*) library[${path#"$src"/}]=ui ;; esac; done <"$ui_list"

# The library of a file below src/, in REPLY: its own, or for a header that of its
# source; "core" for a header without one, empty for a file of neither (the
# executable's main).
library_of() {
    case $1 in
    *.h) REPLY=${library[${1%.h}.cpp]:-core} ;;
    *) REPLY=${library[$1]:-} ;;
    esac
}

failures=0
fail() {
    echo "src/$1: #include $2: $3"
    failures=$((failures + 1))
}

while IFS= read -r file; do
    rel=${file#"$src"/}
    folder=${rel%%/*}
    [ "$folder" = "$rel" ] && continue
    library_of "$rel"
    lib=$REPLY
    while IFS= read -r line; do
        [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+)[\"\>] ]] || continue
        quote=${BASH_REMATCH[1]} name=${BASH_REMATCH[2]}
        if [ "$quote" = '"' ]; then shown="\"$name\""; else shown="<$name>"; fi
        # A header named without its folder is one beside the including file.
        [[ $quote == '"' && $name != */* && -f "$src/$folder/$name" ]] && name="$folder/$name"
        target=""
        [[ $name == */* && -d "$src/${name%%/*}" ]] && target=${name%%/*}
        if [ -n "$target" ] && [ "$target" != "$folder" ]; then
            if [[ $windows == *" $folder "* && ( $windows == *" $target "* || $target == app ) ]]; then
                fail "$rel" "$shown" "a window folder includes another window folder or app/"
            elif [[ $shared == *" $folder "* && ( $windows == *" $target "* || $target == app ) ]]; then
                fail "$rel" "$shown" "a shared layer includes a window folder or app/"
            fi
        fi
        [ "$lib" = core ] || continue
        library_of "$name"
        if [ -n "$target" ] && [ -f "$src/$name" ] && [ "$REPLY" = ui ]; then
            fail "$rel" "$shown" "a core library file includes a header of the UI library"
        elif [ "$quote" = '<' ] && { [[ $name == QtWidgets/* || $name == QtPrintSupport/* ]] ||
            [ -n "${widget_header[$name]:-}" ]; }; then
            fail "$rel" "$shown" "a core library file includes a widget header"
        fi
    done <"$file"
done < <(find "$src" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures forbidden include(s)"
    exit 1
fi
echo "check-layers: every include keeps to its layer"
