# Installation and packages: `cmake --install` puts the tools, their man
# pages and the reader library with its CMake package under a prefix;
# CPack makes a .deb on Linux and a .zip on Windows from the same rules.
#
# Components: "tools" (the programs, man pages, README) and "dev" (the
# reader library for C++ users). The Windows zip holds the tools only.

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(WIN32)
  # A portable folder: the programs beside their README.
  set(SCRPACK_INSTALL_BINDIR .)
else()
  set(SCRPACK_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
endif()

set(SCRPACK_TOOLS scrpack)
if(TARGET scrunpack)
  list(APPEND SCRPACK_TOOLS scrunpack)
endif()
install(TARGETS ${SCRPACK_TOOLS} RUNTIME DESTINATION ${SCRPACK_INSTALL_BINDIR}
  COMPONENT tools)

# Man pages, made at build time from their roff sources.
set(SCRPACK_MAN_PAGES "")
foreach(page IN LISTS SCRPACK_TOOLS)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/docs/${page}.1.in
            -DREADME=${PROJECT_SOURCE_DIR}/README.md -DOUTPUT=${out}
            -DPROJECT_VERSION=${PROJECT_VERSION}
            -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page}.1.in ${PROJECT_SOURCE_DIR}/README.md
            ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
    COMMENT "Making the man page ${page}.1"
    VERBATIM)
  list(APPEND SCRPACK_MAN_PAGES ${out})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${SCRPACK_MAN_PAGES})
if(WIN32)
  install(FILES README.md DESTINATION . RENAME README.txt COMPONENT tools)
else()
  install(FILES ${SCRPACK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT tools)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT tools)
endif()

# The reader library as a CMake package:
#   find_package(scrpack 1 REQUIRED)
#   target_link_libraries(app PRIVATE scrpack::reader)
# The header keeps its path below include/scrpack, so that a consumer
# includes "reader/pack_reader.h" as the project's own code does.
if(TARGET scrpack_reader)
  set_target_properties(scrpack_reader PROPERTIES EXPORT_NAME reader)
  set_target_properties(scrpack_format PROPERTIES EXPORT_NAME format)
  target_include_directories(scrpack_reader PUBLIC
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/scrpack>)
  install(TARGETS scrpack_reader scrpack_format EXPORT scrpackTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/reader/pack_reader.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/scrpack/reader COMPONENT dev)
  set(SCRPACK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/scrpack)
  install(EXPORT scrpackTargets NAMESPACE scrpack::
    DESTINATION ${SCRPACK_CMAKE_DIR} COMPONENT dev)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/scrpackConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/scrpackConfig.cmake
    INSTALL_DESTINATION ${SCRPACK_CMAKE_DIR})
  write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/scrpackConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/scrpackConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/scrpackConfigVersion.cmake
    DESTINATION ${SCRPACK_CMAKE_DIR} COMPONENT dev)
endif()

set(CPACK_PACKAGE_NAME scrpack)
set(CPACK_PACKAGE_VENDOR scrpack)
set(CPACK_PACKAGE_CONTACT "scrpack maintainers <scrpack@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "packs pictures into one file, and lists, checks and extracts such packs")
set(CPACK_PACKAGE_DESCRIPTION
  "scrpack packs the files named in data/flist into the pack file velkoscr, \
showing its progress in a status window or on the console; scrunpack lists, \
checks and extracts such packs, and the reader library loads them in C++.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL tools)
  set(CPACK_ARCHIVE_TOOLS_FILE_NAME scrpack-${PROJECT_VERSION}-win64)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The run-time libraries, found by dpkg-shlibdeps from the programs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Xlib is loaded only when a display is named, so dpkg-shlibdeps cannot
  # see it: without it the status lines go to the console.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libx11-6, libxrandr2")
endif()
include(CPack)
