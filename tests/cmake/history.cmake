# The change history, recordings, replay and the command-line reports.
s88_add_test(test_history SOURCES test_history.cpp LIBS s88_history s88_sim s88_formsupport)
target_compile_definitions(test_history PRIVATE S88MONITOR="$<TARGET_FILE:s88monitor>")
add_dependencies(test_history s88monitor)
