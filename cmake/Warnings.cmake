# One set of warnings for every target of the project.
function(c2c_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
