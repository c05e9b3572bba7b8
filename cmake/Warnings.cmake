# Shared compile options: warnings, exact floating-point arithmetic, sanitizers.
add_library(tapestra_options INTERFACE)
target_compile_options(tapestra_options INTERFACE
  -Wall -Wextra -Wpedantic
  # The imaging arithmetic is fixed to the byte: no fused multiply-add may change a result.
  -ffp-contract=off)
if(TAPESTRA_WERROR)
  target_compile_options(tapestra_options INTERFACE -Werror)
endif()
if(TAPESTRA_SANITIZE)
  target_compile_options(tapestra_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(tapestra_options INTERFACE -fsanitize=address,undefined)
endif()

# Every library and program of the project links this.
function(tapestra_target target)
  target_link_libraries(${target} PRIVATE tapestra_options)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()
