# Naming the modem by the machine's device tree. Run it against the described modem with
#   umockdev-run --device examples/modem.umockdev -- build/dev/bin/vesk-host examples/by-device-tree.vsh
# The simulated modem's device ID names the network interface that modem.umockdev describes, so the
# module finds the same USB device in sysfs that the host names here.
open
wait-for sdk_initializing 5000
# The modems sysfs shows: instance ID, VID&PID, adapter name, NMEA port, enabled or disabled.
devices
# Attach to that one by its instance ID: the module matches it against the library's devices.
attach /devices/pci0000:00/0000:00:14.0/usb1/1-1
wait-for attached_to_device 10000
wait-for sim_status 5000
unlock 1234
wait-for ready_to_connect 10000
# The adapter name comes from the device tree; the port is the modem's instance ID; GPS is supported
# because the tree has an NMEA port.
card
close
wait-for detached_from_device 1000
wait-for sdk_closed 1000
