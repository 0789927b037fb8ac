# Writes a man page from a program's own help text: cmake -DCLI=examora-cli -DPROGRAM=NAME
# -DOUT=NAME.1.gz -P man_page.cmake
get_filename_component(plain "${OUT}" NAME_WLE)
get_filename_component(dir "${OUT}" DIRECTORY)
execute_process(COMMAND "${CLI}" help --man "${PROGRAM}" OUTPUT_FILE "${dir}/${plain}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} help --man ${PROGRAM} failed: ${status}")
endif()
# -n leaves the time and name out, so the page is the same on every build.
execute_process(COMMAND gzip -9nf "${dir}/${plain}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed: ${status}")
endif()
