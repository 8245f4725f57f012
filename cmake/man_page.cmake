# Makes a man page from its roff source, with the table of problem lines
# taken from README.md, so that both say the same thing.
#
#   cmake -DINPUT=docs/scrpack.1.in -DREADME=README.md -DOUTPUT=scrpack.1
#         -DPROJECT_VERSION=1.0.0 -P cmake/man_page.cmake
#
# The table lies between the lines "<!-- problem lines -->" and
# "<!-- end of problem lines -->"; each row "| `LINE` | MEANING |" becomes
# a tagged paragraph.

file(READ ${INPUT} source)
if(NOT source MATCHES "@PROBLEM_LINES@")
  configure_file(${INPUT} ${OUTPUT} @ONLY)
  return()
endif()

file(READ ${README} readme)
string(FIND "${readme}" "<!-- problem lines -->" begin)
string(FIND "${readme}" "<!-- end of problem lines -->" end)
if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
  message(FATAL_ERROR "${README}: no table of problem lines")
endif()
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${readme}" ${begin} ${length} table)
# Semicolons would split the rows of a CMake list: hold them apart.
string(REPLACE ";" "<semicolon>" table "${table}")
string(REPLACE "\n" ";" rows "${table}")

# roff_text(OUT TEXT): TEXT with markdown code marks dropped and the
# characters that roff reads specially escaped.
function(roff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "`([^`]*)`" "\\\\fB\\1\\\\fR" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(entries "")
set(count 0)
foreach(row IN LISTS rows)
  if(NOT row MATCHES "^\\| *`([^`]+)` *\\| *(.*[^ ]) *\\| *$")
    continue()
  endif()
  roff_text(line "${CMAKE_MATCH_1}")
  roff_text(meaning "${CMAKE_MATCH_2}")
  string(APPEND entries ".TP\n\\fB${line}\\fR\n${meaning}\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${README}: the table of problem lines has no rows")
endif()
string(REGEX REPLACE "\n$" "" PROBLEM_LINES "${entries}")
string(REPLACE "<semicolon>" ";" PROBLEM_LINES "${PROBLEM_LINES}")

configure_file(${INPUT} ${OUTPUT} @ONLY)
