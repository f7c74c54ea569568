# The client's layers, each a static library defined once, by varnock_layer:
#
#   varnock_layer(<name> SOURCES <file>...
#                 [LAYERS <layer>...]              the layers it builds on
#                 [LIBRARIES <library>...]         other libraries, linked by its users too
#                 [DEFINITIONS <definition>...]    seen by its users too
#                 [PRIVATE_DEFINITIONS <definition>...])
#
# Sources include each other from the source root ("platform/form.h",
# "app/forms.h"), so every layer hands that folder on to its users.
#
# The layers are built once per build folder: under the sanitizers only in
# the build `make test-asan` configures (VARNOCK_SANITIZE).

function(varnock_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" ""
                        "SOURCES;LAYERS;LIBRARIES;DEFINITIONS;PRIVATE_DEFINITIONS")
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_features(${name} PUBLIC cxx_std_20)
  target_compile_definitions(${name} PUBLIC ${arg_DEFINITIONS} PRIVATE ${arg_PRIVATE_DEFINITIONS})
  target_link_libraries(${name} PUBLIC ${arg_LAYERS} ${arg_LIBRARIES})
endfunction()
