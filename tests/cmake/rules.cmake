# Pure rules, start-up and the module-count command.
s88_add_test(test_decoder SOURCES test_decoder.cpp LIBS s88_receive)
s88_add_test(test_countvalue SOURCES test_countvalue.cpp LIBS s88_link)
s88_add_test(test_startup SOURCES test_startup.cpp LIBS s88_app)
s88_add_test(test_countcommand SOURCES test_countcommand.cpp LIBS s88_app)
