# Makes the operator's manual of the Windows zip, MANUAL.txt, from two
# sources: packaging/manual-windows.md, the parts written for Windows alone
# (starting the program, the console, the options in the Command Prompt's
# words), and the operator's sections of README.md that hold on Windows as
# they stand (the commands, the two files, the angle notations, the COM ports
# on Windows, the download and the firmware update). So that the two cannot
# drift, manual-windows.md takes each such section whole:
#   <!-- include: NAME -->      the README's lines from <!-- section: NAME -->
#                               up to its next section or <!-- end --> line
# and changes a passage of one where Windows differs:
#   <!-- in NAME, instead of:
#   the README's exact text (whole lines, or from or up to the middle of one)
#   write:
#   the text for Windows (none: the passage is left out)
#   -->
# A section or a passage that README.md no longer holds stops the making of
# the manual with its name. Markdown becomes plain text for Notepad: headings
# underlined, code indented (a "$ korrimatic" command line shown as typed at
# the Command Prompt), backticks, bold and link targets left out; lines end
# in CR LF.
# Usage: cmake -DREADME=README.md [-DSOURCE=manual-windows.md] -DOUT=MANUAL.txt -DVERSION=2.4 -P windows-manual.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED SOURCE)
  set(SOURCE "${CMAKE_CURRENT_LIST_DIR}/manual-windows.md")
endif()

# A file's lines as a list, safe from list syntax: semicolons and brackets
# would split or join items.
function(read_lines file out)
  file(READ "${file}" text)
  string(REPLACE ";" "@SEMI@" text "${text}")
  string(REPLACE "[" "@OPEN@" text "${text}")
  string(REPLACE "]" "@CLOSE@" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# The README's sections, each as text with LF line ends.
read_lines("${README}" readme_lines)
set(section "")
set(section_names "")
foreach(line IN LISTS readme_lines)
  if(line MATCHES "^<!-- section: ([a-z-]+) -->$")
    set(section "${CMAKE_MATCH_1}")
    list(APPEND section_names "${section}")
    set(section_${section} "")
  elseif(line MATCHES "^<!-- end -->$")
    set(section "")
  elseif(NOT section STREQUAL "")
    string(APPEND section_${section} "${line}\n")
  endif()
endforeach()

# First the passages replaced, then the includes.
read_lines("${SOURCE}" source_lines)
set(state text)
foreach(line IN LISTS source_lines)
  if(state STREQUAL "text" AND line MATCHES "^<!-- in ([a-z-]+), instead of:$")
    set(target "${CMAKE_MATCH_1}")
    set(old "")
    set(new "")
    set(state old)
  elseif(state STREQUAL "old" AND line STREQUAL "write:")
    set(state new)
  elseif(state STREQUAL "new" AND line STREQUAL "-->")
    # The passage's last line break is not part of it: a passage may end inside a line.
    string(REGEX REPLACE "\n$" "" old "${old}")
    string(REGEX REPLACE "\n$" "" new "${new}")
    if(NOT target IN_LIST section_names)
      message(FATAL_ERROR "windows-manual: README.md has no section ${target}")
    endif()
    string(FIND "${section_${target}}" "${old}" at)
    if(at EQUAL -1)
      string(REPLACE "@SEMI@" ";" shown "${old}")
      message(FATAL_ERROR "windows-manual: the section ${target} of README.md no longer holds the passage "
                          "that manual-windows.md replaces:\n${shown}")
    endif()
    string(REPLACE "${old}" "${new}" section_${target} "${section_${target}}")
    set(state text)
  elseif(state STREQUAL "old")
    string(APPEND old "${line}\n")
  elseif(state STREQUAL "new")
    string(APPEND new "${line}\n")
  endif()
endforeach()
if(NOT state STREQUAL "text")
  message(FATAL_ERROR "windows-manual: manual-windows.md ends inside a replaced passage of ${target}")
endif()

set(markdown "")
set(state text)
foreach(line IN LISTS source_lines)
  if(state STREQUAL "text" AND line MATCHES "^<!-- in ([a-z-]+), instead of:$")
    set(state skip)
  elseif(state STREQUAL "skip")
    if(line STREQUAL "-->")
      set(state text)
    endif()
  elseif(line MATCHES "^<!-- include: ([a-z-]+) -->$")
    if(NOT CMAKE_MATCH_1 IN_LIST section_names)
      message(FATAL_ERROR "windows-manual: README.md has no section ${CMAKE_MATCH_1}")
    endif()
    string(APPEND markdown "${section_${CMAKE_MATCH_1}}")
  else()
    string(APPEND markdown "${line}\n")
  endif()
endforeach()
string(REPLACE "\n" ";" lines "${markdown}")

function(underlined title mark out)
  string(LENGTH "${title}" n)
  string(REPEAT "${mark}" ${n} rule)
  set(${out} "${title}\r\n${rule}\r\n" PARENT_SCOPE)
endfunction()

set(manual "Korrimatic host utility ${VERSION}: the operator's manual\r\n")
string(APPEND manual "(for Windows; korrimatic.exe --help lists the options)\r\n")
set(in_code FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^```")
    if(in_code)
      set(in_code FALSE)
    else()
      set(in_code TRUE)
    endif()
    continue()
  endif()
  if(in_code)
    # A shell's prompt before the utility becomes the Command Prompt's.
    string(REGEX REPLACE "^\\$ korrimatic( |$)" "C:\\\\korrimatic> korrimatic.exe\\1" line "${line}")
    string(APPEND manual "    ${line}\r\n")
    continue()
  endif()
  if(line MATCHES "^<!--")
    continue()
  endif()
  if(line MATCHES "^(##+) (.*)$")
    set(mark "-")
    if(CMAKE_MATCH_1 STREQUAL "##")
      set(mark "=")
    endif()
    string(REPLACE "`" "" title "${CMAKE_MATCH_2}")
    underlined("${title}" "${mark}" heading)
    string(APPEND manual "${heading}")
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
