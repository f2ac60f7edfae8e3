# The check of the test "layering" (tests/CMakeLists.txt), run with cmake -P.
# FOLDERS names the product folders. For each folder F: ALLOWED_F lists the folders its library may
# include from, INCLUDES_F the include folders the build gives its sources
# ("|" between them). A folder is reachable when "F/..." resolves in one of
# them. Includes that climb out of their folder ("../") would get round the
# build, so none may be written.
string(REPLACE "|" ";" folders "${FOLDERS}")
set(failures)
foreach(folder IN LISTS folders)
  string(REPLACE "|" ";" includes "${INCLUDES_${folder}}")
  set(reachable)
  foreach(other IN LISTS folders)
    foreach(dir IN LISTS includes)
      if(EXISTS "${dir}/${other}/CMakeLists.txt")
        list(APPEND reachable ${other})
        break()
      endif()
    endforeach()
  endforeach()
  string(REPLACE "|" ";" allowed "${ALLOWED_${folder}}")
  list(SORT reachable)
  list(SORT allowed)
  if(NOT reachable STREQUAL allowed)
    list(APPEND failures "${folder} sees [${reachable}], should see [${allowed}]")
  endif()

  file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" climbing REGEX "^[ \t]*#[ \t]*include[ \t]*\"\\.\\./")
    if(climbing)
      list(APPEND failures "${source}: ${climbing}")
    endif()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "The layering is broken:\n  ${text}")
endif()
list(LENGTH folders count)
message(STATUS "${count} libraries, each seeing only itself and what lies below it")
