#!/usr/bin/env bash
# Registration-free use: with no registry entry for the control at all, a
# host in a folder of its own creates it through an application manifest
# that depends on the control's assembly manifest.  The folder gets the host
# and everything of the package's bin/<platform> folder (Zorvel.dll and
# Vexo.Zorvel.manifest), as a user would copy them.  The same host without
# its manifest must fail, so the activation context is what found the
# class.  The machine-wide registration the other tests rely on (of
# REGISTERED_DLL) is restored at the end.
# usage: registration_free.sh WINE_RUN HOST_EXE PACKAGE_BIN_DIR ARCH(x86|amd64) WORK_DIR REGISTERED_DLL
set -u
wine_run=$1 host=$2 bin=$3 arch=$4 work=$5 registered=$6
clsid='{6639E6C2-8C6C-4870-841E-714BC429FD00}'
registered="Z:$(echo "$registered" | tr / '\\')"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
trap '"$wine_run" regsvr32 /s "$registered" >/dev/null 2>&1' EXIT

rm -rf "$work"
mkdir -p "$work"
cp "$host" "$work/guide_client.exe"
cp "$bin"/* "$work/"
[ -f "$work/Zorvel.dll" ] && [ -f "$work/Vexo.Zorvel.manifest" ] || fail "$bin lacks Zorvel.dll or Vexo.Zorvel.manifest"
cat > "$work/guide_client.exe.manifest" <<MANIFEST
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="Vexo.GuideClient" version="1.0.0.0" processorArchitecture="$arch"/>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Vexo.Zorvel" version="1.0.0.0" processorArchitecture="$arch"/>
    </dependentAssembly>
  </dependency>
</assembly>
MANIFEST

"$wine_run" regsvr32 /s /u "$registered" >/dev/null 2>&1 || fail "regsvr32 /u"
"$wine_run" regsvr32 /s /u /n /i:user "$registered" >/dev/null 2>&1
"$wine_run" reg query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1 && fail "the class is still registered"

cd "$work" || exit 1
out=$("$wine_run" ./guide_client.exe 2>&1 | tr -d '\r')
echo "$out" | grep -q "grid 2 x 2, script said: radius 3" || fail "the host with its manifest said: $out"
mv guide_client.exe.manifest guide_client.exe.manifest.off
"$wine_run" ./guide_client.exe >/dev/null 2>&1 && fail "the host without a manifest created the control"

if [ "$failures" = 0 ]; then echo "registration-free: all checks passed"; else exit 1; fi
