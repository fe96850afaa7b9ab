# Removes from the staging folder (STAGING) every file that no build step hands over any more
# (the list in STAGED, one path a line), so a recipe or step taken away leaves nothing in the pack.
cmake_minimum_required(VERSION 3.16)
file(STRINGS ${STAGED} staged)
file(GLOB_RECURSE present ${STAGING}/*)
foreach(path ${present})
  if(NOT path IN_LIST staged)
    message(STATUS "Removing ${path}: no build step makes it")
    file(REMOVE ${path})
  endif()
endforeach()
