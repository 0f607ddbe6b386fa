# Read by cpack: a Debian package installs into /usr, and the desktop entry and the manual pages
# name the prefix the build was configured with, so the two must be the same.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package needs a build configured with -DCMAKE_INSTALL_PREFIX=/usr "
    "(this one has ${CPACK_PACKAGING_INSTALL_PREFIX})")
endif()
