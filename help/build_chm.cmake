# cmake -DSOURCE_DIR=... -DWORK_DIR=... -DOUTPUT=... -DCHMCMD=... -DICONV=... -DSTAMP=... -P build_chm.cmake
# The help is written in UTF-8; a Japanese help file is read in its language's code page (CP932),
# so every page, the contents and the index are converted before chmcmd compiles them.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(GLOB sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.html ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk
  ${SOURCE_DIR}/*.hhp ${SOURCE_DIR}/*.css)
foreach(name IN LISTS sources)
  file(READ ${SOURCE_DIR}/${name} text)
  string(REPLACE "charset=utf-8" "charset=Shift_JIS" text "${text}")
  file(WRITE ${WORK_DIR}/${name}.utf8 "${text}")
  execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${WORK_DIR}/${name}.utf8
    OUTPUT_FILE ${WORK_DIR}/${name} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${name}: not representable in CP932")
  endif()
  file(REMOVE ${WORK_DIR}/${name}.utf8)
endforeach()
execute_process(COMMAND ${CHMCMD} --no-html-scan Velmor.hhp WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed OR NOT EXISTS ${WORK_DIR}/Velmor.chm)
  message(FATAL_ERROR "chmcmd failed:\n${log}")
endif()
# chmcmd stamps the time of day it ran; a package build gives the time its sources were last changed
# (SOURCE_DATE_EPOCH, from debian/changelog), so that two builds give the same file.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND ${STAMP} ${WORK_DIR}/Velmor.chm $ENV{SOURCE_DATE_EPOCH} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Velmor.chm: the build time could not be set")
  endif()
endif()
file(COPY_FILE ${WORK_DIR}/Velmor.chm ${OUTPUT} ONLY_IF_DIFFERENT)
