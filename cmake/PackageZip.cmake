# The Windows ZIP: one folder vorlane-VERSION-win64 with the programs, the
# stand-in DLLs, datasets/, README.md, docs/, the Windows notes of deploy/
# and a sample settings file, vorlane.json, with every member commented out.

file(GLOB vl_deploy_notes CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/deploy/*.md)
install(FILES ${vl_deploy_notes} DESTINATION ${VL_INSTALL_DOCDIR}/deploy)

set(VL_SAMPLE_CONFIG_COMMAND "vorlane.exe /config=vorlane.json (or vorlane-console.exe), in this folder")
set(VL_SAMPLE_WORKING_FOLDER "the folder it starts in")
set(VL_SAMPLE_KEY_NOTE "Let only the gateway's account read it (the folder's access list).")
set(VL_SAMPLE_KEY_FILE "command.key")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME vorlane-${PROJECT_VERSION}-win64)
