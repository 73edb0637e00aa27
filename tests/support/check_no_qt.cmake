# Fails when a file of the core or platform folders includes a Qt header.
file(GLOB_RECURSE files ${ROOT}/src/platform/*.h ${ROOT}/src/platform/*.cpp
                        ${ROOT}/src/engine/*.h ${ROOT}/src/engine/*.cpp
                        ${ROOT}/src/checks/*.h ${ROOT}/src/checks/*.cpp
                        ${ROOT}/src/results/*.h ${ROOT}/src/results/*.cpp
                        ${ROOT}/src/settings/*.h ${ROOT}/src/settings/*.cpp
                        ${ROOT}/src/shell/*.h ${ROOT}/src/shell/*.cpp)
set(offenders)
foreach(f IN LISTS files)
  file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
  if(hits)
    list(APPEND offenders ${f})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Qt headers included in the core or platform layer: ${offenders}")
endif()
message(STATUS "no Qt include in ${ROOT}/src core folders")
