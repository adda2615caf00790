# Installs the build into a fresh prefix and checks that the tree works:
# the program runs from it, the library, desktop entry and icon are in place.
# Run with -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
foreach(file bin/trelmlink bin/korlink-xfer bin/trelm-sim include/korlink.h
             share/applications/trelmlink.desktop share/icons/hicolor/scalable/apps/trelmlink.svg)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "${file} is not installed")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/bin/trelmlink --version OUTPUT_VARIABLE version RESULT_VARIABLE ran)
if(NOT ran EQUAL 0 OR NOT version MATCHES "^trelmlink ")
  message(FATAL_ERROR "the installed program does not run: ${ran} ${version}")
endif()
execute_process(COMMAND ${PREFIX}/bin/korlink-xfer --help OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE ran)
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "the installed korlink-xfer does not run: ${ran}")
endif()
file(READ ${PREFIX}/share/applications/trelmlink.desktop entry)
if(NOT entry MATCHES "\nExec=trelmlink %f\n" OR NOT entry MATCHES "\nIcon=trelmlink\n")
  message(FATAL_ERROR "the desktop entry does not pass the file: ${entry}")
endif()
# The program loads the library by name through its run path.
file(READ_ELF ${PREFIX}/bin/trelmlink RUNPATH runpath)
string(REPLACE "$ORIGIN" "${PREFIX}/bin" libdir "${runpath}")
if(NOT EXISTS "${libdir}/libkorlink.so")
  message(FATAL_ERROR "the program's run path '${runpath}' does not reach libkorlink.so")
endif()
file(REMOVE_RECURSE ${PREFIX})
