# A short tour of the plug-in module: open it, attach to the simulated modem, close it.
# Run it with scripts/demo, or: vesk-host examples/tour.vsh
open
wait-for sdk_initializing 5000
# The modems this machine's device tree shows, by instance ID (examples/by-device-tree.vsh attaches by
# one); on a machine without a modem there are none.
devices
# The module connects the first modem that the vendor library finds, learns its firmware and
# announces it.
attach
wait-for attached_to_device 10000
# The simulated SIM is locked by its PIN; once unlocked the module gathers the device information,
# and the host may connect once that and a usable service are known.
wait-for sim_status 5000
# Unread messages stored on the SIM and in the modem arrive during the attach; the module marks each
# one read once it is on its way to the host.
wait-for sms_event 5000
wait-for sms_event 5000
unlock 1234
wait-for ready_to_connect 10000
# What the host shows of the modem: identity, network, signal and session.
card
# The same at a glance, with what the notifications told (service, roaming, session) and the settings.
status
# A new message arrives (the simulator stores it and calls the module back); the GSM alphabet has
# '@', accented letters and, through its extension table, the euro sign and braces.
simulate sms = device from +4915112345678 2026-12-06 12:00:00 Café @ noon: €5 {ok}
wait-for sms_event 5000
# A message from a name rather than a number: the sender shows as "VeskBank".
simulate sms = device from VeskBank 2026-12-06 12:01:00 Your VeskBank code is 482913. Never share it.
wait-for sms_event 5000
# An emoji is outside the GSM alphabet, so this one travels in UCS2; it prints as one character.
simulate sms = device from +4915112345678 2026-12-06 12:02:00 See you at the station 😀
wait-for sms_event 5000
# A long message: the network splits it into three parts, which arrive 3, 1, 2. The module keeps the
# parts until it has all three and reports one message with the whole text.
simulate sms = device parts 3,1,2 from +4915112345678 2026-12-06 12:03:00 Travel update: your train to Hamburg on 7 December leaves from platform 4 at 08:15 instead of 07:50 because of track works near the central station. Seats in coach 12 stay reserved for you. A coffee voucher is waiting at the service desk on platform 4; show this message to collect it. If you would rather travel later, every train until noon accepts your ticket today. Thank you for your patience.
wait-for sms_event 5000
inbox
# The radio technology the modem may use is kept by the modem: 2G only, then back to its own choice.
service
service 2g
service
service default
# A data session: the module starts it on a thread of its own and reports it once the modem has
# connected; the modem then reports its traffic counters every few seconds.
connect internet.test
wait-for connected 20000
wait-for bytes_tx_rx 10000
disconnect
wait-for disconnected 10000
# Autoconnect: the module writes the default profile and the modem connects by itself; switched off,
# the modem keeps the session until the host stops it.
autoconnect on internet.test
wait-for connected 20000
autoconnect
autoconnect off
disconnect
wait-for disconnected 10000
# GPS tracking: the simulated receiver drives round a small loop; the module reports the position
# at most once every 5 seconds, and only when it changed (run with --gpx FILE to keep the track).
gps start
wait-for gps_info_changed 15000
wait-for gps_info_changed 15000
gps stop
# A diagnostic command: the modem's current settings, written to the trace.
diag 50000
# The modem keeps several firmware images and the module marks the running one. Switching flashes
# another: the modem restarts, the module detaches, attaches again 10 s later and reports the switch
# complete once the new image is initialised.
images
switch generic-cdma
wait-for detached_from_device 5000
wait-for vesk_image_switching_complete 40000
images
close
# Close detaches and returns only once the closing notifications have been delivered.
wait-for detached_from_device 1000
wait-for sdk_closed 1000
