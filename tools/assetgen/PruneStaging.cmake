# Removes every file of the staging folder STAGING that the list file LIST
# does not name (one absolute path a line), so that a file left over from a
# removed recipe or content file reaches neither loose-file runs nor the pack.
file(STRINGS ${LIST} wanted)
file(GLOB_RECURSE present LIST_DIRECTORIES false ${STAGING}/*)
foreach(file ${present})
  list(FIND wanted ${file} index)
  if(index EQUAL -1)
    message(STATUS "data: removing stale ${file}")
    file(REMOVE ${file})
  endif()
endforeach()
