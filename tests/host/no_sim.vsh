# A modem without a SIM: the scenario is loaded before the module loads the simulator.
scenario examples/no-sim.scn
open
wait-for sdk_initializing 5000
attach
wait-for sim_status 5000
