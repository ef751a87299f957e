# Faults on pseudo terminals: lines that vanish or stall mid-burst, clicks hammered in while
# data pours in, hostile count texts and byte streams.
s88_add_test(test_faults SOURCES test_faults.cpp LIBS s88_app s88_sim s88_formsupport)
