cmake_minimum_required(VERSION 3.25)
# installer-cli install end to end against the local package server: the reference package is
# downloaded, verified, run silently and deleted; a second install runs the first copy's
# uninstaller before it downloads.
#   cmake -DCLI=... -DEMULATOR=... -DSERVERS=... -DWORK=... -P install_cli_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(READ "${SERVERS}/nginx.port" nginx)
string(STRIP "${nginx}" nginx)
set(url "http://127.0.0.1:${nginx}/software/TessaroSetup.exe")
set(target "${WORK}/Program Files/Tessaro")
set(target_arg "${target}")
set(uninstaller_arg "${target}/uninst.ep")
if(EMULATOR)
  string(REPLACE "/" "\\" target_arg "Z:${target}")
  string(REPLACE "/" "\\" uninstaller_arg "Z:${target}/uninst.ep")
endif()

function(install expected_codes)
  execute_process(COMMAND ${EMULATOR} "${CLI}" install "${url}" "${target_arg}" --dsc false --ssc false ${ARGN}
                  OUTPUT_VARIABLE out ERROR_QUIET RESULT_VARIABLE rc)
  string(REPLACE "\r\n" "\n" out "${out}")
  # The codes in order, progress reports left out.
  string(REGEX MATCHALL "(^|\n)[0-9]+" codes "${out}")
  string(REPLACE "\n" "" codes "${codes}")
  list(FILTER codes EXCLUDE REGEX "^(1002|2002|5002)$")
  if(NOT rc EQUAL 0 OR NOT codes STREQUAL expected_codes)
    message(FATAL_ERROR "exit ${rc}, codes '${codes}', expected '${expected_codes}', output:\n${out}")
  endif()
  foreach(file Tessaro.exe uninst.ep set.ini)
    if(NOT EXISTS "${target}/${file}")
      message(FATAL_ERROR "${file} is not installed")
    endif()
  endforeach()
  if(EXISTS "${target}/__Package_Tessaro.exe")
    message(FATAL_ERROR "the package file was not deleted")
  endif()
endfunction()

install("1001;1003;2001;3000;3001;3003;3005;2003")
install("5003;1001;1003;2001;3000;3001;3003;3005;2003" --uninstaller "${uninstaller_arg}")
