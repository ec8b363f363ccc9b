# The service control layer and the wireless service check against Wine's service manager, with a
# real test service registered as WZCSVC and as WLansvc.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_prefix_new

mkdir -p "$WINEPREFIX/drive_c/svc"
cp "$BUILD_DIR/tests/wine/testservice.exe" "$BUILD_DIR/tests/wine/servicecheck.exe" \
  "$WINEPREFIX/drive_c/svc/"
# Registers a service; sc's own words go into the failure message. Once seen failing in a fresh
# prefix without a word and then succeeding: one more try after a second.
register() {
  local name=$1 output
  shift
  output=$(wine sc create "$name" "$@" 2>&1) ||
    { sleep 1 && output=$(wine sc create "$name" "$@" 2>&1); } ||
    fail "could not register $name: $output"
}
# WZCSVC stays two seconds in each pending state, WLansvc half a second; WLansvc has values
# other than sc's defaults, so a write that touches them shows.
register WZCSVC binpath= 'C:\svc\testservice.exe 2000' start= demand
register WLansvc binpath= 'C:\svc\testservice.exe 500' start= demand error= ignore group= NDIS \
  displayname= 'WLAN AutoConfig'

check() { wine 'C:\svc\servicecheck.exe' "$@" 2>/dev/null | tr -d '\r'; }
# The value $2 of service $1's key as reg prints it, e.g. 0x3.
key_value() {
  wine reg query "HKLM\\System\\CurrentControlSet\\Services\\$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name {print $3}'
}
waitfor() { check waitfor "$1" "$2" 30 || fail "$1 did not reach $2: $(check state "$1")"; }

# A name that does not exist.
for request in start stop pause continue; do
  expect_eq "$(check $request NoSuchSvc)" "1060" "$request of a missing service"
done
expect_eq "$(check startup NoSuchSvc -1 2 -1)" "1060" "startup of a missing service"
expect_eq "$(check state NoSuchSvc)" "0 Unknown? 0" "state of a missing service"
expect_eq "$(check config NoSuchSvc | sed -n 1p)" "ErrorCode=1060" "config of a missing service"
expect_eq "$(check run NoSuchSvc)" $':Unknown? 0\nNoSuchSvc' "check of a missing service"

# The configuration as the manager keeps it.
expect_eq "$(check config WLansvc)" "ErrorCode=0
ServiceStartName=LocalSystem
DisplayName=WLAN AutoConfig
Dependencies=
ErrorControl=0
TagId=0
LoadOrderGroup=NDIS
BinaryPathName=C:\\svc\\testservice.exe 500
StartType=3
ServiceType=16" "configuration of WLansvc"

# -1 leaves the service type and the error control as they are.
expect_eq "$(check startup WLansvc -1 4 -1)" "0" "startup to disabled"
expect_eq "$(key_value WLansvc Start) $(key_value WLansvc Type) $(key_value WLansvc ErrorControl)" \
  "0x4 0x10 0x0" "Start, Type and ErrorControl after changing the start type"
expect_eq "$(check start WLansvc)" "1058" "start of a disabled service"
check startup WLansvc -1 3 -1 >/dev/null

# A stopped demand-start service is set to start automatically and started; right after the
# request it is still starting.
expect_eq "$(check state WZCSVC)" "1 Stopped" "state before the check"
expect_eq "$(check run WZCSVC)" $'Started:Starting\nWZCSVC' "check of a stopped service"
expect_eq "$(key_value WZCSVC Start)" "0x2" "start type after the check"
waitfor WZCSVC Running

# A running service is left alone: neither its start type nor its state changes.
check startup WZCSVC -1 3 -1 >/dev/null
expect_eq "$(check run WZCSVC)" $':Running\nWZCSVC' "check of a running service"
expect_eq "$(key_value WZCSVC Start)" "0x3" "start type of a running service after the check"
expect_eq "$(check start WZCSVC)" "1056" "start of a running service"
# An empty name checks WZCSVC and is changed to it.
expect_eq "$(check run -)" $':Running\nWZCSVC' "check with an empty name"

# A paused service is set to start automatically and continued.
expect_eq "$(check pause WZCSVC)" "0" "pause"
waitfor WZCSVC Paused
expect_eq "$(check run WZCSVC)" $'Started:Continuing\nWZCSVC' "check of a paused service"
expect_eq "$(key_value WZCSVC Start)" "0x2" "start type after continuing"
waitfor WZCSVC Running

# Stopping: a paused service gets demand start and a stop request; a stopped one only demand start.
expect_eq "$(check pause WZCSVC)" "0" "pause before stopping"
waitfor WZCSVC Paused
expect_eq "$(check run WZCSVC stop)" $'Stopped:Stopping\nWZCSVC' "stop check of a paused service"
expect_eq "$(key_value WZCSVC Start)" "0x3" "start type after stopping"
waitfor WZCSVC Stopped
expect_eq "$(check stop WZCSVC)" "1062" "stop of a stopped service"
check startup WLansvc -1 2 -1 >/dev/null
expect_eq "$(check run WLansvc stop)" $'Stopped:Stopped\nWLansvc' "stop check of a stopped service"
expect_eq "$(key_value WLansvc Start)" "0x3" "start type of the stopped service"
expect_eq "$(check state WLansvc)" "1 Stopped" "no request was sent to the stopped service"

# ChangeSvcState answers 1 (not -1) once the service is starting.
expect_eq "$(check change -1 WLansvc)" "1" "start request through ChangeSvcState"
waitfor WLansvc Running
expect_eq "$(check change 1 WLansvc)" "0" "stop request through ChangeSvcState"
waitfor WLansvc Stopped
echo "service control: ok"
