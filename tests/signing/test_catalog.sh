#!/usr/bin/env bash
# The catalog command, whole: osslsigncode, a reader of its own, finds every PE member the command
# writes and no changed file; sha1sum and sha256sum agree with every other member; the shipped
# catalogs are what the command makes of the shipped tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
signing=$root/tests/signing/norvane-test-only
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
catalog() { bash "$root/scripts/catalog" "$1" "$signing.pem" "$signing.key" >/dev/null; }
# A small PE32 (or PE32+ with "64") image whose one section holds TEXT.
pe() {
  python3 - "$@" <<'EOF'
import struct, sys
path, text, wide = sys.argv[1], sys.argv[2], len(sys.argv) > 3
opt_size = 240 if wide else 224
dos = bytearray(0x80); dos[0:2] = b'MZ'; struct.pack_into('<I', dos, 0x3C, 0x80)
coff = struct.pack('<4sHHIIIHH', b'PE\0\0', 0x8664 if wide else 0x14c, 1, 0, 0, 0, opt_size, 0x0102)
opt = bytearray(opt_size)
struct.pack_into('<HBBIIIII', opt, 0, 0x20b if wide else 0x10b, 14, 0, 0x200, 0, 0, 0x1000, 0x1000)
struct.pack_into('<II', opt, 32, 0x1000, 0x200)
struct.pack_into('<II', opt, 56, 0x2000, 0x200)
struct.pack_into('<I', opt, (108 if wide else 92), 16)
sec = struct.pack('<8sIIIIIIHHI', b'.text\0\0\0', 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)
head = bytes(dos) + coff + bytes(opt) + sec
open(path, 'wb').write(head + b'\0' * (0x200 - len(head)) + (text.encode() * 512)[:0x200 - 3])
EOF
}
inf() { # FOLDER MODELS-DECORATIONS: an INF copying a driver, a DLL from bin\ and a text file
  printf '%s\r\n' '[Version]' 'Signature = "$Windows NT$"' 'Class = Net' 'CatalogFile = pkg.cat' \
    '[Manufacturer]' "N = N, $2" "[N.${2%%,*}]" 'D = I, USB\VID_1&PID_2' \
    '[SourceDisksNames]' '1 = "Disk",,,' '[SourceDisksFiles]' 'drv.sys = 1' 'helper.dll = 1,bin' \
    "[SourceDisksFiles.${3:-x86}]" 'readme.txt = 1' >"$1/pkg.inf"
}

# Windows 2000 to 10 on x86 (SHA-1), and Windows 10 alone on x64 (SHA-256).
mkdir -p "$work/legacy/bin" "$work/win10/bin"
inf "$work/legacy" NTx86
inf "$work/win10" NTamd64.10.0 amd64
for package in legacy win10; do
  pe "$work/$package/drv.sys" "driver $package" ${package/legacy/}
  pe "$work/$package/bin/helper.dll" "helper $package"
  printf 'read me\r\n' >"$work/$package/readme.txt"
  SOURCE_DATE_EPOCH=1767225600 catalog "$work/$package" || fail "$package: the command failed"
done
"$root/build/native/catalogtool" show "$work/legacy/pkg.cat" | grep -qx 'OSAttr: 2:5.1,2:5.2,2:6.0,2:6.1,2:6.2,2:6.3,2:10.0' ||
  fail "legacy OS attribute: $("$root/build/native/catalogtool" show "$work/legacy/pkg.cat")"
"$root/build/native/catalogtool" show "$work/win10/pkg.cat" | grep -qx 'OSAttr: 2:10.0' || fail "win10 OS attribute"

checked=0
for package in legacy win10; do
  cat=$work/$package/pkg.cat
  members=$("$root/build/native/catalogtool" show "$cat" | grep -E '^[0-9A-F]{40,64} ')
  [ "$(wc -l <<<"$members")" -eq 4 ] || fail "$package: not the INF and its three files: $members"
  while read -r tag algorithm kind name; do
    file=$(find "$work/$package" -iname "$name" | head -1)
    if [ "$kind" = pe ]; then
      osslsigncode verify -CAfile "$signing.pem" -catalog "$cat" -in "$file" >"$work/verify.log" 2>&1 ||
        fail "$package/$name: osslsigncode does not find it: $(tail -5 "$work/verify.log")"
    else
      sum=$(${algorithm}sum "$file" | cut -d' ' -f1)
      [ "${sum^^}" = "$tag" ] || fail "$package/$name: ${algorithm}sum says $sum, the member $tag"
    fi
    checked=$((checked + 1))
  done <<<"$members"
  # The same driver, changed: no member.
  pe "$work/changed.sys" "driver $package, changed" ${package/legacy/}
  ! osslsigncode verify -CAfile "$signing.pem" -catalog "$cat" -in "$work/changed.sys" >/dev/null 2>&1 ||
    fail "$package: a changed driver is found in the catalog"
done
echo "members checked against osslsigncode and sha*sum: $checked"

# The shipped catalogs: made by this command, test-signed, the same bytes again.
cp -r "$root/resources/payload/driver" "$work/shipped"
for folder in "$work/shipped"/*/; do
  SOURCE_DATE_EPOCH=1767225600 catalog "$folder"
  name=$(basename "$folder")
  cmp -s "$folder/norvusb.cat" "$root/resources/payload/driver/$name/norvusb.cat" ||
    fail "$name/norvusb.cat is not what SOURCE_DATE_EPOCH=1767225600 bash scripts/catalog makes of its folder"
done
echo "shipped catalogs: up to date"
