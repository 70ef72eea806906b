# Tracks until two positions have arrived, then quits while tracking is still on.
open
wait-for sdk_initializing 5000
attach
wait-for attached_to_device 10000
gps start
wait-for gps_info_changed 15000
wait-for gps_info_changed 15000
quit
