# A short tour of the plug-in module: open it, see it start, close it.
# Run it with scripts/demo, or: vesk-host examples/tour.vsh
open
wait-for sdk_initializing 5000
close
# Close returns only once the closing notifications have been delivered.
wait-for detached_from_device 1000
wait-for sdk_closed 1000
