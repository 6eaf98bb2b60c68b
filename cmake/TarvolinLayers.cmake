# The layer plan, enforced by the build.
#
# Each folder of src/ is one library, tarvolin_<folder>, declared with
#
#   tarvolin_layer(<folder> [QT] [DEPS <folder>...] [LIBS <target>...] [EXCLUDE <regex>...])
#
# DEPS are the folders the layer may include, besides itself; what they may
# include comes with them. They must be declared before the layer, so the
# graph has no cycles. The library compiles against a view of src/ (a folder
# in the build tree with one link per allowed folder) instead of src/ itself,
# so an `#include "script/..."` in a layer that may not use script/ fails to
# build. Every header of the layer is compiled once in that view too, so a
# header cannot hide a forbidden include from the check.
#
# QT marks a window layer: built only when Qt 6 and QScintilla were found,
# with AUTOMOC and AUTORCC, linked with Qt and the SDL audio backend.
# A declared folder without sources yet is an interface library, so layers
# above it can already name it.

set(TARVOLIN_SOURCE_ROOT ${PROJECT_SOURCE_DIR}/src)
set(TARVOLIN_VIEW_ROOT ${PROJECT_BINARY_DIR}/layers)

include(${CMAKE_CURRENT_LIST_DIR}/TarvolinViews.cmake)

# Makes `view` hold exactly one link per folder of src/ in ARGN.
function(_tarvolin_make_view view)
  tarvolin_refresh_view(${view} ${TARVOLIN_SOURCE_ROOT} ${ARGN})
  get_filename_component(name ${view} NAME)
  set_property(GLOBAL APPEND PROPERTY TARVOLIN_VIEW_ENTRIES ${name})
endfunction()

function(tarvolin_layer name)
  cmake_parse_arguments(L "QT" "" "DEPS;LIBS;EXCLUDE" ${ARGN})
  if(L_QT AND NOT TARVOLIN_HAVE_GUI)
    return()
  endif()

  # The folders this layer may include: itself and its dependencies' sets.
  set(allowed ${name})
  foreach(dep ${L_DEPS})
    get_property(known GLOBAL PROPERTY TARVOLIN_LAYER_${dep}_ALLOWED SET)
    if(NOT known)
      message(FATAL_ERROR "Layer ${name}: ${dep} must be declared before it")
    endif()
    get_property(dep_allowed GLOBAL PROPERTY TARVOLIN_LAYER_${dep}_ALLOWED)
    list(APPEND allowed ${dep_allowed})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(GLOBAL PROPERTY TARVOLIN_LAYER_${name}_ALLOWED ${allowed})
  set_property(GLOBAL APPEND PROPERTY TARVOLIN_LAYERS ${name})
  if(L_QT)
    set_property(GLOBAL APPEND PROPERTY TARVOLIN_QT_LAYERS ${name})
  else()
    set_property(GLOBAL APPEND PROPERTY TARVOLIN_CORE_LAYERS ${name})
  endif()

  set(dir ${TARVOLIN_SOURCE_ROOT}/${name})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${dir}/*.h)
  set(extra "")
  if(L_QT)
    file(GLOB_RECURSE extra CONFIGURE_DEPENDS ${dir}/*.qrc)
  endif()
  foreach(pattern ${L_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${pattern}")
    list(FILTER headers EXCLUDE REGEX "${pattern}")
  endforeach()

  set(view ${TARVOLIN_VIEW_ROOT}/${name})
  _tarvolin_make_view(${view} ${allowed})
  set(target tarvolin_${name})
  set_property(GLOBAL PROPERTY TARVOLIN_LAYER_${name}_VIEW ${view})

  set(deps "")
  foreach(dep ${L_DEPS})
    list(APPEND deps tarvolin_${dep})
  endforeach()
  if(L_QT)
    list(APPEND deps Qt6::Widgets Qt6::Svg QScintilla::QScintilla)
    if(TARGET tarvolin_sdl)
      list(APPEND deps tarvolin_sdl)
    endif()
  endif()

  if(NOT sources)
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${deps} ${L_LIBS})
    return()
  endif()

  # One translation unit including every header of the layer on its own.
  set(check "// Generated: every header of src/${name}/, compiled in the layer's view.\n")
  foreach(header ${headers})
    file(RELATIVE_PATH rel ${TARVOLIN_SOURCE_ROOT} ${header})
    string(APPEND check "#include \"${rel}\"\n")
  endforeach()
  set(check_file ${TARVOLIN_VIEW_ROOT}/${name}_headers.cpp)
  set_property(GLOBAL APPEND PROPERTY TARVOLIN_VIEW_ENTRIES ${name}_headers.cpp)
  file(CONFIGURE OUTPUT ${check_file} CONTENT "${check}")

  add_library(${target} STATIC ${sources} ${headers} ${extra} ${check_file})
  target_include_directories(${target} PRIVATE ${view})
  target_link_libraries(${target} PUBLIC ${deps} ${L_LIBS})
  if(L_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
endfunction()

# An interface library `target` that brings every layer of `kind`
# (CORE or QT) and a view of all their folders, for programs and tests.
function(tarvolin_aggregate target kind)
  get_property(layers GLOBAL PROPERTY TARVOLIN_${kind}_LAYERS)
  set(folders "")
  set(libs "")
  foreach(layer ${layers})
    get_property(allowed GLOBAL PROPERTY TARVOLIN_LAYER_${layer}_ALLOWED)
    list(APPEND folders ${allowed})
    list(APPEND libs tarvolin_${layer})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(view ${TARVOLIN_VIEW_ROOT}/${target})
  _tarvolin_make_view(${view} ${folders})
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE ${view})
  target_link_libraries(${target} INTERFACE ${libs} ${ARGN})
endfunction()

# Drops the views and header checks of layers no longer declared; call once
# after the last layer.
function(tarvolin_prune_stale_views)
  get_property(entries GLOBAL PROPERTY TARVOLIN_VIEW_ENTRIES)
  tarvolin_prune_views(${TARVOLIN_VIEW_ROOT} ${entries})
endfunction()
