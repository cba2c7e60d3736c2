# install() rules (see cmake/InstallLayout.cmake for where each part goes)
# and the packages that `cpack` makes from them: the Debian package vorlane
# on Linux, a ZIP on Windows. Import libraries are left out of both.

set(vl_programs vorlane vorlane-console vorlane-query hlvctl telvexd)
install(TARGETS ${vl_programs}
  RUNTIME DESTINATION ${VL_INSTALL_BINDIR}
  ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(TARGETS halvern telvex
  LIBRARY DESTINATION ${VL_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${VL_INSTALL_LIBDIR}
  ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sim/datasets/ DESTINATION ${VL_INSTALL_DATADIR}/datasets)

# The docs keep the repository's relative layout, so that their links work.
file(GLOB vl_docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VL_INSTALL_DOCDIR})
install(FILES ${vl_docs} DESTINATION ${VL_INSTALL_DOCDIR}/docs)
# The ready-made TLS fronts that docs/security.md installs from.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/deploy/stunnel ${PROJECT_SOURCE_DIR}/deploy/haproxy
  DESTINATION ${VL_INSTALL_DOCDIR}/deploy)

set(vl_package_dir ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_NAME vorlane)
set(CPACK_PACKAGE_VENDOR "vorlane maintainers")
set(CPACK_PACKAGE_CONTACT "vorlane maintainers <maintainers@vorlane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gateway between plain TCP clients and a SCADA telemetry server")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  include(cmake/PackageZip.cmake)
else()
  include(cmake/PackageDeb.cmake)
endif()

# The settings file with every member commented out, its texts
# (VL_SAMPLE_*) set by the platform's part above.
configure_file(${PROJECT_SOURCE_DIR}/deploy/vorlane.json.in ${vl_package_dir}/vorlane.json @ONLY)
install(FILES ${vl_package_dir}/vorlane.json DESTINATION ${VL_INSTALL_SETTINGSDIR})
include(CPack)
