# cmake -DSEVENZIP=7zz -DSOURCE=skin/files -DSTAGE=dir -DOUTPUT=skin.7z -P pack_skin.cmake
# Copies the skin's files to a staging folder (without dot-files), adds the
# directory entries the skin must list, and packs it as a solid LZMA2 7z archive
# without time stamps, so the same files give the same archive.
foreach(required SEVENZIP SOURCE STAGE OUTPUT)
  if(NOT ${required})
    message(FATAL_ERROR "pack_skin.cmake: ${required} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/common ${STAGE}/language)
file(COPY ${SOURCE}/ DESTINATION ${STAGE} PATTERN ".*" EXCLUDE)
if(EXTRA)  # files drawn at build time
  file(COPY ${EXTRA}/ DESTINATION ${STAGE} PATTERN ".*" EXCLUDE)
endif()

file(GLOB top_level LIST_DIRECTORIES true RELATIVE ${STAGE} ${STAGE}/*)
list(SORT top_level)
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
set(partial ${OUTPUT}.partial.7z)
file(REMOVE ${partial})
execute_process(
  COMMAND ${SEVENZIP} a -t7z -m0=LZMA2 -mx=9 -ms=on -mtm=off -mtc=off -mta=off -bd -bso0 -bsp0
          ${partial} ${top_level}
  WORKING_DIRECTORY ${STAGE}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "7zz failed to pack the skin (${result})")
endif()
file(RENAME ${partial} ${OUTPUT})
