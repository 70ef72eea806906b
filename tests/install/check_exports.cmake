# Fails unless the module's dynamic symbol table defines ConstructSDK and nothing else.
# Arguments: NM MODULE.
execute_process(COMMAND ${NM} -D --defined-only ${MODULE} RESULT_VARIABLE result OUTPUT_VARIABLE symbols)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${MODULE}")
endif()
string(REGEX REPLACE "[0-9a-fA-F]+ [A-Za-z] " "" names "${symbols}")
string(STRIP "${names}" names)
if(NOT names STREQUAL "ConstructSDK")
  message(FATAL_ERROR "the module exports more than ConstructSDK:\n${symbols}")
endif()
