# Warnings and sanitizers in one place; every target of ours calls lumetra_target_options().
add_library(lumetra_options INTERFACE)
target_compile_options(lumetra_options INTERFACE -Wall -Wextra -Wpedantic)
if(LUMETRA_WERROR)
    target_compile_options(lumetra_options INTERFACE -Werror)
endif()
if(LUMETRA_SANITIZE)
    target_compile_options(lumetra_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(lumetra_options INTERFACE -fsanitize=address,undefined)
endif()

if(LUMETRA_FUZZ)
    # Everything the harnesses reach is instrumented; only the harnesses link the fuzzer.
    target_compile_options(lumetra_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(lumetra_options INTERFACE -fsanitize=address,undefined)
endif()

function(lumetra_target_options target)
    target_link_libraries(${target} PRIVATE lumetra_options)
endfunction()
