# Fails when a phrase of the problem lines in pack/problems.cpp is missing
# from the README's table of problem lines, which the man page is made
# from. cmake -DREADME=... -DPROBLEMS=... -P this file
file(READ ${README} readme)
file(READ ${PROBLEMS} problems)
# Semicolons would split the matches of a CMake list: hold them apart.
string(REPLACE ";" "<semicolon>" problems "${problems}")
string(FIND "${readme}" "<!-- problem lines -->" begin)
string(FIND "${readme}" "<!-- end of problem lines -->" end)
if(begin EQUAL -1 OR end LESS begin)
  message(FATAL_ERROR "README.md has no table of problem lines")
endif()
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${readme}" ${begin} ${length} table)
string(REGEX MATCHALL "const char k[A-Za-z]+\\[\\] =[ \n]*\"[^\"]*\""
       constants "${problems}")
list(LENGTH constants count)
if(count LESS 10)
  message(FATAL_ERROR "${PROBLEMS}: found only ${count} phrases")
endif()
foreach(constant IN LISTS constants)
  string(REGEX REPLACE ".*\"([^\"]*)\"$" "\\1" phrase "${constant}")
  string(REPLACE "<semicolon>" ";" phrase "${phrase}")
  string(FIND "${table}" "${phrase}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "README.md's table of problem lines lacks \"${phrase}\"")
  endif()
endforeach()
