# Strict warnings and hardening in one INTERFACE target that every target links.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_library(corvalis_flags INTERFACE)
target_compile_options(corvalis_flags INTERFACE -Wall -Wextra -fstack-protector-strong)
target_link_options(corvalis_flags INTERFACE -Wl,-z,relro -Wl,-z,now)

if(CORVALIS_SANITIZE)
  target_compile_options(corvalis_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(corvalis_flags INTERFACE -fsanitize=address,undefined)
else()
  # Fortification needs optimisation and gets in the way of the sanitizers.
  target_compile_definitions(corvalis_flags INTERFACE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
endif()
