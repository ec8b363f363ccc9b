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
