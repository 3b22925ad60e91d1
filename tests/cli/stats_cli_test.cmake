cmake_minimum_required(VERSION 3.25)
# installer-cli stats-selftest end to end against the local statistics collector: a first run
# whose server is down stages its reports beside the identity file (named by "Set.ini" beside the
# executable, with "/" separators), the next run delivers them before its own; a run with
# statistics disabled sends nothing and creates no files.
#   cmake -DCLI=... -DWORK=... -DEMULATOR=... -DSERVERS=... -DPYTHON=... -DCHECKER=... -P stats_cli_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/app")
get_filename_component(exe_name "${CLI}" NAME)
file(COPY "${CLI}" DESTINATION "${WORK}/app")
set(cli "${WORK}/app/${exe_name}")
file(READ "${SERVERS}/stats.port" port)
string(STRIP "${port}" port)
set(collector "http://127.0.0.1:${port}")
string(RANDOM LENGTH 8 ALPHABET abcdefghijklmnopqrstuvwxyz0123456789 token)
set(url "${collector}/t=cli${token}/events?project=pc")

set(ids "${WORK}/ids")
set(ids_arg "${ids}/Tessaro.ini")
if(EMULATOR)
  set(ids_arg "Z:${ids_arg}")
endif()
file(WRITE "${WORK}/app/Set.ini" "[Install]\nKVAnalyticsIni=${ids_arg}\n")

function(collector path out)
  file(DOWNLOAD "${collector}/${path}" "${WORK}/answer.txt" STATUS status)
  list(GET status 0 code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "collector ${path}: ${status}")
  endif()
  file(READ "${WORK}/answer.txt" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(selftest)
  execute_process(COMMAND ${EMULATOR} "${cli}" stats-selftest "${url}"
                  WORKING_DIRECTORY "${WORK}" OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "stats-selftest: exit ${rc}\n${out}\n${err}")
  endif()
endfunction()

# Statistics disabled: nothing at all.
file(WRITE "${WORK}/app/KorvelInstallerConfig.ini" "[Install]\nIsEnableAppStats=false\n")
selftest()
file(REMOVE "${WORK}/app/KorvelInstallerConfig.ini")
collector("flat?t=cli${token}" flat)
if(NOT flat STREQUAL "" OR EXISTS "${ids}")
  message(FATAL_ERROR "disabled statistics left records or files:\n${flat}")
endif()

# The server goes down: the reports wait in the staging file.
collector("ctl?t=cli${token}&status=0" ignored)
selftest()
collector("flat?t=cli${token}" flat)
if(NOT flat STREQUAL "")
  message(FATAL_ERROR "records arrived while the server was down:\n${flat}")
endif()
file(STRINGS "${ids}/Tessaro.downloader_KVSQueue.dat" staged ENCODING UTF-8)
list(LENGTH staged staged_count)
if(NOT staged_count EQUAL 6)
  message(FATAL_ERROR "${staged_count} staged records, expected 6")
endif()

# The server is back: the next run delivers both runs' reports, the staged ones first.
collector("ctl?t=cli${token}&status=200" ignored)
selftest()
file(STRINGS "${ids}/Tessaro.ini" distinct REGEX "^DistinctId=")
string(REPLACE "DistinctId=" "" distinct "${distinct}")
collector("flat?t=cli${token}" flat)
file(WRITE "${WORK}/flat.txt" "${flat}")
execute_process(COMMAND "${PYTHON}" "${CHECKER}" "${WORK}/flat.txt" 2 "${exe_name}" "${distinct}"
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "collector records:\n${out}")
endif()
file(STRINGS "${ids}/Tessaro.downloader_KVSQueue.dat" staged ENCODING UTF-8)
if(staged)
  message(FATAL_ERROR "records still staged after a delivery: ${staged}")
endif()
