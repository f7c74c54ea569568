# The client as a Debian package (`make deb`, or `cpack` in the build folder)
# and the hardening Debian asks of what it ships.
#
# The package comes from CPack's DEB generator on this same build: the test
# that checks the package (tests/install/check-package.sh) then packs the
# client `make test` has just built instead of building it a second time, and
# the flags below are on in every build, not only in the packaged one.

# --- Hardening: what dpkg-buildflags gives a Debian package (fortify, stack
# protector, PIE, read-only relocations bound at start) on every target built
# here. Left out under the sanitizers, which bring their own checks and whose
# interceptors the fortified calls would go round.
if(NOT VARNOCK_SANITIZE)
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES C CXX)
  function(varnock_harden_targets dir)
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
        continue()
      endif()
      set_property(TARGET ${target} PROPERTY POSITION_INDEPENDENT_CODE ON)
      target_compile_options(${target} PRIVATE -fstack-protector-strong)
      # Fortify needs the optimiser; a Debug build would only warn about it.
      target_compile_definitions(${target} PRIVATE
        $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
      if(type STREQUAL "EXECUTABLE" OR type MATCHES "SHARED|MODULE")
        target_link_options(${target} PRIVATE LINKER:-z,relro LINKER:-z,now)
      endif()
    endforeach()
    get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
      varnock_harden_targets("${subdir}")
    endforeach()
  endfunction()
  varnock_harden_targets("${PROJECT_SOURCE_DIR}")
endif()

# --- The Debian package. Its revision and maintainer come from the newest
# entry of assets/debian/changelog (cmake/Release.cmake), its version from
# project(); the package check fails when the changelog has no entry for this
# version.
set(changelog ${PROJECT_SOURCE_DIR}/assets/debian/changelog)
if(NOT VARNOCK_CHANGELOG_VERSION STREQUAL PROJECT_VERSION)
  message(WARNING "${changelog}: the newest entry is for ${VARNOCK_CHANGELOG_VERSION}, the "
                  "project is ${PROJECT_VERSION}; add an entry before packaging")
endif()

# What Debian asks of every package besides the program: the copyright in
# the machine-readable format and the changelog, compressed without name and
# time.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${changelog} changelog.Debian
  COMMAND gzip -9n -f changelog.Debian
  DEPENDS ${changelog}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Compressing the Debian changelog")
add_custom_target(varnock_debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
include(GNUInstallDirs)
install(FILES ${PROJECT_SOURCE_DIR}/assets/debian/copyright
              ${CMAKE_BINARY_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varnock)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnock)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Varnock)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for the Varnock business SMS service")
set(CPACK_PACKAGE_DESCRIPTION
    "Varnock客户系统 shows the pages of the Varnock business SMS service in an
embedded web browser (WebKitGTK) and adds the native windows around them: a
login window, a main window whose menus open the service's pages, and an
About box. It talks only to the service address it was built for, which its
manual page gives.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VARNOCK_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VARNOCK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the libraries the program is linked with (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows and pages are in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-cjk)
# The program goes stripped, its debugging symbols are left out: the
# -dbgsym package CMake 3.25 can make lists its files in md5sums by the
# build machine's paths, which dpkg and lintian reject.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Only the client: the demo service has no install rule and no package.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
