# The Debian package, made by `cpack -G DEB` from the install rules (tools/package.sh).
# Its dependencies are computed, never listed by hand: the shared libraries the programs
# link (dpkg-shlibdeps), and the packages owning the files the program loads at run time
# that no linker sees: Qt's X11 platform plugin, Qt's Japanese translation and the
# Japanese font. The package must be made on each Debian release for that release.

# Name of the Debian package owning an installed file, or empty.
function(tolvarine_owning_package file out)
  set(${out} "" PARENT_SCOPE)
  if(NOT DPKG_QUERY OR NOT EXISTS "${file}")
    return()
  endif()
  get_filename_component(real "${file}" REALPATH)
  foreach(candidate "${file}" "${real}")
    execute_process(COMMAND ${DPKG_QUERY} -S "${candidate}" OUTPUT_VARIABLE owner RESULT_VARIABLE failed
                    ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT failed AND owner MATCHES "^([^:, ]+)")
      set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

find_program(DPKG_QUERY dpkg-query)
find_program(FC_MATCH fc-match)

# Where Qt itself looks at run time (QLibraryInfo), as its qmake reports it.
set(runtime_files)
if(TARGET Qt6::qmake)
  get_target_property(qmake Qt6::qmake IMPORTED_LOCATION)
  foreach(query QT_INSTALL_PLUGINS QT_INSTALL_TRANSLATIONS)
    execute_process(COMMAND ${qmake} -query ${query} OUTPUT_VARIABLE ${query} OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
  endforeach()
  list(APPEND runtime_files "${QT_INSTALL_PLUGINS}/platforms/libqxcb.so"
       "${QT_INSTALL_TRANSLATIONS}/qtbase_ja.qm")
endif()
# The Japanese font the program asks for first (widgets/Fonts.cpp).
if(FC_MATCH)
  execute_process(COMMAND ${FC_MATCH} IPAPGothic --format=%{file} OUTPUT_VARIABLE font ERROR_QUIET)
  list(APPEND runtime_files "${font}")
endif()

set(TOLVARINE_RUNTIME_PACKAGES)
foreach(file IN LISTS runtime_files)
  tolvarine_owning_package("${file}" owner)
  if(owner)
    list(APPEND TOLVARINE_RUNTIME_PACKAGES ${owner})
  elseif(DPKG_QUERY)
    message(WARNING "No Debian package owns ${file}; the package will not depend on it")
  endif()
endforeach()
list(REMOVE_DUPLICATES TOLVARINE_RUNTIME_PACKAGES)
# A package that also holds a library the program links is already named, with its
# version, by dpkg-shlibdeps.
foreach(library Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)
  get_target_property(location ${library} IMPORTED_LOCATION_NONE)
  if(NOT location)
    get_target_property(location ${library} IMPORTED_LOCATION)
  endif()
  tolvarine_owning_package("${location}" owner)
  if(owner)
    list(REMOVE_ITEM TOLVARINE_RUNTIME_PACKAGES ${owner})
  endif()
endforeach()
list(JOIN TOLVARINE_RUNTIME_PACKAGES ", " TOLVARINE_RUNTIME_DEPENDS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvarine)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tolvarine")
set(CPACK_PACKAGE_CONTACT "Tolvarine developers <tolvarine@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clinical photograph filing for dental clinics")
set(CPACK_PACKAGE_DESCRIPTION
    "Tolvarine files and shows the clinical photographs of a dental or orthodontic\n"
    "clinic. Type a patient number and it lists the patient's visits by date and\n"
    "shows the pictures of a visit as seven intraoral and five facial thumbnails.\n"
    "Pictures are dropped in from the file browser, shown enlarged, printed one\n"
    "visit to a sheet and kept as plain JPEG files in a folder tree; the user\n"
    "interface is Japanese.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The administrator's folder lies outside the prefix (/etc/tolvarine).
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TOLVARINE_RUNTIME_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Files as the packaging policy wants them: root-owned, no group write.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
include(CPack)
