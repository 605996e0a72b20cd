# kv_resources(TARGET file.rc [DEPENDS files...]): compiles a resource script
# into TARGET. Both builds use the same compiler, i686-w64-mingw32-windres.
# The win32 build links the compiled resources into the program as usual;
# the native build compiles them to the standard .res format and embeds the
# bytes in the program, where the platform layer's resource loader reads
# them.
find_program(KV_WINDRES i686-w64-mingw32-windres REQUIRED)

function(kv_resources target rc)
  cmake_parse_arguments(R "" "" "DEPENDS" ${ARGN})
  get_filename_component(rc_abs ${rc} ABSOLUTE)
  get_filename_component(rc_dir ${rc_abs} DIRECTORY)
  get_filename_component(rc_name ${rc_abs} NAME_WE)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  file(MAKE_DIRECTORY ${out_dir})
  if(KV_WIN32)
    set(obj ${out_dir}/${rc_name}.res.obj)
    add_custom_command(OUTPUT ${obj}
      COMMAND ${KV_WINDRES} -I ${rc_dir} -O coff -o ${obj} ${rc_abs}
      WORKING_DIRECTORY ${rc_dir}
      DEPENDS ${rc_abs} ${R_DEPENDS}
      COMMENT "Compiling resources ${rc_name}.rc"
      VERBATIM)
    set_source_files_properties(${obj} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    target_sources(${target} PRIVATE ${obj})
  else()
    set(res ${out_dir}/${rc_name}.res)
    set(src ${out_dir}/${rc_name}_res.c)
    add_custom_command(OUTPUT ${res}
      COMMAND ${KV_WINDRES} -I ${rc_dir} -O res -o ${res} ${rc_abs}
      WORKING_DIRECTORY ${rc_dir}
      DEPENDS ${rc_abs} ${R_DEPENDS}
      COMMENT "Compiling resources ${rc_name}.rc"
      VERBATIM)
    add_custom_command(OUTPUT ${src}
      COMMAND ${CMAKE_COMMAND} -DIN=${res} -DOUT=${src} -P ${CMAKE_SOURCE_DIR}/cmake/KvEmbedResources.cmake
      DEPENDS ${res} ${CMAKE_SOURCE_DIR}/cmake/KvEmbedResources.cmake
      COMMENT "Embedding resources ${rc_name}.res"
      VERBATIM)
    target_sources(${target} PRIVATE ${src})
  endif()
endfunction()
