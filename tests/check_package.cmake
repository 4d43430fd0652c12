# SPDX-License-Identifier: MIT
#
# Makes the Debian package from this build, unpacks it with dpkg-deb into a
# temporary folder (it is never installed) and checks what it holds: its
# files, the dependencies dpkg-shlibdeps found, its desktop entry, its manual
# page, and that the unpacked program answers --version.
# Run by CTest with -DCPACK=... -DBUILD_DIR=... -DWORK=... -DVERSION=...

function(check condition message)
    if(NOT ${condition})
        message(FATAL_ERROR "${message}")
    endif()
endfunction()

function(run output)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${status}):\n${out}${err}")
    endif()
    set(${output} "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
run(ignored ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK})
run(arch dpkg --print-architecture)
string(STRIP "${arch}" arch)
set(deb ${WORK}/pickwell_${VERSION}_${arch}.deb)
check("EXISTS;${deb}" "no package ${deb}")

run(ignored dpkg-deb -x ${deb} ${WORK}/root)
file(GLOB_RECURSE files RELATIVE ${WORK}/root ${WORK}/root/*)
list(SORT files)
set(expected
    usr/bin/pickwell
    usr/share/applications/pickwell.desktop
    usr/share/doc/pickwell/changelog.gz
    usr/share/doc/pickwell/copyright
    usr/share/icons/hicolor/48x48/apps/pickwell.png
    usr/share/man/man1/pickwell.1.gz)
check("files;STREQUAL;expected" "files in the package:\n${files}\nexpected:\n${expected}")

run(depends dpkg-deb -f ${deb} Depends)
check("depends;MATCHES;libqt6widgets6 .*libstdc\\+\\+6" "dependencies not found by dpkg-shlibdeps: ${depends}")
check("depends;MATCHES;libraw20" "LibRaw's library is not among the dependencies: ${depends}")
check("depends;MATCHES;libexif12" "libexif is not among the dependencies: ${depends}")
check("depends;MATCHES;libexiv2-27" "exiv2 is not among the dependencies: ${depends}")
check("depends;MATCHES;libxxhash0" "libxxhash is not among the dependencies: ${depends}")
check("depends;MATCHES;qt6-image-formats-plugins" "the TIFF and WebP plugins are not among the dependencies: ${depends}")

# lintian's errors, not its warnings, fail the check.
find_program(LINTIAN lintian)
if(LINTIAN)
    execute_process(COMMAND ${LINTIAN} --no-tag-display-limit ${deb} OUTPUT_VARIABLE lint ERROR_VARIABLE lint)
    string(REGEX MATCHALL "(^|\n)E: [^\n]*" errors "${lint}")
    if(errors)
        message(FATAL_ERROR "lintian reports errors:\n${lint}")
    endif()
else()
    message(STATUS "lintian not found: the package is not linted")
endif()

run(manual gzip -dc ${WORK}/root/usr/share/man/man1/pickwell.1.gz)
check("manual;MATCHES;\\\\-\\\\-dry\\\\-run" "the manual page lacks the options from --help")
check("manual;MATCHES;\\.SH MATCHING" "the manual page lacks its hand-written sections")

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    run(ignored ${DESKTOP_FILE_VALIDATE} ${WORK}/root/usr/share/applications/pickwell.desktop)
else()
    message(STATUS "desktop-file-validate not found: the desktop entry is not validated")
endif()

run(version ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
    ${WORK}/root/usr/bin/pickwell --version)
check("version;STREQUAL;pickwell ${VERSION}\n" "the unpacked program answered: ${version}")

file(REMOVE_RECURSE ${WORK})
