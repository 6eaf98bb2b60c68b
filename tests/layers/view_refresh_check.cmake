# Refreshes an include view that an earlier build left behind and checks that
# only links to the allowed, existing folders remain, and that no stale
# header can be found through it.
# Run with -DVIEWS=<TarvolinViews.cmake> -DWORK=<scratch folder>.
cmake_minimum_required(VERSION 3.20)
include(${VIEWS})

function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

file(REMOVE_RECURSE ${WORK})
set(src ${WORK}/src)
set(view ${WORK}/layers/project)
foreach(folder common platform project script gone)
  file(WRITE ${src}/${folder}/${folder}.h "// ${folder}\n")
endforeach()
file(WRITE ${WORK}/elsewhere/project/old.h "// moved away\n")

# The view as an earlier build left it: project allowed script, a folder
# that was since deleted, a link that points at a folder that moved, and a
# real folder and file from an older layout.
tarvolin_refresh_view(${view} ${src} common platform project script gone)
file(REMOVE_RECURSE ${src}/gone)
file(REMOVE ${view}/project)
file(CREATE_LINK ${WORK}/elsewhere/project ${view}/project SYMBOLIC)
file(WRITE ${view}/machine/machine.h "// stale copy\n")
file(WRITE ${view}/stale.h "// stale copy\n")

# Now project may use common and platform only; "gone" is still named but
# its folder no longer exists.
tarvolin_refresh_view(${view} ${src} common platform project gone)

file(GLOB entries LIST_DIRECTORIES true RELATIVE ${view} ${view}/* ${view}/.*)
list(REMOVE_ITEM entries . ..)
list(SORT entries)
if(NOT entries STREQUAL "common;platform;project")
  fail("view holds '${entries}' instead of common;platform;project")
endif()
foreach(folder common platform project)
  file(READ_SYMLINK ${view}/${folder} target)
  if(NOT target STREQUAL "${src}/${folder}")
    fail("${folder} links to ${target}")
  endif()
endforeach()
if(NOT EXISTS ${view}/project/project.h)
  fail("project.h not found through the view")
endif()
if(EXISTS ${view}/project/old.h)
  fail("a moved header is still found")
endif()
if(EXISTS ${view}/script/script.h)
  fail("a header of a folder no longer allowed is found")
endif()
if(NOT EXISTS ${src}/script/script.h OR NOT EXISTS ${WORK}/elsewhere/project/old.h)
  fail("refreshing removed a source file or a link's target")
endif()

# Views of layers that are no longer declared go; declared ones stay.
file(MAKE_DIRECTORY ${WORK}/layers/retired)
file(WRITE ${WORK}/layers/retired_headers.cpp "#include \"retired/retired.h\"\n")
tarvolin_prune_views(${WORK}/layers project)
if(NOT IS_DIRECTORY ${view})
  fail("pruning removed a declared view")
endif()
if(EXISTS ${WORK}/layers/retired OR EXISTS ${WORK}/layers/retired_headers.cpp)
  fail("the view or header check of a retired layer stays")
endif()
if(NOT EXISTS ${src}/project/project.h)
  fail("pruning removed a source file")
endif()
