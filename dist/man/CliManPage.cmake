# Writes the manual page of pictaron-cli: the hand-written page around the
# OPTIONS section, which is made from "pictaron-cli --help" so the two never
# drift apart. Run with cmake -P and
#   -DCLI=<pictaron-cli> -DTEMPLATE=<pictaron-cli.1.in> -DOUTPUT=<file>
#   -DPROJECT_VERSION=<version> -DPICTARON_RELEASE_DATE=<date>

execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${CLI}" --help
  OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --help failed (${status})")
endif()

# One list entry per line; ";" would split a line, so it travels as a marker.
string(REPLACE ";" "<semicolon>" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

function(roff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REPLACE "<semicolon>" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The usage lines and the description come before the first heading; the
# exit status has a section of its own in the page.
# Options after a blank line without a heading of their own (--help,
# --version) go under "Other".
set(options "")
set(started OFF)
set(after_blank OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^Exit status")
    break()
  elseif(line STREQUAL "")
    set(after_blank ON)
  elseif(line MATCHES "^([A-Z][^:]*):$")
    set(started ON)
    set(after_blank OFF)
    roff_text(heading "${CMAKE_MATCH_1}")
    string(APPEND options ".SS ${heading}\n")
  elseif(NOT started)
    continue()
  elseif(line MATCHES "^  ((-[a-zA-Z], )?--?[a-zA-Z][a-zA-Z-]*( [^ ]+)?)  +(.*)$")
    if(after_blank)
      string(APPEND options ".SS Other\n")
      set(after_blank OFF)
    endif()
    roff_text(term "${CMAKE_MATCH_1}")
    roff_text(text "${CMAKE_MATCH_4}")
    string(APPEND options ".TP\n\\fB${term}\\fR\n\\&${text}\n")
  elseif(line MATCHES "^ +(.*)$")
    roff_text(text "${CMAKE_MATCH_1}")
    string(APPEND options "\\&${text}\n")
  endif()
endforeach()
if(options STREQUAL "")
  message(FATAL_ERROR "no options found in the output of ${CLI} --help")
endif()

string(STRIP "${options}" PICTARON_CLI_OPTIONS)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
