# The command line, parsed and answered by the built program with no display.
s88_add_test(test_commandline SOURCES test_commandline.cpp LIBS s88_commandline)
target_compile_definitions(test_commandline PRIVATE S88MONITOR="$<TARGET_FILE:s88monitor>")
add_dependencies(test_commandline s88monitor)
