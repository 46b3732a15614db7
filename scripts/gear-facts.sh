# shellcheck shell=bash
# Sourced by the scripts and the end-to-end test: what they need to know of the monitor, taken
# from the program's own definitions by the gear-facts tool the build makes.
#
# use_gear_facts BUILD_DIR: sets gear_caption, gear_settings_file, gear_icon_file,
# gear_no_port_name, gear_client_width, gear_client_height (pixels at 96 DPI),
# gear_corner[CONTROL_NAME]="X,Y", the top-left corner of every control in the client area at
# creation, and gear_menu[MENU_NAME]="X,Y", the middle of every menu and command on the menu bar
# in the window (a frameless window's top-left corner is 0,0; the bar stands above the client
# area).
use_gear_facts() {
    gear_build=$1
    [ -r "$gear_build/gear-facts.sh" ] || {
        echo "no $gear_build/gear-facts.sh: build the monitor first" >&2
        return 1
    }
    # shellcheck source=/dev/null
    source "$gear_build/gear-facts.sh"
}

# write_settings_file FILE PORT_NAME: the monitor's settings file selecting PORT_NAME at 9600 8N1
# with no flow control, written by the monitor's own code.
write_settings_file() {
    "$gear_build/gear-facts" settings-file "$1" "$2"
}
