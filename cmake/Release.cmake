# Who the program is, stated once for every build: the program's own texts
# (app/app_info.h, through its layer's definitions), the Windows resource
# (program/varnock.rc.in), the desktop entry and the AppStream metadata.
#
#   VARNOCK_TITLE               its title: the About box, the message boxes,
#                               the resource's ProductName
#   VARNOCK_MAIN_CAPTION        its main window's caption, which the login
#                               window's starts with; the resource's
#                               FileDescription, the desktop's name for it
#   VARNOCK_FILE_NAME           its executable: varnock, varnock.exe on Windows
#   VARNOCK_PUBLISHER           who publishes it: the Windows installer's
#                               manufacturer, shown in Apps & Features
#   VARNOCK_UPGRADE_CODE        the Windows installer's upgrade code, the same
#                               for every version for good: a later version
#                               finds the installed one by it and replaces it
set(VARNOCK_TITLE "Varnock")
set(VARNOCK_MAIN_CAPTION "Varnock客户系统")
set(VARNOCK_FILE_NAME "varnock")
set(VARNOCK_PUBLISHER "Varnock")
set(VARNOCK_UPGRADE_CODE "{109CD7D8-F3AE-4436-A0BE-52CA57BD2D8F}")

# What a release is called, worked out once for every build from project()
# and the newest entry of the package's changelog:
#
#   VARNOCK_RESOURCE_VERSION    the version as the version resource writes it,
#                               minor in two digits and revision in four: for the
#                               program, the Windows resource, the desktop entry
#                               and the AppStream metadata
#   VARNOCK_RELEASE_DATE        the newest changelog entry's date, YYYY-MM-DD
#   VARNOCK_CHANGELOG_VERSION   the version that entry is for
#   VARNOCK_DEBIAN_REVISION     its Debian revision
#   VARNOCK_PACKAGE_MAINTAINER  its maintainer, "NAME <ADDRESS>"

# `value` with zeros in front up to `width` digits.
function(varnock_zero_pad out value width)
  string(LENGTH "${value}" length)
  if(length LESS width)
    math(EXPR missing "${width} - ${length}")
    string(REPEAT "0" ${missing} zeros)
    string(PREPEND value "${zeros}")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The version resource's form: minor in two digits, revision in four.
function(varnock_resource_version out)
  varnock_zero_pad(minor ${PROJECT_VERSION_MINOR} 2)
  varnock_zero_pad(revision ${PROJECT_VERSION_PATCH} 4)
  set(${out} "${PROJECT_VERSION_MAJOR}.${minor}.${revision}" PARENT_SCOPE)
endfunction()
varnock_resource_version(VARNOCK_RESOURCE_VERSION)

block(PROPAGATE VARNOCK_RELEASE_DATE VARNOCK_CHANGELOG_VERSION VARNOCK_DEBIAN_REVISION
               VARNOCK_PACKAGE_MAINTAINER)
  set(changelog ${PROJECT_SOURCE_DIR}/assets/debian/changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
  file(STRINGS ${changelog} changelog_head LIMIT_COUNT 1)
  file(STRINGS ${changelog} changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT changelog_head MATCHES "^varnock \\(([^)-]+)-([^)]+)\\)")
    message(FATAL_ERROR "${changelog}: the newest entry does not begin 'varnock (VERSION-REVISION) ...'")
  endif()
  set(VARNOCK_CHANGELOG_VERSION ${CMAKE_MATCH_1})
  set(VARNOCK_DEBIAN_REVISION ${CMAKE_MATCH_2})
  if(NOT changelog_trailer MATCHES
     "^ -- (.+ <[^>]+>)  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "${changelog}: the newest entry does not end in "
                        "' -- NAME <ADDRESS>  Day, DD Mon YYYY ...'")
  endif()
  set(VARNOCK_PACKAGE_MAINTAINER "${CMAKE_MATCH_1}")
  set(day ${CMAKE_MATCH_2})
  set(month_name ${CMAKE_MATCH_3})
  set(year ${CMAKE_MATCH_4})
  varnock_zero_pad(day ${day} 2)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months "${month_name}" month)
  if(month LESS 0)
    message(FATAL_ERROR "${changelog}: '${month_name}' is not a month")
  endif()
  math(EXPR month "${month} + 1")
  varnock_zero_pad(month ${month} 2)
  set(VARNOCK_RELEASE_DATE "${year}-${month}-${day}")
endblock()
