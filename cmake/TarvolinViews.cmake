# Include views: folders in the build tree holding one link per source folder
# a layer may include. Usable from a project and from `cmake -P`.

# Makes `view` hold exactly one link `<folder>` -> `<source_root>/<folder>`
# for each existing folder in ARGN. Everything else in it goes: links whose
# target was deleted or moved, links to folders no longer allowed, and files
# or folders an older build left there, so an incremental build can never
# find a header through a stale entry. Links that are already right stay
# untouched.
function(tarvolin_refresh_view view source_root)
  set(wanted "")
  foreach(folder ${ARGN})
    if(IS_DIRECTORY ${source_root}/${folder})
      list(APPEND wanted ${folder})
    endif()
  endforeach()
  file(MAKE_DIRECTORY ${view})
  file(GLOB entries LIST_DIRECTORIES true ${view}/* ${view}/.*)
  set(kept "")
  foreach(entry ${entries})
    get_filename_component(name ${entry} NAME)
    if(name STREQUAL "." OR name STREQUAL "..")
      continue()
    endif()
    if(IS_SYMLINK ${entry})
      file(READ_SYMLINK ${entry} target)
      if(name IN_LIST wanted AND target STREQUAL "${source_root}/${name}")
        list(APPEND kept ${name})
      else()
        file(REMOVE ${entry})  # the link only, never what it points at
      endif()
    else()
      file(REMOVE_RECURSE ${entry})  # does not follow links inside
    endif()
  endforeach()
  foreach(folder ${wanted})
    if(NOT folder IN_LIST kept)
      file(CREATE_LINK ${source_root}/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# Removes from `view_root` whatever is not named in ARGN: the views and
# generated files of layers that are no longer declared.
function(tarvolin_prune_views view_root)
  file(GLOB entries LIST_DIRECTORIES true ${view_root}/*)
  foreach(entry ${entries})
    get_filename_component(name ${entry} NAME)
    if(NOT name IN_LIST ARGN)
      if(IS_SYMLINK ${entry})
        file(REMOVE ${entry})
      else()
        file(REMOVE_RECURSE ${entry})
      endif()
    endif()
  endforeach()
endfunction()
