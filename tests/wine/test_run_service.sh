# The wireless service step of the finish window, with a real (test) service named WLansvc.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
work=$(mktemp -d)
on_exit "rm -rf '$work'"
service_title="Wireless Zero Configuration Service"

mkdir -p "$WINEPREFIX/drive_c/svc"
cp "$BUILD_DIR/tests/wine/testservice.exe" "$WINEPREFIX/drive_c/svc/"
wine sc create WLansvc binpath= 'C:\svc\testservice.exe' start= demand >/dev/null ||
  fail "could not register the test service"
start_type() {
  wine reg query 'HKLM\System\CurrentControlSet\Services\WLansvc' /v Start | tr -d '\r' |
    awk '/Start/ {print $3}'
}

sed -e 's/^X:X  CheckSvc:No/X:X  CheckSvc:Yes/' \
    -e 's/^X:X  InstallWZCMsg=.*/X:X  InstallWZCMsg=The wireless service has been started.%$You can connect now./' \
    "$SOURCE_DIR/resources/config.txt" >"$work/config.txt"
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" CONFIG 7 "$work/config.txt"

# Escape closes the finish window at once: the service is left as it is.
wine "$WINEPREFIX/drive_c/dist/$INSTALLER" &
pid=$!
robot wait Finished 60 || fail "no finish window"
robot char Finished 27
wait_exit $pid 30
expect_eq "$(start_type)" "0x3" "start type after Escape"
robot wait "$service_title" 0 && fail "a service message after Escape"

# OK runs the step: the stopped service is set to start automatically, started, and the
# configured message is shown with its line break.
wine "$WINEPREFIX/drive_c/dist/$INSTALLER" &
pid=$!
robot wait Finished 60 || fail "no finish window"
robot click Finished "&Ok"
robot wait "$service_title" 20 || fail "no service message after OK"
expect_eq "$(window_label "$service_title")" 'The wireless service has been started.\nYou can connect now.' "service message"
robot click "$service_title" OK
wait_exit $pid 30
expect_eq "$(start_type)" "0x2" "start type after OK"
echo "service step: ok"
