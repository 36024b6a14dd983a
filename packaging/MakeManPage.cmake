# Makes one gzipped manual page from TEMPLATE, filled in with PROJECT_VERSION and
# ZEPHYL_RELEASE_DATE; with PROGRAM, also with its commands, from the program's own help
# turned into roff by AWK_SCRIPT.
#   cmake -DTEMPLATE=... -DOUTPUT=page.1.gz -DPROJECT_VERSION=... -DZEPHYL_RELEASE_DATE=...
#         [-DPROGRAM=... -DAWK_SCRIPT=...] -P MakeManPage.cmake
if(PROGRAM)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${PROGRAM} --help-all
    COMMAND awk -f ${AWK_SCRIPT}
    OUTPUT_VARIABLE ZEPHYL_CLI_COMMANDS
    COMMAND_ERROR_IS_FATAL ANY)
  string(STRIP "${ZEPHYL_CLI_COMMANDS}" ZEPHYL_CLI_COMMANDS)
endif()
string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
configure_file(${TEMPLATE} ${page} @ONLY)
# -n: no name or time stamp, so that the same page gives the same bytes.
execute_process(COMMAND gzip -9nf ${page} COMMAND_ERROR_IS_FATAL ANY)
