# A loadable SDK module: "NAME.tx" without the "lib" prefix, exporting only its entry points.
function(dgn_add_module target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;OUTPUT_DIRECTORY" "SOURCES" ${ARGN})
  add_library(${target} MODULE ${ARG_SOURCES})
  if(NOT ARG_OUTPUT_NAME)
    set(ARG_OUTPUT_NAME ${target})
  endif()
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${DGN_MODULE_DIR})
  endif()
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ".tx"
    OUTPUT_NAME ${ARG_OUTPUT_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(NOT DGN_SANITIZE)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  # Hidden visibility still exports the C++ library's template code a module instantiates
  # (std::u16string's, say); a library that binds to such a copy keeps the module from ever
  # unloading. Only the entry points leave it.
  target_link_options(${target} PRIVATE -Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/ModuleExports.map)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/ModuleExports.map)
endfunction()
