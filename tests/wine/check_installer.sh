# Static checks of the shipped 32-bit Installer.exe, which cannot run on these machines.
set -euo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
exe="$BUILD_DIR/Installer.exe"
pe() { python3 "$SOURCE_DIR/tests/wine/peinfo.py" "$exe" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(pe header)" = "i386 gui" ] || fail "not a 32-bit GUI program: $(pe header)"
# Windows 2000 refuses a program whose header asks for a later Windows (lld writes 6.0 unless told).
[ "$(pe versions)" = "os 4.0 subsystem 4.0" ] || fail "the header asks for a later Windows: $(pe versions)"

# The payload and the configuration are embedded byte for byte.
cmp <(pe resource CAB 1) "$BUILD_DIR/payload/1.cab" || fail "CAB 1 differs from the built cabinet"
cmp <(pe resource CAB 386) "$BUILD_DIR/payload/386.cab" || fail "CAB 386 differs from the built cabinet"
cmp <(pe resource CONFIG 7) "$BUILD_DIR/payload/config.txt" || fail "CONFIG 7 differs from the configuration built in"
for cab in 1 386; do
  [ "$(pe resource CAB $cab | head -c 4)" = "MSCF" ] || fail "CAB $cab is not a cabinet"
done

# Manifest 24/1, language neutral, asking for administrator rights and common controls 6.
grep -qx '24/1/0 [0-9]*' <<<"$(pe resources)" || fail "no language-neutral manifest 24/1"
manifest=$(pe resource 24 1)
grep -q 'level="requireAdministrator"' <<<"$manifest" || fail "manifest does not require administrator"
grep -q 'Microsoft.Windows.Common-Controls' <<<"$manifest" || fail "manifest lacks common controls 6"
grep -q '<description>NorvaneInstaller</description>' <<<"$manifest" || fail "manifest description"
! grep -q supportedOS <<<"$manifest" || fail "a supportedOS list would change what GetVersionEx answers"
# Crisp at every scale: aware of each monitor's dpi (v2 where Windows 10 has it), read as Windows
# reads the manifest; one that is not well-formed XML, or names a setting twice, stops the program
# before its first line.
pe resource 24 1 | python3 -c '
import sys, xml.etree.ElementTree as tree
settings = tree.fromstring(sys.stdin.buffer.read()).findall(
    "{urn:schemas-microsoft-com:asm.v3}application/{urn:schemas-microsoft-com:asm.v3}windowsSettings/*")
sys.exit([(s.tag.split("/")[-2] + s.tag.split("}")[1], s.text) for s in settings] !=
         [("2005dpiAware", "true/pm"), ("2016dpiAwareness", "PerMonitorV2, PerMonitor")])
' || fail "the manifest does not declare per-monitor dpi awareness once"

# Version information and icon.
version=$(pe resource 16 1 | iconv -f UTF-16LE -t UTF-8 | tr -d '\0')
for text in "1.04.0930" "Installer.exe" "Norvane Driver/Utility Installer v1.4"; do
  grep -qF "$text" <<<"$version" || fail "version information lacks \"$text\""
done
grep -q '^14/1/' <<<"$(pe resources)" || fail "no icon group"

# The payload starts on a page boundary of the file, or every start copies it into memory.
offset=$(pe resources-offset)
[ $((offset % 4096)) -eq 0 ] || fail "the resources start at file offset $offset, not on a page boundary"

# Static imports only from the allow-list of functions Windows 2000 and XP have.
unexpected=$(comm -23 <(pe imports | sort -u) <(grep -v '^#' "$SOURCE_DIR/tests/wine/imports_allowed.txt" | sort -u))
[ -z "$unexpected" ] || fail "imports not checked against Windows 2000/XP: $unexpected"
echo "Installer.exe: ok ($(stat -c %s "$exe") bytes)"
