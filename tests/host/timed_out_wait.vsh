# The module is never opened, so nothing arrives: the script must fail, and the host still end cleanly.
wait-for sdk_initializing 50
close
