#!/usr/bin/env bash
# Checks an installed package folder: exactly the expected files for the
# given platforms (x86, x64), each DLL and program built for its platform,
# each manifest naming it, the header declaring ISurface, and the guide
# holding the VBScript and C++ examples exactly as the tests run them.
# usage: check_package.sh PACKAGE_DIR SOURCE_DIR PLATFORM...
set -u
pkg=$1 src=$2
shift 2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expected=(docs/README.md docs/using-zorvel.md include/zorvel.idl include/dispids.h include/zorvel_h.h include/zorvel_i.c)
for arch in "$@"; do
  expected+=(bin/$arch/Zorvel.dll bin/$arch/Vexo.Zorvel.manifest bin/$arch/LuaZorvelTest.exe
             bin/$arch/KandelTest.exe lib/$arch/zorvel.tlb)
done
actual=$(cd "$pkg" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  fail "package files differ from the layout:"
  diff <(echo "$wanted") <(echo "$actual") | sed -n 's/^[<>]/  &/p'
fi

# The machine field of a PE image: 014c for x86, 8664 for x64.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 0
  od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}
for arch in "$@"; do
  case $arch in x86) machine=014c manifest_arch=x86 ;; x64) machine=8664 manifest_arch=amd64 ;; esac
  for f in Zorvel.dll LuaZorvelTest.exe KandelTest.exe; do
    [ -f "$pkg/bin/$arch/$f" ] || continue
    got=$(pe_machine "$pkg/bin/$arch/$f")
    [ "$got" = "$machine" ] || fail "bin/$arch/$f is built for machine $got, not $machine"
  done
  grep -q "processorArchitecture=\"$manifest_arch\"" "$pkg/bin/$arch/Vexo.Zorvel.manifest" 2>/dev/null ||
    fail "bin/$arch/Vexo.Zorvel.manifest does not name $manifest_arch"
  grep -q 'clsid="{6639E6C2-8C6C-4870-841E-714BC429FD00}"' "$pkg/bin/$arch/Vexo.Zorvel.manifest" 2>/dev/null ||
    fail "bin/$arch/Vexo.Zorvel.manifest lacks the class"
done
grep -q 'ISurface' "$pkg/include/zorvel_h.h" 2>/dev/null || fail "include/zorvel_h.h does not declare ISurface"
grep -qi '8D5BBEFD-CA72-4206-9DAF-CC3B56E6CF40' "$pkg/include/zorvel.idl" 2>/dev/null || fail "include/zorvel.idl lacks ISurface"

# The guide's examples are the tested files, minus their first comment lines.
guide="$pkg/docs/using-zorvel.md"
guide_block() {  # the first fenced block of a language
  awk -v fence="\`\`\`$1" '$0 == fence { on = 1; next } on && $0 == "```" { exit } on' "$guide" 2>/dev/null
}
same_as_guide() {  # file, its first line of code, the guide's language
  diff <(sed -n "/^$2/,\$p" "$1") <(guide_block "$3") >/dev/null || fail "$1 differs from the guide's $3 example"
}
same_as_guide "$src/tests/package/guide_client.vbs" "Dim surface" vbscript
same_as_guide "$src/tests/package/guide_client.cpp" "#include <windows.h>" cpp

if [ "$failures" = 0 ]; then echo "package: all checks passed"; else exit 1; fi
