# The Debian package vorlane: the programs, the stand-in libraries in the
# private folder (found through the programs' RUNPATH), telvexd's datasets,
# the docs, the systemd unit, the settings file /etc/vorlane/vorlane.json
# (a conffile, every member commented out), and the maintainer scripts of
# deploy/debian/ (postinst creates the system user vorlane).
# Meant for the prefix /usr (-DCMAKE_INSTALL_PREFIX=/usr): the settings
# then go to /etc/vorlane, and the unit names the paths the package has.

# Only the programs that link the stand-in libraries carry a RUNPATH.
file(RELATIVE_PATH vl_libdir_from_bin /p/${VL_INSTALL_BINDIR} /p/${VL_INSTALL_LIBDIR})
set_target_properties(vorlane vorlane-console hlvctl PROPERTIES INSTALL_RPATH "$ORIGIN/${vl_libdir_from_bin}")

set(VL_SAMPLE_CONFIG_COMMAND "vorlane /config=${VL_INSTALL_SETTINGSDIR}/vorlane.json\n// (as the systemd unit vorlane.service does).")
set(VL_SAMPLE_WORKING_FOLDER "/var/lib/vorlane")
set(VL_SAMPLE_KEY_NOTE "Only the service user may read it: mode 0600, owner vorlane\n  // (the gateway refuses a key file that others may read).")
set(VL_SAMPLE_KEY_FILE "${VL_INSTALL_SETTINGSDIR}/command.key")

# deploy/vorlane.service names the package's paths under the prefix /usr;
# any other prefix gets them replaced.
file(READ ${PROJECT_SOURCE_DIR}/deploy/vorlane.service vl_unit)
foreach(vl_pair IN ITEMS "/usr/bin|${CMAKE_INSTALL_FULL_BINDIR}"
                         "/usr/lib/vorlane|${CMAKE_INSTALL_PREFIX}/${VL_INSTALL_LIBDIR}"
                         "/usr/lib/systemd/system|${CMAKE_INSTALL_PREFIX}/${VL_INSTALL_UNITDIR}"
                         "/usr/share/doc/vorlane|${CMAKE_INSTALL_PREFIX}/${VL_INSTALL_DOCDIR}"
                         "/etc/vorlane|${VL_INSTALL_SETTINGSDIR}")
  string(REPLACE "|" ";" vl_pair "${vl_pair}")
  list(GET vl_pair 0 vl_from)
  list(GET vl_pair 1 vl_to)
  string(REPLACE "${vl_from}" "${vl_to}" vl_unit "${vl_unit}")
endforeach()
file(CONFIGURE OUTPUT ${vl_package_dir}/vorlane.service CONTENT "${vl_unit}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/deploy/vorlane.service)
install(FILES ${vl_package_dir}/vorlane.service DESTINATION ${VL_INSTALL_UNITDIR})

file(CONFIGURE OUTPUT ${vl_package_dir}/conffiles CONTENT "${VL_INSTALL_SETTINGSDIR}/vorlane.json\n")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS passwd)
# A TLS terminator in front (docs/security.md).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "stunnel4 | haproxy")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "One JSON query per connection, one compact JSON answer: current values,
history, catalogue and event log of the telemetry server, and signed control
commands. With the simulator telvexd, the client vorlane-query and the
systemd unit vorlane.service.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${vl_package_dir}/conffiles
  ${PROJECT_SOURCE_DIR}/deploy/debian/postinst
  ${PROJECT_SOURCE_DIR}/deploy/debian/prerm
  ${PROJECT_SOURCE_DIR}/deploy/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
