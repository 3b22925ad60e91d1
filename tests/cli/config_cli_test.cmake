cmake_minimum_required(VERSION 3.25)
# installer-cli config end to end: a copy of the executable with "KorvelInstallerConfig.ini" beside
# it, options on its command line, and the printed record compared line by line.
#   cmake -DCLI=... -DWORK=... -DEMULATOR=... -DDEFAULT_URL=... -P config_cli_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(exe_name "${CLI}" NAME)
file(COPY "${CLI}" DESTINATION "${WORK}")
set(cli "${WORK}/${exe_name}")

function(run_case name ini expected)
  if(ini STREQUAL "")
    file(REMOVE "${WORK}/KorvelInstallerConfig.ini")
  else()
    file(WRITE "${WORK}/KorvelInstallerConfig.ini" "${ini}")
  endif()
  execute_process(COMMAND ${EMULATOR} "${cli}" config ${ARGN}
                  WORKING_DIRECTORY "${WORK}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REPLACE "<EXE>" "${exe_name}" expected "${expected}")
  string(REPLACE "<DEFAULT_URL>" "${DEFAULT_URL}" expected "${expected}")
  if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "case '${name}': exit ${rc}\n--- got\n${out}--- expected\n${expected}")
  endif()
endfunction()

set(defaults_tail "CurlAvailable=true\nAbTestGroup=IN\n")

run_case("no file, no options" ""
"AppName=Tessaro
AppVersion=1.7.9
ExeName=<EXE>
DlAppNameSuffix=.downloader
DlAppVersion=
InstCmd=
DownloadUrl=<DEFAULT_URL>
DownloadType=1
IsCheckNet=false
IsEnableAppStats=true
DownloadScale=0.7
${defaults_tail}")

run_case("file then options"
[=[[Install]
DownloadUrl=http://127.0.0.1:1/${ROUTE}/p
DownloadType=2
IsEnableAppStats=TRUE
DownloadScale=abc
m_DlAppVersion=9
]=]
"AppName=Tessaro
AppVersion=1.7.9
ExeName=<EXE>
DlAppNameSuffix=.x
DlAppVersion=9
InstCmd=/a=b
DownloadUrl=http://127.0.0.1:1/download_silent/p
DownloadType=3
IsCheckNet=true
IsEnableAppStats=false
DownloadScale=0
${defaults_tail}"
  -downloadtype=3 -downloadtype=2 -instcmd=/a=b -dlappnamesuffix=.x -DownloadScale=0.5)

run_case("odd quoting and scale" ""
"AppName=Tessaro
AppVersion=1.7.9
ExeName=<EXE>
DlAppNameSuffix=.downloader
DlAppVersion=
InstCmd=a \"b\" c
DownloadUrl=
DownloadType=0
IsCheckNet=false
IsEnableAppStats=true
DownloadScale=0.125
${defaults_tail}"
  "-instcmd=a \"b\" c" -downloadurl -downloadtype=x -downloadscale=0.125)
