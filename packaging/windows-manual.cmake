# Makes the operator's manual of the Windows zip, MANUAL.txt, from the
# operator's part of README.md, so that the two cannot drift: the sections
# on the commands, the two files, the angle notations, the ports on Windows,
# the download and the firmware update. Markdown becomes plain text for
# Notepad: headings underlined, code indented, backticks and link targets
# left out; lines end in CR LF.
# Usage: cmake -DREADME=README.md -DOUT=MANUAL.txt -DVERSION=2.4 -P windows-manual.cmake
cmake_minimum_required(VERSION 3.25)

set(KEPT_SECTIONS "Commands" "The Configuration file" "Rules" "Angle notations"
    "Serial ports and the device" "Download" "Firmware update" "The journal")
# Subsections about Linux, the build or the simulated device.
set(LEFT_OUT_SUBSECTIONS "Trying it without a device" "Ports on Linux" "Windows build"
    "Testing the Windows build under Wine" "A complete run against the simulated device"
    "Walkthrough with the simulated device")

file(READ "${README}" text)
# List-safe: semicolons and brackets would split or join list items.
string(REPLACE ";" "@SEMI@" text "${text}")
string(REPLACE "[" "@OPEN@" text "${text}")
string(REPLACE "]" "@CLOSE@" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

function(underlined title mark out)
  string(LENGTH "${title}" n)
  string(REPEAT "${mark}" ${n} rule)
  set(${out} "${title}\r\n${rule}\r\n" PARENT_SCOPE)
endfunction()

set(manual "Korrimatic host utility ${VERSION}: the operator's manual\r\n")
string(APPEND manual "(made from the operator's part of README.md; korrimatic.exe --help lists the options)\r\n\r\n")
set(section_kept FALSE)
set(subsection_kept TRUE)
set(in_code FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^## (.*)$")
    set(title "${CMAKE_MATCH_1}")
    list(FIND KEPT_SECTIONS "${title}" found)
    set(section_kept FALSE)
    if(found GREATER -1)
      set(section_kept TRUE)
    endif()
    set(subsection_kept TRUE)
    if(section_kept)
      underlined("${title}" "=" heading)
      string(APPEND manual "\r\n${heading}")
    endif()
    continue()
  endif()
  if(line MATCHES "^### (.*)$")
    set(title "${CMAKE_MATCH_1}")
    list(FIND LEFT_OUT_SUBSECTIONS "${title}" found)
    set(subsection_kept TRUE)
    if(found GREATER -1)
      set(subsection_kept FALSE)
    endif()
    if(section_kept AND subsection_kept)
      underlined("${title}" "-" heading)
      string(APPEND manual "\r\n${heading}")
    endif()
    continue()
  endif()
  if(NOT section_kept OR NOT subsection_kept)
    continue()
  endif()
  if(line MATCHES "^```")
    if(in_code)
      set(in_code FALSE)
    else()
      set(in_code TRUE)
    endif()
    continue()
  endif()
  if(in_code)
    string(APPEND manual "    ${line}\r\n")
    continue()
  endif()
  if(line MATCHES "^<!--")
    continue()
  endif()
  # Links keep their text; code spans and bold lose their marks.
  string(REGEX REPLACE "@OPEN@([^@]*)@CLOSE@\\([^)]*\\)" "\\1" line "${line}")
  string(REPLACE "`" "" line "${line}")
  string(REPLACE "**" "" line "${line}")
  string(APPEND manual "${line}\r\n")
endforeach()

string(REPLACE "@SEMI@" ";" manual "${manual}")
string(REPLACE "@OPEN@" "[" manual "${manual}")
string(REPLACE "@CLOSE@" "]" manual "${manual}")
file(WRITE "${OUT}" "${manual}")
