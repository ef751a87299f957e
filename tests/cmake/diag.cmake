# The guided wiring check: its rules, the Danish number words, the window with a speaker
# double, and the speaker without a speech engine.
s88_add_test(test_walktest SOURCES test_walktest.cpp LIBS s88_diag)
