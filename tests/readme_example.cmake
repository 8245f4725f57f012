# Fails when the README's copy of reader/example.cpp differs from the file
# that the build compiles. cmake -DREADME=... -DEXAMPLE=... -P this file
file(READ ${README} readme)
file(READ ${EXAMPLE} example)
string(FIND "${readme}" "```cpp\n${example}```" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md does not show ${EXAMPLE} as it is")
endif()
