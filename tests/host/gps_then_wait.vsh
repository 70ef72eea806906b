# Tracks until two positions have arrived, then waits long enough to be stopped by a signal.
open
wait-for sdk_initializing 5000
attach
wait-for attached_to_device 10000
gps start
wait-for gps_info_changed 15000
wait-for gps_info_changed 15000
wait 100000
