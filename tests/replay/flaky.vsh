# The flaky modem's day: busy answers while attaching, a session that starts on the second try, then
# its timeline of signal, roaming, a dropped session and a detour through airplane mode.
open
wait-for sdk_initializing 5000
attach
wait-for attached_to_device 20000
wait-for sim_status 10000
unlock 1234
wait-for ready_to_connect 20000
-connect internet.test
wait 2000
-connect internet.test
wait-for connected 20000
wait-for bytes_tx_rx 15000
wait-for rssi 30000
wait-for roaming 20000
wait 6000
close
