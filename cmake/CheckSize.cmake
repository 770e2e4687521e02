# Fails when a built file is larger than its budget, so a size regression
# breaks the build that caused it. Called after a link with
# -DFILE=<path> -DBUDGET=<bytes>.
file(SIZE "${FILE}" size)
get_filename_component(name "${FILE}" NAME)
if(size GREATER BUDGET)
    message(FATAL_ERROR "${name} is ${size} bytes, over its budget of ${BUDGET} bytes")
endif()
message(STATUS "${name}: ${size} bytes (budget ${BUDGET})")
