# Installation and packages.
#
# POSIX: the programs go to bin; the component module, the controller library and the platform
# layer's library to lib/swkv, a private folder (nothing else links against them), where swkvctl
# looks for the component beside its own bin folder; headers to include/swkv, keeping the
# source tree's paths that they include each other by; README to share/doc/swkv; the manual pages
# and the shell completion as man_and_completion.cmake says.
# `cpack -G DEB` in the build folder makes the Debian package.
#
# Windows: one flat folder (the component beside the programs, the type library, the register
# and unregister scripts; the simulated controller library in simulated/); `cpack -G ZIP` makes
# the zip.
include(GNUInstallDirs)

if(WIN32)
  set(swkv_bin_dir .)
  set(swkv_lib_dir .)
  set(swkv_doc_dir .)
else()
  set(swkv_bin_dir ${CMAKE_INSTALL_BINDIR})
  set(swkv_lib_dir lib/swkv)  # tools/swkvctl/host_system_posix.cpp looks here
  set(swkv_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/swkv)
  set(swkv_include_dir ${CMAKE_INSTALL_INCLUDEDIR}/swkv)
  # $ORIGIN-relative search paths: the installed tree works wherever it is put.
  set_target_properties(swkvctl swkvreg PROPERTIES INSTALL_RPATH "$ORIGIN/../${swkv_lib_dir}")
  set_target_properties(mxaRAID raidapikv9k swkvplatform PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

install(TARGETS swkvctl swkvreg RUNTIME DESTINATION ${swkv_bin_dir})
install(TARGETS mxaRAID LIBRARY DESTINATION ${swkv_lib_dir})
if(WIN32)
  # The simulated controller library stays out of the component's folder, where the vendor's
  # raidapikv9k.dll belongs: copy it beside the programs only to try them without controllers.
  install(TARGETS raidapikv9k RUNTIME DESTINATION simulated)
else()
  install(TARGETS raidapikv9k LIBRARY DESTINATION ${swkv_lib_dir})
endif()
install(FILES README.md DESTINATION ${swkv_doc_dir})

if(WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/frame/mxaraid.tlb
                ${PROJECT_SOURCE_DIR}/packaging/windows/register.cmd
                ${PROJECT_SOURCE_DIR}/packaging/windows/unregister.cmd
          DESTINATION .)
else()
  install(TARGETS swkvplatform LIBRARY DESTINATION ${swkv_lib_dir})
  # The component's interfaces, with the platform headers they are declared in, and the
  # controller library's C interface.
  install(DIRECTORY include/mxaraid/ DESTINATION ${swkv_include_dir}/mxaraid
          FILES_MATCHING PATTERN "*.h")
  install(FILES raidlib/raidapikv9k.h DESTINATION ${swkv_include_dir}/raidlib)
  install(DIRECTORY platform/ DESTINATION ${swkv_include_dir}/platform
          FILES_MATCHING PATTERN "*.h" PATTERN "windows" EXCLUDE PATTERN "module" EXCLUDE)
  # Monitoring: the alert rules, the scrape configuration, the Nagios/Icinga commands beside
  # them; the systemd units (the exporter, and the textfile for node_exporter) where systemd
  # looks for a package's units.
  install(FILES packaging/monitoring/swkv-alerts.yml packaging/monitoring/prometheus-scrape.yml
                packaging/monitoring/swkv-nagios.cfg packaging/monitoring/swkv-icinga2.conf
          DESTINATION ${CMAKE_INSTALL_DATADIR}/swkv/monitoring)
  install(FILES packaging/monitoring/swkvctl-serve.service
                packaging/monitoring/swkv-textfile.service packaging/monitoring/swkv-textfile.timer
          DESTINATION lib/systemd/system)
  include(${CMAKE_CURRENT_LIST_DIR}/man_and_completion.cmake)
endif()

set(CPACK_PACKAGE_NAME swkv)
set(CPACK_PACKAGE_VENDOR "Swiftbay")
set(CPACK_PACKAGE_CONTACT "swkv developers <swkv@swiftbay.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "RAID management component for Swiftbay Kv9000 controllers, with its operator's console")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)  # the release preset builds with debugging information
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  # The run-time dependencies (the C and C++ libraries, libedit) from dpkg-shlibdeps; the
  # package's own libraries in lib/swkv are found there.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
      ${CMAKE_BINARY_DIR}/lib)
endif()
include(CPack)
