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
# With VARNOCK_ASAN_COPIES on, each layer also has <name>_asan: the same
# sources under AddressSanitizer and UndefinedBehaviorSanitizer, built on the
# _asan copies of its layers. The everyday build runs the unit tests on them
# too; a copy is built only when something links it.

set(VARNOCK_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                       -fno-omit-frame-pointer)

# The sanitizers on one target: compiled into it, and linked into it and into
# whatever links it.
function(varnock_sanitize target)
  target_compile_options(${target} PRIVATE ${VARNOCK_SANITIZERS} -O1)
  target_link_options(${target} PUBLIC -fsanitize=address,undefined)
endfunction()

function(varnock_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" ""
                        "SOURCES;LAYERS;LIBRARIES;DEFINITIONS;PRIVATE_DEFINITIONS")
  add_library(${name} STATIC ${arg_SOURCES})
  set(targets ${name})
  if(VARNOCK_ASAN_COPIES)
    add_library(${name}_asan STATIC EXCLUDE_FROM_ALL ${arg_SOURCES})
    varnock_sanitize(${name}_asan)
    list(APPEND targets ${name}_asan)
  endif()
  foreach(target IN LISTS targets)
    set(layers ${arg_LAYERS})
    if(NOT target STREQUAL name)
      list(TRANSFORM layers APPEND _asan)
    endif()
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_definitions(${target} PUBLIC ${arg_DEFINITIONS} PRIVATE ${arg_PRIVATE_DEFINITIONS})
    target_link_libraries(${target} PUBLIC ${layers} ${arg_LIBRARIES})
  endforeach()
endfunction()
