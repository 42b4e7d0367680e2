# Writes a .def file exporting each NAME:BYTES of ARGN from the function
# PREFIX plus NAME, with SUFFIX after each line (PRIVATE, or nothing). On i686
# the internal name carries its stdcall decoration, @BYTES.
function(pelterwyn_def_file path dll prefix suffix)
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  foreach(export ${ARGN})
    string(REPLACE ":" ";" parts ${export})
    list(GET parts 0 name)
    list(GET parts 1 bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND def "  ${name}=${prefix}${name}@${bytes}${suffix}\n")
    else()
      string(APPEND def "  ${name}=${prefix}${name}${suffix}\n")
    endif()
  endforeach()
  file(WRITE ${path} "${def}")
endfunction()
