#!/usr/bin/env bash
# Checks an installed package folder for the given platforms (x86, x64):
#   - exactly the expected files: Zorvel.dll and its manifest alone in bin/,
#     the test hosts and ZorvelRender in tools/, a debug file for each of
#     them in debug/, the header, IDL, type libraries, the tree's docs and
#     samples, README.md, LICENSE, CHANGELOG.md and THIRD-PARTY-NOTICES.txt;
#   - each binary built for its platform, with a version resource (read with
#     GetFileVersionInfo under Wine) naming the project's version, product and
#     company, stripped of debug sections, and linked by .gnu_debuglink (name
#     and checksum) to its debug file, which holds the debug information;
#   - each manifest naming its platform and the class;
#   - the notices holding Lua's copyright line as Lua's sources state it, the
#     changelog a section for this version;
#   - no absolute path of the source or build trees in any file;
#   - every link of README.md relative and resolving inside the package;
#   - the guide's and the README's examples exactly the files the tests run.
# usage: check_package.sh [--version-info EXE] [--build-dir DIR]... PACKAGE_DIR SOURCE_DIR PLATFORM...
#   --version-info  tests/package/version_info.cpp built for Windows (default:
#                   SOURCE_DIR/build/bin/package_version_info.exe), run with
#                   SOURCE_DIR/scripts/wine-run in the prefix it picks
#   --build-dir     a build tree whose path must not appear (SOURCE_DIR is
#                   always checked; the preset trees are inside it)
set -u
version_info='' build_dirs=()
while [ $# -gt 0 ]; do
  case $1 in
    --version-info) version_info=$2; shift 2 ;;
    --build-dir) build_dirs+=("$2"); shift 2 ;;
    *) break ;;
  esac
done
if [ $# -lt 3 ]; then
  echo "usage: check_package.sh [--version-info EXE] [--build-dir DIR]... PACKAGE_DIR SOURCE_DIR PLATFORM..." >&2
  exit 2
fi
pkg=$1 src=$2
shift 2
version_info=$(realpath -m "${version_info:-$src/build/bin/package_version_info.exe}")
wine_run=$(realpath -m "$src/scripts/wine-run")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

tools=(LuaZorvelTest.exe KandelTest.exe ZorvelRender.exe)
version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in $src/CMakeLists.txt"

# --- The files ----------------------------------------------------------------
expected=(README.md LICENSE CHANGELOG.md THIRD-PARTY-NOTICES.txt
          include/zorvel.idl include/dispids.h include/zorvel_h.h include/zorvel_i.c)
for arch in "$@"; do
  expected+=(bin/$arch/Zorvel.dll bin/$arch/Vexo.Zorvel.manifest lib/$arch/zorvel.tlb
             debug/$arch/Zorvel.dll.debug)
  for tool in "${tools[@]}"; do expected+=(tools/$arch/$tool debug/$arch/$tool.debug); done
done
# The docs and samples are whatever the tree holds.
while IFS= read -r f; do expected+=("$f"); done < <(
  cd "$src" && { find docs -maxdepth 1 -type f \( -name '*.md' -o -name '*.png' -o -name '*.svg' \);
                 [ -d samples ] && find samples -type f; })
actual=$(cd "$pkg" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
if [ "$actual" != "$wanted" ]; then
  fail "package files differ from the layout:"
  diff <(echo "$wanted") <(echo "$actual") | sed -n 's/^[<>]/  &/p'
fi
# Programs are tools, not deliverables beside the DLL.
for f in $(cd "$pkg" && find bin -type f -iname '*.exe' 2>/dev/null); do
  fail "$f: programs belong under tools/, not bin/"
done

# --- The binaries -------------------------------------------------------------
# The machine field of a PE image: 014c for x86, 8664 for x64.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 0
  od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}
# The CRC-32 of a file as .gnu_debuglink holds it (gzip's trailer has the same CRC).
crc32() { gzip -c "$1" | tail -c8 | od -An -tx4 -N4 | tr -d ' '; }

binaries=()
for arch in "$@"; do
  case $arch in
    x86) machine=014c manifest_arch=x86 triplet=i686-w64-mingw32 ;;
    x64) machine=8664 manifest_arch=amd64 triplet=x86_64-w64-mingw32 ;;
    *) fail "unknown platform $arch"; continue ;;
  esac
  for f in bin/$arch/Zorvel.dll "${tools[@]/#/tools/$arch/}"; do
    [ -f "$pkg/$f" ] || continue
    binaries+=("$f")
    got=$(pe_machine "$pkg/$f")
    [ "$got" = "$machine" ] || fail "$f is built for machine $got, not $machine"

    sections=$("$triplet-objdump" -h "$pkg/$f" 2>/dev/null | awk '$1 ~ /^[0-9]+$/ { print $2 }')
    [ -n "$sections" ] || fail "$f: objdump reads no sections"
    debug_sections=$(echo "$sections" | grep '^\.debug_' | tr '\n' ' ')
    [ -z "$debug_sections" ] || fail "$f is not stripped: $debug_sections"
    if ! echo "$sections" | grep -qx '\.gnu_debuglink'; then
      fail "$f has no .gnu_debuglink"
      continue
    fi
    # The section: the debug file's name, NUL-padded to four bytes, then its CRC-32.
    "$triplet-objcopy" --dump-section ".gnu_debuglink=$scratch/link" "$pkg/$f" "$scratch/copy" ||
      { fail "$f: cannot read .gnu_debuglink"; continue; }
    name=$(head -c "$(($(stat -c %s "$scratch/link") - 4))" "$scratch/link" | tr -d '\0')
    link_crc=$(tail -c4 "$scratch/link" | od -An -tx4 | tr -d ' ')
    debug=debug/$arch/$name
    [ "$name" = "$(basename "$f").debug" ] || fail "$f links a debug file named '$name'"
    if [ -f "$pkg/$debug" ]; then
      [ "$(crc32 "$pkg/$debug")" = "$link_crc" ] || fail "$debug does not match the checksum in $f"
      "$triplet-objdump" -h "$pkg/$debug" 2>/dev/null | awk '{ print $2 }' | grep -qx '\.debug_info' ||
        fail "$debug holds no .debug_info"
    else
      fail "$f links $name, which is not in debug/$arch"
    fi
  done
  grep -q "processorArchitecture=\"$manifest_arch\"" "$pkg/bin/$arch/Vexo.Zorvel.manifest" 2>/dev/null ||
    fail "bin/$arch/Vexo.Zorvel.manifest does not name $manifest_arch"
  grep -q 'clsid="{6639E6C2-8C6C-4870-841E-714BC429FD00}"' "$pkg/bin/$arch/Vexo.Zorvel.manifest" 2>/dev/null ||
    fail "bin/$arch/Vexo.Zorvel.manifest lacks the class"
done

# The version resources, as Windows reads them.  Fixed versions have four parts.
fixed=$version
while [ "$(echo "$fixed" | tr -cd . | wc -c)" -lt 3 ]; do fixed=$fixed.0; done
if [ ${#binaries[@]} -gt 0 ]; then
  if [ -f "$version_info" ]; then
    # Paths relative to the package, which is Wine's current folder.
    (cd "$pkg" && "$wine_run" "$version_info" "${binaries[@]}") 2>/dev/null | tr -d '\r' > "$scratch/versions"
    for f in "${binaries[@]}"; do
      name=$(basename "$f")
      value() { F="$f: $1=" awk 'index($0, ENVIRON["F"]) == 1 { print substr($0, length(ENVIRON["F"]) + 1) }' "$scratch/versions"; }
      error=$(value error)
      if [ -n "$error" ]; then fail "$f: no version resource: $error"; continue; fi
      for field in "fixed_file_version=$fixed" "fixed_product_version=$fixed" "FileVersion=$version" \
                   "ProductVersion=$version" "CompanyName=The Zorvel developers" "ProductName=Zorvel" \
                   "OriginalFilename=$name"; do
        got=$(value "${field%%=*}")
        [ "$got" = "${field#*=}" ] || fail "$f: version resource has ${field%%=*} '$got', not '${field#*=}'"
      done
      [ -n "$(value FileDescription)" ] || fail "$f: version resource has no FileDescription"
    done
  else
    fail "no version reader at $version_info (build the package_version_info target)"
  fi
fi

# --- Header, licence, notices, changelog --------------------------------------
grep -q 'ISurface' "$pkg/include/zorvel_h.h" 2>/dev/null || fail "include/zorvel_h.h does not declare ISurface"
grep -qi '8D5BBEFD-CA72-4206-9DAF-CC3B56E6CF40' "$pkg/include/zorvel.idl" 2>/dev/null || fail "include/zorvel.idl lacks ISurface"
for f in include/zorvel_h.h include/zorvel_i.c; do
  head -n1 "$pkg/$f" 2>/dev/null | grep -q ' from zorvel\.idl ' || fail "$f does not name zorvel.idl by its bare name"
done
cmp -s "$pkg/LICENSE" "$src/LICENSE" || fail "LICENSE is not the tree's"
grep -qx "## $version" "$pkg/CHANGELOG.md" 2>/dev/null || fail "CHANGELOG.md has no section for $version"

notices=$pkg/THIRD-PARTY-NOTICES.txt
if [ -f "$notices" ]; then
  # Lua's copyright line, as the Lua sources of this tree state it.
  lua_h=$(ls "$src"/.deps/lua5.1-*/src/lua.h 2>/dev/null | head -n1)
  if [ -n "$lua_h" ]; then
    lua_copyright=$(sed -n 's/^#define[[:space:]]*LUA_COPYRIGHT[[:space:]]*"\(.*\)"$/\1/p' "$lua_h")
    [ -n "$lua_copyright" ] || fail "no LUA_COPYRIGHT in $lua_h"
    grep -qF "$lua_copyright" "$notices" || fail "THIRD-PARTY-NOTICES.txt lacks Lua's copyright line '$lua_copyright'"
  else
    grep -Eq 'Copyright \(C\) [0-9]{4}-[0-9]{4} Lua\.org, PUC-Rio' "$notices" ||
      fail "THIRD-PARTY-NOTICES.txt lacks Lua's copyright line"
  fi
  grep -q 'Zorvel.dll .*contains Lua 5\.1' "$notices" || fail "THIRD-PARTY-NOTICES.txt does not say that Zorvel.dll contains Lua 5.1"
  grep -q 'Permission is hereby granted' "$notices" || fail "THIRD-PARTY-NOTICES.txt lacks Lua's licence"
  if [ -d "$pkg/tools" ]; then
    grep -q 'mingw-w64 project' "$notices" || fail "THIRD-PARTY-NOTICES.txt lacks the winpthreads notice of the programs in tools/"
  fi
else
  fail "THIRD-PARTY-NOTICES.txt missing"
fi

# --- No absolute path of the trees --------------------------------------------
# In any form a file may hold it: as given and resolved, with / or \, in
# bytes or in UTF-16 (resources, type libraries).
utf16_pattern() {  # a grep -P pattern for the UTF-16LE form of $1
  printf '%s' "$1" | od -An -v -tx1 | tr -s ' \n' '  ' | sed 's/ *$//; s/^ *//; s/\([0-9a-f][0-9a-f]\)/\\x\1\\x00/g; s/ //g'
}
paths=()
for p in "$src" "${build_dirs[@]}"; do
  paths+=("$p" "$(realpath -m "$p")")
done
for p in $(printf '%s\n' "${paths[@]}" | sed 's|/*$||' | sort -u); do
  [ ${#p} -gt 1 ] || continue
  for form in "$p" "$(echo "$p" | tr / '\\')"; do
    hits=$(grep -rlaF -- "$form" "$pkg" 2>/dev/null)
    [ -z "$hits" ] || fail "files hold the path $form: $(echo "$hits" | sed "s|^$pkg/||" | tr '\n' ' ')"
    hits=$(grep -rlaP -- "$(utf16_pattern "$form")" "$pkg" 2>/dev/null)
    [ -z "$hits" ] || fail "files hold the path $form in UTF-16: $(echo "$hits" | sed "s|^$pkg/||" | tr '\n' ' ')"
  done
done

# --- README links ---------------------------------------------------------------
# Every link of README.md is relative and names a file or folder of the
# package, and an anchor names a heading of its Markdown file.  A link may
# name a file that the tree does not hold yet only while it is listed in
# tests/package/pending_links.txt; once the tree holds it, the list must lose it.
slug() { tr 'A-Z' 'a-z' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'; }
headings() {  # the anchors of a Markdown file's headings, outside code blocks
  awk '/^```/ { code = !code; next } !code && /^#+ / { sub(/^#+ +/, ""); print }' "$1" | slug
}
links() {  # inline links and images, and reference definitions, outside code
  awk '/^```/ { code = !code; next } !code' "$1" | sed 's/`[^`]*`//g' |
    grep -o '\]([^)]*)' | sed 's/^](//; s/)$//; s/[[:space:]].*//'
  awk '/^```/ { code = !code; next } !code' "$1" | sed -n 's/^ \{0,3\}\[[^]]*\]:[[:space:]]*\([^[:space:]]*\).*/\1/p'
}
pending=()
if [ -f "$src/tests/package/pending_links.txt" ]; then
  while IFS= read -r line; do
    line=${line%%#*}; line=$(echo "$line" | tr -d '[:space:]')
    [ -z "$line" ] || pending+=("$line")
  done < "$src/tests/package/pending_links.txt"
fi
for p in "${pending[@]}"; do
  [ -e "$src/$p" ] && fail "$p is in the tree now: take it off tests/package/pending_links.txt"
done
readme=$pkg/README.md
if [ -f "$readme" ]; then
  count=0
  root=$(realpath "$pkg")
  while IFS= read -r target; do
    count=$((count + 1))
    case $target in
      '') fail "README.md has an empty link"; continue ;;
      [A-Za-z]*:*|/*|\\*) fail "README.md links $target, which is not a path inside the package"; continue ;;
    esac
    path=${target%%#*} anchor=
    [ "$path" = "$target" ] || anchor=${target#*#}
    path=${path//%20/ }
    file=$readme
    if [ -n "$path" ]; then
      file=$(realpath -m "$root/$path")
      case $file/ in
        "$root"/*) ;;
        *) fail "README.md links $target, outside the package"; continue ;;
      esac
      if [ ! -e "$file" ]; then
        key=${path%/}
        listed=no
        for p in "${pending[@]}"; do [ "${p%/}" = "$key" ] && listed=yes; done
        if [ $listed = yes ] && [ ! -e "$src/$key" ]; then
          echo "package: README.md links $target, which the tree does not hold yet (pending)"
        else
          fail "README.md links $target, which is not in the package"
        fi
        continue
      fi
      case $path in */) [ -d "$file" ] || fail "README.md links $target as a folder, which it is not" ;; esac
    fi
    if [ -n "$anchor" ]; then
      case $file in
        *.md) headings "$file" | grep -qxF -- "$anchor" || fail "README.md links $target: no such heading" ;;
        *) fail "README.md links $target: an anchor into a file that is not Markdown" ;;
      esac
    fi
  done < <(links "$readme" | awk '!seen[$0]++')
  [ "$count" -gt 0 ] || fail "README.md has no links to check"
else
  fail "README.md missing"
fi

# --- The examples ---------------------------------------------------------------
# The guide's and the README's examples are the tested files, minus their
# first comment lines.
fenced_block() {  # the first fenced block of a language in a Markdown file
  awk -v fence="\`\`\`$2" '$0 == fence { on = 1; next } on && $0 == "```" { exit } on' "$1" 2>/dev/null
}
same_as_block() {  # file, its first line of code, the Markdown file, the language
  diff <(sed -n "/^$2/,\$p" "$1") <(fenced_block "$3" "$4") >/dev/null ||
    fail "$1 differs from the $4 example of ${3#"$pkg"/}"
}
same_as_block "$src/tests/package/guide_client.vbs" "Dim surface" "$pkg/docs/using-zorvel.md" vbscript
same_as_block "$src/tests/package/guide_client.cpp" "#include <windows.h>" "$pkg/docs/using-zorvel.md" cpp
same_as_block "$src/tests/package/quickstart.vbs" "Dim surface" "$readme" vbscript
same_as_block "$src/tests/package/quickstart.cpp" "#include <windows.h>" "$readme" cpp

if [ "$failures" = 0 ]; then echo "package: all checks passed"; else exit 1; fi
