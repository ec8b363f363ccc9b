# The edition key and the service-pack and administrator answers of the real version backend, for
# each Windows version Wine can pretend to be. The 64-bit build always counts as 64-bit Windows; the
# shipped 32-bit build asks IsWow64Process, which answers false in a 32-bit prefix.
source "$SOURCE_DIR/tests/wine/lib.sh"
probe="$BUILD_DIR/tests/wine/editionprobe.exe"
wine_prefix_new

# The key a row expects of the build under test: the 64-bit or the 32-bit column.
key() { if [ "$INSTALLER_BITS" = 64 ]; then echo "$1"; else echo "$2"; fi; }
# The native machine Wine 8.0 reports through IsWow64Process2 whatever version it pretends:
# x64 in a 64-bit prefix, x86 in a 32-bit one. Windows on ARM is never seen here.
machine=$(if [ "$WINEARCH" = win64 ]; then echo 8664; else echo 14c; fi)

# Wine version name, the key on 64-bit and on 32-bit Windows, then the probe's other answers:
# SP4, SP2, SP1, administrator.
while read -r version key64 key32 rest; do
  wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  actual=$(wine "$probe" | tr -d '\r')
  expect_eq "$actual" "$(key "$key64" "$key32") $rest $machine" "edition probe on $version"
done <<'TABLE'
win98   98       98     0 0 0 -1
win2k   Win2K    Win2K  -1 0 0 -1
winxp   WinXP64  WinXP  0 -1 0 -1
win2003 Win2K364 Win2K3 0 0 0 -1
vista   Vista64  Vista  0 0 -1 -1
win7    Vista64  Vista  0 0 0 -1
win10   Vista64  Vista  0 0 0 -1
TABLE

# Records no version setting gives: without a Version value Wine reports what the registry says.
nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
wine reg delete "$nt" /v CurrentMajorVersionNumber /f >/dev/null 2>&1 || true
wine reg delete "$nt" /v CurrentMinorVersionNumber /f >/dev/null 2>&1 || true
while read -r version build servicepack key64 key32 rest; do
  wine reg add "$nt" /v CurrentVersion /d "$version" /f >/dev/null 2>&1
  wine reg add "$nt" /v CurrentBuildNumber /d "$build" /f >/dev/null 2>&1
  wine reg add "$nt" /v CSDVersion /d "Service Pack $servicepack" /f >/dev/null 2>&1
  wine_restart
  actual=$(wine "$probe" | tr -d '\r')
  expect_eq "$actual" "$(key "$key64" "$key32") $rest $machine" "edition probe on $version.$build service pack $servicepack"
done <<'TABLE'
5.0 2195 1 Win2K   Win2K 0 0 0 -1
5.1 2600 1 WinXP64 WinXP 0 0 0 -1
6.0 6000 1 Vista64 Vista 0 0 -1 -1
TABLE
