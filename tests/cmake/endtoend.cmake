# End to end on pseudo terminals with the real serial control, and the window as laid out.
s88_add_test(test_pty SOURCES test_pty.cpp LIBS s88_app s88_formsupport)
s88_add_test(test_window SOURCES test_window.cpp LIBS s88_app)
