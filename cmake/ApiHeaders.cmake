# Copies the public headers into OUT/grabwell/: the umbrella header and every
# header it reaches through quoted includes, each with its includes of the
# others rewritten from "formats/X.h" to "grabwell/formats/X.h", so that
# consumers see one folder, grabwell/, and nothing else of the source tree.
# Only the platform, formats and pictures layers may be reached, and the
# headers of the other files libgrabwell.a holds (PUBLIC_FILES, paths in the
# source tree separated by commas, such as batch/core/SetIcon.h). Files under
# OUT/grabwell/ that are no longer reached are removed.
#   cmake -DSOURCE_DIR=... -DUMBRELLA=.../grabwell.h -DOUT=... -DSTAMP=... [-DPUBLIC_FILES=...] -P ApiHeaders.cmake
cmake_minimum_required(VERSION 3.22)
foreach(var SOURCE_DIR UMBRELLA OUT STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ApiHeaders.cmake needs -D${var}=")
  endif()
endforeach()

set(public_layers platform formats pictures)
string(REPLACE "," ";" public_files "${PUBLIC_FILES}")
# Whether a header's path (as included) is one the installed API holds.
function(is_public header out)
  string(REGEX MATCH "^[^/]+" layer "${header}")
  if((layer IN_LIST public_layers OR header IN_LIST public_files) AND EXISTS "${SOURCE_DIR}/${header}")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()
set(include_line "#[ \t]*include[ \t]*\"([^\"]*)\"")

# The quoted includes of a header, as written.
function(quoted_includes content out)
  string(REGEX MATCHALL "${include_line}" lines "${content}")
  set(paths)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "${include_line}" "\\1" path "${line}")
    list(APPEND paths "${path}")
  endforeach()
  set(${out} "${paths}" PARENT_SCOPE)
endfunction()

# Writes content to file unless it already holds exactly that, so that an
# unchanged header keeps its time stamp.
function(write_if_changed file content)
  if(EXISTS "${file}")
    file(READ "${file}" old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE "${file}" "${content}")
endfunction()

set(out_root "${OUT}/grabwell")
file(READ "${UMBRELLA}" umbrella)
quoted_includes("${umbrella}" roots)
set(queue)
foreach(path IN LISTS roots)
  if(NOT path MATCHES "^grabwell/(.+)$")
    message(FATAL_ERROR "${UMBRELLA} includes \"${path}\": the umbrella includes only grabwell/ headers")
  endif()
  list(APPEND queue "${CMAKE_MATCH_1}")
endforeach()
write_if_changed("${out_root}/grabwell.h" "${umbrella}")
set(written "${out_root}/grabwell.h")

set(done)
while(queue)
  list(POP_FRONT queue header)
  if(header IN_LIST done)
    continue()
  endif()
  list(APPEND done "${header}")
  is_public("${header}" ok)
  if(NOT ok)
    message(FATAL_ERROR "The public headers reach \"${header}\", which is not a header of ${public_layers} "
                        "or one of ${public_files}")
  endif()
  file(READ "${SOURCE_DIR}/${header}" content)
  quoted_includes("${content}" includes)
  foreach(path IN LISTS includes)
    is_public("${path}" ok)
    if(NOT ok)
      message(FATAL_ERROR "${header} includes \"${path}\", which the installed API does not hold")
    endif()
    list(APPEND queue "${path}")
  endforeach()
  string(REGEX REPLACE "(#[ \t]*include[ \t]*\")((platform|formats|pictures|batch)/)" "\\1grabwell/\\2"
         content "${content}")
  write_if_changed("${out_root}/${header}" "${content}")
  list(APPEND written "${out_root}/${header}")
endwhile()

file(GLOB_RECURSE present "${out_root}/*")
foreach(file IN LISTS present)
  if(NOT file IN_LIST written)
    file(REMOVE "${file}")
  endif()
endforeach()
file(GLOB folders LIST_DIRECTORIES true "${out_root}/*")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE inside "${folder}/*")
  if(IS_DIRECTORY "${folder}" AND NOT inside)
    file(REMOVE_RECURSE "${folder}")
  endif()
endforeach()
list(LENGTH written count)
file(WRITE "${STAMP}" "${count} headers\n")
