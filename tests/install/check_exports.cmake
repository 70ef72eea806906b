# Fails unless the module's dynamic symbol table (its export table on Windows) defines ConstructSDK
# and nothing else.
# Arguments: NM MODULE, or OBJDUMP WINDOWS MODULE.
if(WINDOWS)
  execute_process(COMMAND ${OBJDUMP} -p ${MODULE} RESULT_VARIABLE result OUTPUT_VARIABLE dump)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${MODULE}")
  endif()
  # The name table: "[Ordinal/Name Pointer] Table" followed by lines "\t[   0] Name".
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\] [^\n]+\n)*)" table "${dump}")
  string(REGEX REPLACE "[ \t]+\\[[ 0-9]+\\] " "" names "${CMAKE_MATCH_1}")
  string(STRIP "${names}" names)
  set(symbols "${dump}")
else()
  execute_process(COMMAND ${NM} -D --defined-only ${MODULE} RESULT_VARIABLE result OUTPUT_VARIABLE symbols)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${MODULE}")
  endif()
  string(REGEX REPLACE "[0-9a-fA-F]+ [A-Za-z] " "" names "${symbols}")
  string(STRIP "${names}" names)
endif()
if(NOT names STREQUAL "ConstructSDK")
  message(FATAL_ERROR "the module exports more than ConstructSDK (${names}):\n${symbols}")
endif()
