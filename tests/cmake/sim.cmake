# The virtual interface module: its pattern and command parsing, the module over its pseudo
# terminal, and the whole program running on it.
s88_add_test(test_sim SOURCES test_sim.cpp LIBS s88_sim)
s88_add_test(test_simulate SOURCES test_simulate.cpp LIBS s88_app s88_sim)
