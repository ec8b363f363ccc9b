# The vendor's packaging command, whole: broken trees and configurations stop it with a line that
# names the fault; a good one becomes a signed program with the vendor's cabinet, configuration
# and version, which verifies and runs under Wine from a plain start to its finish window.
source "$SOURCE_DIR/tests/wine/lib.sh"
work=$(mktemp -d)
on_exit "rm -rf '$work'"
preset=win64
[ "$INSTALLER" = Installer.exe ] && preset=win32
export PACKAGE_BUILD_DIR="$BUILD_DIR/package"
package() { bash "$SOURCE_DIR/scripts/package" "$@" --preset "$preset"; }
pe() { python3 "$SOURCE_DIR/tests/wine/peinfo.py" "$@"; }

# The vendor's release: the shipped tree with a file of their own, the shipped configuration.
cp -r "$SOURCE_DIR/resources/payload/driver" "$work/tree"
echo "vendor release 2.1" >"$work/tree/Vista 64bit/release.txt"
cp "$SOURCE_DIR/resources/config.txt" "$work/config.txt"

# broken NAME EXPECTED-LINE: the packaging fails, prints that line and writes no program.
broken() {
  local output status=0
  output=$(package "$work/btree" "$work/bconfig.txt" "$work/out/$1.exe" 2>&1) || status=$?
  [ "$status" -ne 0 ] || fail "$1: packaged all the same"
  grep -qxF -- "$2" <<<"$output" || fail "$1: no line \"$2\" in:"$'\n'"$output"
  [ ! -e "$work/out/$1.exe" ] || fail "$1: a program was written"
  echo "$1: refused"
}
fresh() { rm -rf "$work/btree" && cp -r "$work/tree" "$work/btree" && cp "$work/config.txt" "$work/bconfig.txt"; }

fresh && tr -d '\r' <"$work/config.txt" >"$work/bconfig.txt"
broken "lf-config" "$work/bconfig.txt:1: error: line ends with LF alone (and 34 more lines); the installer reads only CR LF line ends"
fresh && rm "$work/btree/Vista 64bit/norvusb.inf"
broken "no-inf" "$work/btree/Vista 64bit: error: driver folder holds no INF file (Vista64)"
fresh && sed -i 's/^Vista64=->DRIVER_SILENT/Vista64=setup.exe/' "$work/bconfig.txt"
broken "no-program" "$work/btree/Vista 64bit: error: program \"setup.exe\" (InstallMode) missing from the driver folder (Vista64)"
fresh
output=$(package "$work/btree" "$work/bconfig.txt" "$work/out/v.exe" --version 2.70000.0.1 2>&1) && fail "a version beyond 65535 was taken"
grep -q 'each number at most 65535' <<<"$output" || fail "bad version: $output"
for product in "" . ".. "; do
  output=$(package "$work/btree" "$work/bconfig.txt" "$work/out/v.exe" --product "$product" 2>&1) &&
    fail "the product name \"$product\" was taken"
  grep -q 'a name with a letter other than dots and blanks' <<<"$output" || fail "product \"$product\": $output"
done

# A throwaway code-signing certificate.
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Test Vendor" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null || fail "openssl could not make a certificate"
out="$work/out/VendorSetup.exe"
# Names the resource compiler would otherwise read as escapes ("\n"), quotes, and "@NAME@", which
# the build's own templates would fill in.
product='Vendor "Air" Setup\new'
publisher='Smith & "Sons" @PROJECT_NAME@ C:\tmp\ Müller\'
package "$work/tree" "$work/config.txt" "$out" --version 2.1.0.15 --product "$product" --publisher "$publisher" \
  --sign "$work/cert.pem" "$work/key.pem" >"$work/package.log" 2>&1 || fail "packaging failed: $(cat "$work/package.log")"
grep -qxF "$work/config.txt:2: warning: Win98SE is left unsupported: the installer refuses it" "$work/package.log" ||
  fail "no warning for the unsupported editions: $(cat "$work/package.log")"
osslsigncode verify -CAfile "$work/cert.pem" -in "$out" >"$work/verify.log" 2>&1 ||
  fail "the signature does not verify: $(cat "$work/verify.log")"
grep -q 'Signature verification: ok' "$work/verify.log" || fail "verify: $(cat "$work/verify.log")"
pe "$out" resource CONFIG 7 | cmp - "$work/config.txt" || fail "CONFIG 7 is not the vendor's configuration"
pe "$out" resource CAB 1 >"$work/1.cab"
listing=$(gcab -t "$work/1.cab")
grep -qx 'Vista 64bit/release.txt\|Vista 64bit\\release.txt' <<<"$listing" || fail "CAB 1 is not the vendor's tree: $listing"
# Keys and values end with NULs in the version resource: the first line after a key's that is
# not empty is its value.
version=$(pe "$out" resource 16 1 | iconv -f UTF-16LE -t UTF-8 | tr '\0' '\n')
value() { awk -v key="$1" 'found && $0 != "" { print; exit } $0 ~ key "$" { found = 1 }' <<<"$version"; }
expect_eq "$(value ProductVersion)" 2.1.0.15 "ProductVersion"
expect_eq "$(value ProductName)" "$product" "ProductName"
expect_eq "$(value CompanyName)" "$publisher" "CompanyName"
expect_eq "$(value FileDescription)" "Norvane Driver/Utility Installer v1.4" "FileDescription"
echo "packaged and signed: ok"

# The signed program reads its own payload: a plain start to the finish window, exit code 0.
wine_display
wine_prefix_new win7
mkdir -p "$WINEPREFIX/drive_c/dist"
cp "$out" "$WINEPREFIX/drive_c/dist/"
finish_run 'C:\dist\VendorSetup.exe'
expect_eq "$finish_label" "If your device isn't plugged in yet, connect it now to finish the installation." "outcome"
expect_eq "$finish_exit" 0 "exit code of the packaged program"
grep -q 'Returning with code' "$(win_windows)/DPINST.LOG" || fail "the packaged program's driver installer did not run"
echo "packaged program under Wine: ok"

# The deployment road: winget's manifests, Intune's files and an MSI from one packaging, their
# values those the installed entry holds. The tree's 64-bit XP and 2003 folder runs a setup program
# that asks for a restart, for the MSI's restart road (Wine's winxp64 reads as Win2K364). In the
# 64-bit prefix only, where the entry and the MSI's search meet in the 64-bit view.
[ "$INSTALLER_BITS" = 64 ] || exit 0
cp -r "$work/tree" "$work/dtree"
cp "$BUILD_DIR/tests/wine/fakedpinst.exe" "$work/dtree/XP_2003 64bit/setup.exe"
printf BC2 >"$work/dtree/XP_2003 64bit/code.txt"
sed 's/^\(WinXP64\|Win2K364\)=->DRIVER_SILENT/\1=setup.exe/' "$work/config.txt" >"$work/dconfig.txt"
deploy="$work/deploy"
package "$work/dtree" "$work/dconfig.txt" "$deploy/AirLink.exe" --version 2.1.0.15 \
  --product "Air Link Müller 2" --publisher "Smith & Sons" --manifests "$deploy" \
  --url https://downloads.example.com/AirLink.exe --msi "$deploy/AirLink.msi" >"$work/deploy.log" 2>&1 ||
  fail "packaging with descriptions failed: $(cat "$work/deploy.log")"
# Each manifest parses, holds what its schema requires, and names one package, version and file;
# printed: the entry's values as winget expects them, then Intune's settings as name=value.
python3 - "$deploy" "$(sha256sum "$deploy/AirLink.exe" | cut -c1-64)" >"$work/expected" <<'EOF' ||
import glob, re, sys, yaml
deploy, sha = sys.argv[1:]
required = {"version": ["DefaultLocale"], "defaultLocale": ["PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"],
            "installer": ["Installers", "InstallerType"]}
files = {}
for path in glob.glob(deploy + "/winget/*.yaml"):
    manifest = yaml.safe_load(open(path, encoding="utf-8"))
    kind = manifest["ManifestType"]
    for key in ["PackageIdentifier", "PackageVersion", "ManifestVersion"] + required[kind]:
        assert manifest.get(key), f"{path}: no {key}"
    assert path.endswith("/" + manifest["PackageIdentifier"] + {"version": ".yaml", "installer": ".installer.yaml"}.get(kind, ".locale.en-US.yaml")), path
    files[kind] = manifest
assert sorted(files) == sorted(required), files
assert len({(m["PackageIdentifier"], m["PackageVersion"]) for m in files.values()}) == 1
assert re.fullmatch(r'[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}', files["version"]["PackageIdentifier"])
installer = files["installer"]
assert installer["InstallerSuccessCodes"] == [3010] and installer["InstallerSwitches"]["Silent"] == "/quiet"
responses = {r["InstallerReturnCode"]: r["ReturnResponse"] for r in installer["ExpectedReturnCodes"]}
assert responses == {1602: "cancelledByUser", 1603: "contactSupport", 1618: "installInProgress", 1633: "systemNotSupported", 1639: "invalidParameter"}, responses
[one] = installer["Installers"]
assert one["InstallerSha256"].lower() == sha and one["InstallerUrl"].startswith("https://")
[entry] = one["AppsAndFeaturesEntries"]
for key in ["DisplayName", "DisplayVersion", "Publisher"]:
    print(f"    {key}    REG_SZ    {entry[key]}")
for line in open(deploy + "/intune/settings.txt", encoding="utf-8"):
    if ": " in line and not line.startswith("#"):
        print(line.rstrip("\n").replace(": ", "=", 1))
EOF
  fail "the manifests: see above"
setting() { sed -n "s/^$1=//p" "$work/expected"; }
key=$(setting 'Key path') version=$(setting Value)
grep -qF "OpenSubKey('${key#HKEY_LOCAL_MACHINE\\}')" "$deploy/intune/detect.ps1" &&
  grep -qF "-ceq '$version'" "$deploy/intune/detect.ps1" || fail "detect.ps1 and the detection rule differ"
# The detection rule, as Intune applies it, before and after: the DisplayVersion in the 64-bit view.
detected() { wine reg query "$key" /reg:64 /v DisplayVersion 2>/dev/null | tr -d '\r' | grep -qx "    DisplayVersion    REG_SZ    $version"; }
! detected || fail "detected before the install"
# msiexec installs the driver through the wrapped program and adds no entry of its own.
msi=$(winpath "$deploy/AirLink.msi")
expect_eq "$(exit_of 'C:\windows\system32\msiexec.exe' "/i \"$msi\" /qn")" 0 "msiexec /i"
detected || fail "not detected after the install"
entry=$(wine reg query "$key" /reg:64 | tr -d '\r')
while IFS= read -r line; do
  [[ $line != *REG_SZ* ]] || grep -qxF "$line" <<<"$entry" || fail "the entry lacks \"$line\": $entry"
done <"$work/expected"
# Intune's uninstall command, and the MSI's removal (the kept copy DisplayIcon names, with the
# switches), are the entry's QuietUninstallString.
icon=$(sed -n 's/^    DisplayIcon    REG_SZ    //p' <<<"$entry")
for command in "$(setting 'Uninstall command (64-bit Windows)')" "\"$icon\" /uninstall /quiet"; do
  grep -qxF "    QuietUninstallString    REG_SZ    $command" <<<"$entry" ||
    fail "the removal $command is not the entry's: $entry"
done
inf=$(wine reg query "$key" /reg:64 /v DriverPackages | tr -d '\r' | grep -oiE '[a-z0-9_]+\.inf$') ||
  fail "no published INF in the entry"
[ -f "$(win_windows)/inf/$inf" ] || fail "the published $inf is not in the INF folder"
shown=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /reg:64 /s | tr -d '\r' |
  awk '/^HKEY/ { key = $0 } /SystemComponent +REG_DWORD +0x1$/ { hidden[key] = 1 } /DisplayName +REG_SZ +Air Link/ { named[key] = 1 }
       END { for (k in named) if (!hidden[k]) n++; print n }')
expect_eq "$shown" 1 "Apps & Features entries of the product"
# msiexec /x removes through the entry's QuietUninstallString: the INF and the entry go.
expect_eq "$(exit_of 'C:\windows\system32\msiexec.exe' "/x \"$msi\" /qn")" 0 "msiexec /x"
! detected || fail "still detected after msiexec /x"
[ ! -e "$(win_windows)/inf/$inf" ] || fail "$inf is still in the INF folder after msiexec /x"
# A program that asks for a restart (3010): the MSI asks for one too, and does not fail (1603).
wine reg add 'HKCU\Software\Wine' /v Version /d winxp64 /f >/dev/null 2>&1
wine_restart
expect_eq "$(exit_of 'C:\windows\system32\msiexec.exe' "/i \"$msi\" /qn")" BC2 "msiexec /i, restart asked (3010)"
echo "deployment descriptions and MSI under Wine: ok"
