#!/usr/bin/env bash
# Per-user registration of the built library with the prefix's regsvr32:
# "/n /i:user" writes the class, ProgID, AppID and type-library entries under
# HKCU\Software\Classes and nothing under HKLM\Software\Classes; "/u /n
# /i:user" takes them all back.
# usage: per_user_registration.sh WINE_RUN DLL_WINDOWS_PATH PLATFORM(win32|win64) WORK_DIR
set -u
wine_run=$1 dll=$2 platform=$3 work=$4
clsid='{6639E6C2-8C6C-4870-841E-714BC429FD00}'
libid='{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}'
iid='{8D5BBEFD-CA72-4206-9DAF-CC3B56E6CF40}'
user='HKCU\Software\Classes'
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work"
work_windows="Z:$(echo "$work" | tr / '\\')"
machine_classes() {
  rm -f "$work/$1.reg"
  "$wine_run" reg export 'HKLM\Software\Classes' "$work_windows\\$1.reg" /y >/dev/null 2>&1 ||
    fail "reg export HKLM\\Software\\Classes"
}
# The rest of the user's hive, without Software\Classes.
user_rest() {
  rm -f "$work/$1-user.reg"
  "$wine_run" reg export HKCU "$work_windows\\$1-user.reg" /y >/dev/null 2>&1 || fail "reg export HKCU"
  iconv -f UTF-16LE -t UTF-8 "$work/$1-user.reg" 2>/dev/null | tr -d '\r' |
    awk '/^\[/ { skip = index($0, "[HKEY_CURRENT_USER\\Software\\Classes\\") == 1 ||
                       $0 == "[HKEY_CURRENT_USER\\Software\\Classes]" } !skip' > "$work/$1-user.txt"
  grep -q '^\[HKEY_CURRENT_USER' "$work/$1-user.txt" || fail "no readable export of HKCU"
}
# "reg query KEY [/v NAME]" output, or nothing when the key is absent.
query() { "$wine_run" reg query "$@" 2>/dev/null | tr -d '\r'; }
expect_value() {  # key, regex the output must match
  query "$1" | grep -Eq "$2" || fail "$1 does not match /$2/"
}
expect_absent() {
  "$wine_run" reg query "$1" >/dev/null 2>&1 && fail "$1 is still there"
}

# A run that stopped half way may have left per-user entries behind.
"$wine_run" regsvr32 /s /u /n /i:user "$dll" >/dev/null 2>&1
machine_classes before
user_rest before

"$wine_run" regsvr32 /s /n /i:user "$dll" || fail "regsvr32 /n /i:user exited with $?"
dll_regex=$(printf '%s' "$dll" | sed 's/[\\.]/\\&/g')
expect_value "$user\\CLSID\\$clsid\\InprocServer32" "\(Default\) +REG_SZ +$dll_regex\$"
expect_value "$user\\CLSID\\$clsid\\InprocServer32" "ThreadingModel +REG_SZ +apartment"
expect_value "$user\\CLSID\\$clsid" "\(Default\) +REG_SZ +CSurface Object"
expect_value "$user\\CLSID\\$clsid\\ProgID" "REG_SZ +Vexo\.Surface\.1"
expect_value "$user\\Vexo.Surface\\CurVer" "REG_SZ +Vexo\.Surface\.1"
expect_value "$user\\AppID\\Vexo.DLL" "AppID +REG_SZ +$libid"
expect_value "$user\\TypeLib\\$libid\\1.0" "\(Default\) +REG_SZ +Kandel 1\.0 Type Library"
expect_value "$user\\TypeLib\\$libid\\1.0\\409\\$platform" "\(Default\) +REG_SZ +$dll_regex\$"
expect_value "$user\\Interface\\$iid\\ProxyStubClsid32" "\{00020424-0000-0000-C000-000000000046\}"
expect_value "$user\\Interface\\$iid\\TypeLib" "\(Default\) +REG_SZ +$libid"
machine_classes registered
cmp -s "$work/before.reg" "$work/registered.reg" || fail "per-user registration changed HKLM\\Software\\Classes"
user_rest registered
cmp -s "$work/before-user.txt" "$work/registered-user.txt" || fail "per-user registration wrote outside HKCU\\Software\\Classes"

"$wine_run" regsvr32 /s /u /n /i:user "$dll" || fail "regsvr32 /u /n /i:user exited with $?"
expect_absent "$user\\CLSID\\$clsid"
expect_absent "$user\\Vexo.Surface"
expect_absent "$user\\Vexo.Surface.1"
expect_absent "$user\\AppID\\Vexo.DLL"
expect_absent "$user\\AppID\\$libid"
expect_absent "$user\\TypeLib\\$libid"
expect_absent "$user\\Interface\\$iid"
machine_classes unregistered
cmp -s "$work/before.reg" "$work/unregistered.reg" || fail "per-user unregistration changed HKLM\\Software\\Classes"

# An unknown command line is refused and writes nothing.
"$wine_run" regsvr32 /s /n /i:elsewhere "$dll" && fail "regsvr32 /n /i:elsewhere succeeded"
expect_absent "$user\\CLSID\\$clsid"

if [ "$failures" = 0 ]; then echo "per-user registration: all checks passed"; else exit 1; fi
