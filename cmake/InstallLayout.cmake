# Where `cmake --install` and the packages put each part, relative to the
# install prefix (the settings folder excepted). The build tree keeps its
# own layout (everything in bin/).
#
# Linux: the GNU layout. The programs in bin/; the two stand-in libraries
# in the package's private folder lib/vorlane/, which the programs find
# through their RUNPATH ($ORIGIN-relative, so the tree can move); the
# simulator's datasets in share/vorlane/datasets/; the docs in
# share/doc/vorlane/; the settings in /etc/vorlane/ for the prefix /usr
# (PREFIX/etc/vorlane/ for any other prefix); the systemd unit in
# lib/systemd/system/.
#
# Windows: one flat folder, as the ZIP unpacks: the DLLs beside the
# programs, where Windows looks for them, datasets/ beside telvexd.exe,
# README.md, docs/ and the sample settings file.
if(WIN32)
  set(VL_INSTALL_BINDIR .)
  set(VL_INSTALL_LIBDIR .)
  set(VL_INSTALL_DATADIR .)
  set(VL_INSTALL_DOCDIR .)
  set(VL_INSTALL_SETTINGSDIR .)
else()
  include(GNUInstallDirs)
  set(VL_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(VL_INSTALL_LIBDIR lib/vorlane)
  set(VL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/vorlane)
  set(VL_INSTALL_DOCDIR ${CMAKE_INSTALL_DOCDIR})
  set(VL_INSTALL_SETTINGSDIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/vorlane)
  set(VL_INSTALL_UNITDIR lib/systemd/system)
endif()

# VL_INSTALLED_DATASETS: the datasets folder as seen from the programs'
# folder, for telvexd to find its demo dataset in an installed tree.
file(RELATIVE_PATH VL_INSTALLED_DATASETS /p/${VL_INSTALL_BINDIR} /p/${VL_INSTALL_DATADIR}/datasets)
