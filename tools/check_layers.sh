#!/bin/sh
# The layer rule, checked on the sources: every #include of a project header
# from a layer folder must name the folder itself or a layer it may use.
# The build's include paths cannot say this alone, since a staged folder also
# shows its subfolders (ui/qt inside ui, app/main inside app).
#
#   tools/check_layers.sh [ROOT]     ROOT: the source tree (default: this script's tree)
#
# The table is the linkar_layer() and linkar_layer_rule() calls of
# ROOT/CMakeLists.txt: a name, its folder, then the names of the layers it may
# use. A file belongs to the deepest declared folder holding it; an include
# belongs to the deepest declared folder holding the file it names (looked up
# beside the including file first, as the compiler does). An include of a
# path outside every layer (tests/..., bench/...) is refused as well.
#
# Exit status: 0 when every include is allowed, 1 when some are not (each is
# named as FILE:LINE), 2 when the table cannot be read.
set -eu

root=${1:-$(dirname "$0")/..}
cd "$root"
[ -f CMakeLists.txt ] || { echo "check_layers: no CMakeLists.txt in $root" >&2; exit 2; }

table=$(awk '
  # A call may span lines: gather it up to its closing parenthesis.
  !open && /^[ \t]*linkar_layer(_rule)?[ \t]*\(/ { open = 1; call = "" }
  open {
    call = call " " $0
    if (index($0, ")") == 0) next
    open = 0
    sub(/^[^(]*\(/, "", call)
    sub(/\).*$/, "", call)
    n = split(call, word, /[ \t]+/)
    line = ""
    for (i = 1; i <= n; i++) if (word[i] != "") line = line " " word[i]
    print substr(line, 2)
  }
' CMakeLists.txt)
[ -n "$table" ] || { echo "check_layers: no layers declared in $root/CMakeLists.txt" >&2; exit 2; }

folders=$(printf '%s\n' "$table" | awk '{ print $2 }')
files=$(for folder in $folders; do
  if [ -d "$folder" ]; then find "$folder" -type f \( -name '*.cpp' -o -name '*.h' \); fi
done | sort -u)
[ -n "$files" ] || { echo "check_layers: no sources under the layer folders" >&2; exit 2; }

tablefile=$(mktemp)
trap 'rm -f "$tablefile"' EXIT
printf '%s\n' "$table" > "$tablefile"

# shellcheck disable=SC2086  # one argument per file; names hold no blanks
awk '
  function fail(message) { print "check_layers: " message > "/dev/stderr"; broken = 1; exit 2 }

  # The deepest declared folder holding `path` (a file path), or "".
  function layerOf(path,    best, f) {
    best = ""
    for (f in allowed)
      if (index(path, f "/") == 1 && length(f) > length(best)) best = f
    return best
  }

  # `path` with "." and ".." steps taken out.
  function normalised(path,    n, part, out, i, depth, k) {
    n = split(path, part, "/")
    depth = 0
    for (i = 1; i <= n; i++) {
      if (part[i] == "" || part[i] == ".") continue
      if (part[i] == "..") { if (depth > 0) depth--; continue }
      out[++depth] = part[i]
    }
    path = ""
    for (k = 1; k <= depth; k++) path = path (k > 1 ? "/" : "") out[k]
    return path
  }

  function exists(path,    line, rc) {
    rc = (getline line < path)
    close(path)
    return rc >= 0
  }

  FNR == NR {
    folder[$1] = $2
    uses[$2] = ""
    for (i = 3; i <= NF; i++) uses[$2] = uses[$2] " " $i
    allowed[$2] = 1
    next
  }

  FNR == 1 {
    if (!resolved) {
      # Every name a layer uses must be declared.
      for (f in uses) {
        n = split(uses[f], dep, " ")
        for (i = 1; i <= n; i++) {
          if (!(dep[i] in folder)) fail("layer " f " names an undeclared layer " dep[i])
          may[f, folder[dep[i]]] = 1
        }
        may[f, f] = 1
      }
      resolved = 1
    }
    checked++
    own = layerOf(FILENAME)
    dir = FILENAME
    sub(/\/[^\/]*$/, "", dir)
  }

  /^[ \t]*#[ \t]*include[ \t]*"/ {
    target = $0
    sub(/^[^"]*"/, "", target)
    sub(/".*$/, "", target)
    beside = normalised(dir "/" target)
    path = exists(beside) ? beside : normalised(target)
    if (index(path, "/") == 0) next
    used = layerOf(path)
    if (used == "") {
      printf "%s:%d: includes \"%s\": %s is outside every layer\n", FILENAME, FNR, target, path
      bad++
    } else if (!((own, used) in may)) {
      printf "%s:%d: includes \"%s\": layer %s may not use %s\n", FILENAME, FNR, target, own, used
      bad++
    }
  }

  END {
    if (broken) exit 2
    if (bad) { printf "check_layers: %d forbidden include(s) in %d files\n", bad, checked; exit 1 }
    printf "check_layers: %d files, every include allowed\n", checked
  }
' "$tablefile" $files
