# cmake -DIN=file -DOUT=file.gz -P gzip.cmake: compresses the way Debian
# wants manual pages and changelogs (best compression, no name or time stamp,
# so the result depends on the content only).
execute_process(COMMAND gzip -9 -n -c ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "gzip ${IN}: ${result}")
endif()
