# The layers under src/ and what each may use. A target of a layer compiles
# against a folder of links made for it alone, holding its own folder and the
# folders of the layers below it, and nothing else: including a higher
# layer's header fails to compile, and a call into one (its library is not
# linked below) fails to link. Headers keep their paths ("export/exporter.h")
# whichever target includes them.
set(TELLWICK_SOURCE_ROOT ${PROJECT_SOURCE_DIR}/src)
set(TELLWICK_LAYER_VIEWS ${PROJECT_BINARY_DIR}/layer_views)

# Gives `target` an include folder that shows only `folders` of src/.
function(tellwick_layer_view target)
  set(view ${TELLWICK_LAYER_VIEWS}/${target})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(folder IN LISTS ARGN)
    file(CREATE_LINK ${TELLWICK_SOURCE_ROOT}/${folder} ${view}/${folder} RESULT failed SYMBOLIC)
    if(failed)
      # A Windows host without the right to make links: the build still
      # works, it only no longer stops an upward include.
      message(WARNING "No folder links here (${failed}): ${target} sees all of src/")
      target_include_directories(${target} PRIVATE ${TELLWICK_SOURCE_ROOT})
      return()
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${view})
endfunction()

# tellwick_layer(<folder> SOURCES <files...> BELOW <folders...>): the static
# library tellwick_<folder>, linking the layers BELOW it (all of them, those
# below these included) and seeing only their folders and its own.
function(tellwick_layer layer)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;BELOW")
  add_library(tellwick_${layer} STATIC ${arg_SOURCES})
  tellwick_layer_view(tellwick_${layer} ${layer} ${arg_BELOW})
  foreach(below IN LISTS arg_BELOW)
    target_link_libraries(tellwick_${layer} PUBLIC tellwick_${below})
  endforeach()
endfunction()
