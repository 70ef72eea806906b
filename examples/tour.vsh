# A short tour of the plug-in module: open it, attach to the simulated modem, close it.
# Run it with scripts/demo, or: vesk-host examples/tour.vsh
open
wait-for sdk_initializing 5000
# The module connects the first modem that the vendor library finds, learns its firmware and
# announces it.
attach
wait-for attached_to_device 10000
# The simulated SIM is locked by its PIN; once unlocked the module gathers the device information,
# and the host may connect once that and a usable service are known.
wait-for sim_status 5000
unlock 1234
wait-for ready_to_connect 10000
# What the host shows of the modem: identity, network, signal and session.
card
# A data session: the module starts it on a thread of its own and reports it once the modem has
# connected; the modem then reports its traffic counters every few seconds.
connect internet.test
wait-for connected 20000
wait-for bytes_tx_rx 10000
disconnect
wait-for disconnected 10000
# GPS tracking: the simulated receiver drives round a small loop; the module reports the position
# at most once every 5 seconds, and only when it changed (run with --gpx FILE to keep the track).
gps start
wait-for gps_info_changed 15000
wait-for gps_info_changed 15000
gps stop
close
# Close detaches and returns only once the closing notifications have been delivered.
wait-for detached_from_device 1000
wait-for sdk_closed 1000
