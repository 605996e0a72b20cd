# kv_system: the compile rules every piece of system code follows, in both
# builds: no exceptions, no RTTI, warnings as errors. In the native build it
# also puts our platform headers in front, so <windows.h> resolves to them,
# and links the platform layer.
add_library(kv_system INTERFACE)
target_compile_options(kv_system INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>
  -Wall -Wextra -Werror)
target_include_directories(kv_system INTERFACE ${CMAKE_SOURCE_DIR})
if(KV_WIN32)
  target_compile_definitions(kv_system INTERFACE WIN32_LEAN_AND_MEAN)
endif()

# kv_system_library(NAME SOURCES...): a static library of system code.
function(kv_system_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC kv_system)
endfunction()
