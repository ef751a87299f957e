# Subsystem tests: the window and its handlers driven through the scripted serial control.
s88_add_test(test_receiver SOURCES test_receiver.cpp LIBS s88_app s88_formsupport)
s88_add_test(test_panel SOURCES test_panel.cpp LIBS s88_app s88_formsupport)
s88_add_test(test_monitor SOURCES test_monitor.cpp LIBS s88_panel)
s88_add_test(test_portcontrol SOURCES test_portcontrol.cpp LIBS s88_app)
