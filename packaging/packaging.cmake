# Install layout (freedesktop/Debian) and the Debian package. Included from the top-level
# CMakeLists.txt, after the programs are defined.
include(GNUInstallDirs)
set(EXAMORA_APP_ID org.examora.Examora)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${CMAKE_BINARY_DIR}/packaging)
set(CPACK_PACKAGE_CONTACT "Examora maintainers <examora@localhost>")
# The release date of the metadata and the changelog is the build's date, or SOURCE_DATE_EPOCH's
# when it is set (CMake's TIMESTAMP honours it), so a reproducible build stays reproducible.
string(TIMESTAMP EXAMORA_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP EXAMORA_RELEASE_YEAR "%Y" UTC)
string(TIMESTAMP EXAMORA_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The programs, and the bundled sample web folder where an installed program looks for it
# (bin/../share/examora/webroot).
install(TARGETS examora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The record keeper lives outside PATH; examora-cli lab setup gives it its group and setgid bit.
install(TARGETS examora-keeper RUNTIME DESTINATION lib/examora)
install(DIRECTORY ${EXAMORA_WEBROOT}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/examora/webroot)

# The copyright file (Debian's machine-readable format) and the changelog every Debian package
# carries in its documentation folder; the changelog compressed without a time stamp.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/examora)
configure_file(${packaging}/copyright ${generated}/copyright @ONLY)
configure_file(${packaging}/changelog ${generated}/changelog @ONLY)
execute_process(COMMAND gzip -9nkf ${generated}/changelog RESULT_VARIABLE gzip_status)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip failed: ${gzip_status}")
endif()
install(FILES ${generated}/copyright ${generated}/changelog.gz DESTINATION ${docdir})

# Man pages, written by examora-cli from the same text both programs print for --help.
set(man_pages)
foreach(program examora-cli examora)
  if(program STREQUAL "examora" AND NOT EXAMORA_BUILD_GUI)
    continue()
  endif()
  add_custom_command(OUTPUT ${generated}/${program}.1.gz
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:examora-cli> -DPROGRAM=${program}
            -DOUT=${generated}/${program}.1.gz -P ${packaging}/man_page.cmake
    DEPENDS examora-cli ${packaging}/man_page.cmake VERBATIM)
  list(APPEND man_pages ${generated}/${program}.1.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(EXAMORA_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Gui)
  install(TARGETS examora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The icon in the hicolor sizes and as SVG, drawn by a small Qt tool at build time.
  add_executable(make_icons ${packaging}/make_icons.cpp)
  target_link_libraries(make_icons PRIVATE Qt6::Gui)
  set(icon_sizes 16 24 32 48 64 128 256)
  set(icons ${generated}/icons/hicolor/scalable/apps/${EXAMORA_APP_ID}.svg)
  foreach(size IN LISTS icon_sizes)
    list(APPEND icons ${generated}/icons/hicolor/${size}x${size}/apps/${EXAMORA_APP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${icons}
    COMMAND make_icons ${generated}/icons ${EXAMORA_APP_ID}
    DEPENDS make_icons VERBATIM)
  add_custom_target(icons ALL DEPENDS ${icons})
  install(DIRECTORY ${generated}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  install(FILES ${packaging}/${EXAMORA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The "Examora exam" session that display managers offer at the login screen.
  install(PROGRAMS ${packaging}/examora-exam-session DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${packaging}/examora-exam.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/wayland-sessions)
  configure_file(${packaging}/${EXAMORA_APP_ID}.metainfo.xml
                 ${generated}/${EXAMORA_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${generated}/${EXAMORA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The Debian package: `cpack -G DEB` in the build folder. Its dependencies are Debian's own
# package names, found by dpkg-shlibdeps from the libraries the programs link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME examora)
set(CPACK_PACKAGE_VENDOR "Examora")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timed, automatically marked engineering tests")
set(CPACK_PACKAGE_DESCRIPTION
    "Examora lets students sit timed, automatically marked tests in engineering courses, \
fetched from a web folder; examora-cli lets teachers write, check and encipher them.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# cage runs the exam session (with xwayland for the spreadsheet probe); without them the
# program works as ever in an ordinary desktop session.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, cage, xwayland, qt6-wayland")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# The maintainer script makes the record keeper's group.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
