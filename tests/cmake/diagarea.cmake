# The diagnostics area of the window on pseudo terminals, and its CSV against --history.
s88_add_test(test_diagarea SOURCES test_diagarea.cpp LIBS s88_app s88_formsupport)
target_compile_definitions(test_diagarea PRIVATE S88MONITOR="$<TARGET_FILE:s88monitor>")
add_dependencies(test_diagarea s88monitor)
