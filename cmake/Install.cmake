# What `cmake --install` puts where. The program finds its files by where it runs from
# (src/app/ProgramFolders.h): the executable in <prefix>/bin, the files it ships in
# <prefix>/share/tolvarine; the administrator's files in /etc/tolvarine for the prefix
# /usr and in <prefix>/etc/tolvarine for any other. The layout under the prefix is
# therefore fixed, whatever GNUInstallDirs says.

# Executables to install into bin. A part that makes a program of its own adds the
# target's name to this list in the top-level CMakeLists.txt.
foreach(program IN LISTS TOLVARINE_INSTALLED_PROGRAMS)
  install(TARGETS ${program} RUNTIME DESTINATION bin)
endforeach()

# The program's own folder of an installed copy.
file(GLOB TOLVARINE_INSTALLED_HELP CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/resources/help/*.html ${CMAKE_SOURCE_DIR}/resources/help/*.png)
install(FILES ${CMAKE_SOURCE_DIR}/resources/nopic.jpg ${TOLVARINE_INSTALLED_HELP}
        DESTINATION share/tolvarine)

# The administrator's folder, made empty: "clinic.ini" and "PrintQHigh.txt" are the
# clinic's own files, never the package's. Decided at install time, since
# `cmake --install --prefix` may choose another prefix than the configured one.
install(CODE [[
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" OR CMAKE_INSTALL_PREFIX STREQUAL "/")
    set(tolvarine_etc "$ENV{DESTDIR}/etc/tolvarine")
  else()
    set(tolvarine_etc "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/etc/tolvarine")
  endif()
  message(STATUS "Installing: ${tolvarine_etc}")
  file(MAKE_DIRECTORY "${tolvarine_etc}")
]])

# The desktop's menu entry, its icons and the AppStream data.
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/tolvarine.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/io.github.tolvarine.Tolvarine.metainfo.xml
        DESTINATION share/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tolvarine-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tolvarine.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tolvarine.svg DESTINATION share/icons/hicolor/scalable/apps)

# Manual pages, compressed as Debian wants them (-n: no name or time, so the same
# page gives the same bytes).
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(manuals)
foreach(page man/tolvarine.1 man/ja/tolvarine.1 man/tolvarine-dicom.1 man/ja/tolvarine-dicom.1)
  set(out ${CMAKE_BINARY_DIR}/${page}.gz)
  get_filename_component(outdir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
                     COMMAND sh -c "${GZIP_EXECUTABLE} -9n -c \"$0\" > \"$1\"" ${CMAKE_SOURCE_DIR}/resources/${page} ${out}
                     DEPENDS ${CMAKE_SOURCE_DIR}/resources/${page}
                     VERBATIM)
  list(APPEND manuals ${out})
endforeach()
add_custom_target(tolvarine_manuals ALL DEPENDS ${manuals})
install(FILES ${CMAKE_BINARY_DIR}/man/tolvarine.1.gz ${CMAKE_BINARY_DIR}/man/tolvarine-dicom.1.gz
        DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/man/ja/tolvarine.1.gz ${CMAKE_BINARY_DIR}/man/ja/tolvarine-dicom.1.gz
        DESTINATION share/man/ja/man1)

# Documentation: the copyright notice, the changes and an example "clinic.ini".
set(TOLVARINE_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${TOLVARINE_CHANGELOG_GZ}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
                   COMMAND sh -c "${GZIP_EXECUTABLE} -9n -c \"$0\" > \"$1\"" ${CMAKE_SOURCE_DIR}/resources/doc/changelog ${TOLVARINE_CHANGELOG_GZ}
                   DEPENDS ${CMAKE_SOURCE_DIR}/resources/doc/changelog
                   VERBATIM)
add_custom_target(tolvarine_changelog ALL DEPENDS ${TOLVARINE_CHANGELOG_GZ})
install(FILES ${CMAKE_SOURCE_DIR}/resources/doc/copyright ${TOLVARINE_CHANGELOG_GZ} DESTINATION share/doc/tolvarine)
install(FILES ${CMAKE_SOURCE_DIR}/resources/doc/clinic.ini DESTINATION share/doc/tolvarine/examples)
