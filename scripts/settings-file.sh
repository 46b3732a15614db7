# shellcheck shell=bash
# Sourced by the run script and the end-to-end test.
# write_settings_file FILE PORT_NAME: the monitor's settings file selecting PORT_NAME at 9600 8N1
# with no flow control, exactly as the monitor writes it: thirteen lines ended by CR LF.
write_settings_file() {
    local file=$1 name=$2 time
    time=$(LC_ALL=C date '+%-d %b %Y  %H:%M:%S')
    printf '%s\r\n' \
        '<?xml version="1.0" standalone="no"?>' \
        '<!--Quorvels Landing Gear Control er Monitor, Version 1.0.3  (28 FEB 2010)  -  Supports Controller version 2.2.0 -->' \
        ' <CONFIGURATION>' \
        "   <LOCALTIME>$time</LOCALTIME>" \
        '   <COMM_PORTS>' \
        "      <LG_PORT_NAME>$name</LG_PORT_NAME>" \
        '      <LG_PORT_SPEED>9600</LG_PORT_SPEED>' \
        '      <LG_PORT_PARITY>None</LG_PORT_PARITY>' \
        '      <LG_PORT_DATA_LENGTH>8</LG_PORT_DATA_LENGTH>' \
        '      <LG_PORT_FLOW_CONTROL>None</LG_PORT_FLOW_CONTROL>' \
        '      <LG_PORT_STOP_BITS>1</LG_PORT_STOP_BITS>' \
        '   </COMM_PORTS>' \
        ' </CONFIGURATION>' >"$file"
}
