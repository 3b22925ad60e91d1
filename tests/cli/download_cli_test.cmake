cmake_minimum_required(VERSION 3.25)
# installer-cli download end to end against the local package servers: the report lines, the exit
# codes, and the package path after success and after failure.
#   cmake -DCLI=... -DEMULATOR=... -DSERVERS=... -DWORK=... -P download_cli_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(READ "${SERVERS}/nginx.port" nginx)
file(READ "${SERVERS}/fault.port" fault)
string(STRIP "${nginx}" nginx)
string(STRIP "${fault}" fault)

function(download type url expect_rc first last)
  set(package "${WORK}/__Package_Tessaro.exe")
  set(package_arg "${package}")
  if(EMULATOR)
    string(REPLACE "/" "\\" package_arg "Z:${package}")
  endif()
  execute_process(COMMAND ${EMULATOR} "${CLI}" download --type ${type} "${url}" "${package_arg}"
                  OUTPUT_VARIABLE out ERROR_QUIET RESULT_VARIABLE rc)
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REGEX REPLACE "\n$" "" out "${out}")
  string(REPLACE "\n" ";" lines "${out}")
  list(GET lines 0 got_first)
  list(GET lines -1 got_last)
  if(NOT rc EQUAL expect_rc OR NOT got_first STREQUAL first OR NOT got_last STREQUAL last)
    message(FATAL_ERROR "type ${type} ${url}: exit ${rc}, output:\n${out}\nexpected exit ${expect_rc}, "
                        "first line '${first}', last line '${last}'")
  endif()
  if(expect_rc EQUAL 0 AND NOT EXISTS "${package}")
    message(FATAL_ERROR "type ${type}: no package after success")
  endif()
  if(expect_rc EQUAL 1 AND EXISTS "${package}")
    message(FATAL_ERROR "type ${type}: the package path is not deleted after 1004")
  endif()
  file(REMOVE "${package}")
endfunction()

set(tab "\t")
foreach(type 1 3)
  download(${type} "http://127.0.0.1:${nginx}/software/pkg-2m.bin" 0 "1001${tab}1${tab}" "1003${tab}0${tab}LibCurl")
endforeach()
# No length to be had: the single-connection downloader gives the client's -998 after its budget,
# the multi-part downloader 0 at once.
download(1 "http://127.0.0.1:${fault}/status=500/software/pkg-2m.bin" 1 "1001${tab}1${tab}" "1004${tab}-998${tab}LibCurl")
download(3 "http://127.0.0.1:${fault}/status=500/software/pkg-2m.bin" 1 "1001${tab}1${tab}" "1004${tab}0${tab}LibCurl")
download(3 "http://127.0.0.1:${fault}/md5=00000000000000000000000000000000/software/pkg-256.bin" 1
         "1001${tab}1${tab}" "1004${tab}0${tab}LibCurl")
download(2 "http://127.0.0.1:${nginx}/software/pkg-2m.bin" 0 "1001${tab}1${tab}" "1003${tab}0${tab}URLDownloadToFile")
