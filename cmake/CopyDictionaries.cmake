# Copies the dictionaries that scripts/install-postcode-data built into the
# program folder's "Dic" (DEST), when they are there; a build without them
# still runs, and the lookup says that its data is missing.
execute_process(COMMAND bash ${SOURCE_DIR}/scripts/postcode-cache-dir OUTPUT_VARIABLE cache
                OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(name Yubin.dic Hojin.dic LICENSE-japan-postal-code.txt)
  if(EXISTS "${cache}/${name}")
    file(MAKE_DIRECTORY "${DEST}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${cache}/${name}" "${DEST}/${name}")
  endif()
endforeach()
