s88_add_test(test_portmap SOURCES test_portmap.cpp LIBS s88_link)
