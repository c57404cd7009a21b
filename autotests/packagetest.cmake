# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later
#
# Installs the build into a scratch prefix, then configures, builds and runs a client that knows the
# library only through find_package(NimbStartMenu), and the same client built with the flags of the
# installed pkg-config file alone. Checks the files a packager ships beside the library: the
# logging-categories file, and the window manager tool's stand-in only when asked for. Last, checks
# that configuring for a prefix where the library would not find its data warns.

function(run_step what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed (${result}):\n${output}")
    endif()
    set(step_output "${output}" PARENT_SCOPE)
endfunction()

set(prefix "${WORK_DIR}/prefix")
set(client_build "${WORK_DIR}/client")
file(REMOVE_RECURSE "${WORK_DIR}")

run_step("installing the library" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
run_step("configuring the client" "${CMAKE_COMMAND}" -S "${CLIENT_SOURCE_DIR}" -B "${client_build}"
    -G "${CMAKE_GENERATOR}"
    "-DCMAKE_PREFIX_PATH=${prefix}"
    "-DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}"
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
run_step("building the client" "${CMAKE_COMMAND}" --build "${client_build}")
run_step("running the client" "${client_build}/packageclient")
if(NOT step_output MATCHES "package client: ok")
    message(FATAL_ERROR "unexpected client output:\n${step_output}")
endif()
message(STATUS "${step_output}")

# The pkg-config file, read with its prefix moved to the scratch one (a copy with the first line
# changed: pkg-config's --define-variable would move the prefix of Qt's files too).
find_program(PKG_CONFIG_EXECUTABLE NAMES pkg-config)
if(NOT PKG_CONFIG_EXECUTABLE)
    message(FATAL_ERROR "pkg-config is needed to check the installed pkg-config file")
endif()
file(GLOB_RECURSE pc_files "${prefix}/*/NimbStartMenu.pc")
list(LENGTH pc_files pc_count)
if(NOT pc_count EQUAL 1)
    message(FATAL_ERROR "expected one installed NimbStartMenu.pc, found: ${pc_files}")
endif()
file(READ "${pc_files}" pc_content)
string(REGEX REPLACE "(^|\n)prefix=[^\n]*" "\\1prefix=${prefix}" pc_content "${pc_content}")
set(pc_dir "${WORK_DIR}/pkgconfig")
file(WRITE "${pc_dir}/NimbStartMenu.pc" "${pc_content}")
function(pkg_config output_variable)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${pc_dir}"
        "${PKG_CONFIG_EXECUTABLE}" ${ARGN} NimbStartMenu
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "pkg-config ${ARGN} NimbStartMenu failed (${result}):\n${error}")
    endif()
    set(${output_variable} "${output}" PARENT_SCOPE)
endfunction()
file(STRINGS "${BUILD_DIR}/CMakeCache.txt" project_version REGEX "^CMAKE_PROJECT_VERSION:")
string(REGEX REPLACE "^[^=]*=" "" project_version "${project_version}")
pkg_config(pc_version --modversion)
if(NOT pc_version STREQUAL project_version)
    message(FATAL_ERROR "pkg-config gives version '${pc_version}', the build ${project_version}")
endif()
pkg_config(pc_includedir --variable=includedir)
pkg_config(pc_libdir --variable=libdir)
if(NOT EXISTS "${pc_includedir}/NimbStartMenu/nimbdesktopentry.h" OR NOT EXISTS "${pc_libdir}/libnimbstartmenu.so")
    message(FATAL_ERROR "the pkg-config file names ${pc_includedir} and ${pc_libdir}, which hold no headers or library")
endif()
pkg_config(pc_cflags --cflags)
pkg_config(pc_libs --libs)
separate_arguments(pc_cflags UNIX_COMMAND "${pc_cflags}")
separate_arguments(pc_libs UNIX_COMMAND "${pc_libs}")
# The sanitizer build hands its instrumentation to clients through the environment.
separate_arguments(env_cxxflags UNIX_COMMAND "$ENV{CXXFLAGS}")
separate_arguments(env_ldflags UNIX_COMMAND "$ENV{LDFLAGS}")
run_step("building the client with pkg-config's flags" "${CMAKE_CXX_COMPILER}" -std=c++17 -fPIC ${env_cxxflags} ${pc_cflags}
    "${CLIENT_SOURCE_DIR}/main.cpp" -o "${WORK_DIR}/pkgconfigclient" ${env_ldflags} ${pc_libs})
run_step("running the pkg-config client" "${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${pc_libdir}" "${WORK_DIR}/pkgconfigclient")
if(NOT step_output MATCHES "package client: ok")
    message(FATAL_ERROR "unexpected output of the pkg-config client:\n${step_output}")
endif()

# The category file kdebugsettings lists the library's logging category from.
set(categories_file "${prefix}/share/qlogging-categories5/nimbstartmenu.categories")
if(NOT EXISTS "${categories_file}")
    message(FATAL_ERROR "no logging-categories file at ${categories_file}")
endif()
file(STRINGS "${categories_file}" categories REGEX "^quorvex\\.nimb-start-menu ")
if(NOT categories)
    message(FATAL_ERROR "${categories_file} does not declare the category quorvex.nimb-start-menu")
endif()

# The stand-in for the window manager's tool is installed on request only.
file(STRINGS "${BUILD_DIR}/CMakeCache.txt" install_standin REGEX "^NIMBSTARTMENU_INSTALL_WMFUNC_STANDIN:")
if(install_standin MATCHES "=(ON|TRUE|YES|1)$")
    set(standin_expected TRUE)
else()
    set(standin_expected FALSE)
endif()
file(GLOB_RECURSE standin "${prefix}/*/nimb-wmfunc")
if(standin AND NOT standin_expected)
    message(FATAL_ERROR "nimb-wmfunc was installed (${standin}) without NIMBSTARTMENU_INSTALL_WMFUNC_STANDIN")
elseif(NOT standin AND standin_expected)
    message(FATAL_ERROR "NIMBSTARTMENU_INSTALL_WMFUNC_STANDIN is on, but nimb-wmfunc was not installed")
endif()

# Configured for a prefix whose data folder is not the one the library reads, the build says so;
# for /usr, however spelled, it says nothing.
get_filename_component(source_dir "${CLIENT_SOURCE_DIR}/../.." ABSOLUTE)
set(warning_text "but the library reads it from /usr/share/nimb-start-menu")
foreach(case "/usr/local:warns" "/opt/nimb:warns" "/usr:silent" "/usr/:silent")
    string(REPLACE ":" ";" case "${case}")
    list(GET case 0 case_prefix)
    list(GET case 1 expected)
    file(REMOVE_RECURSE "${WORK_DIR}/prefixcheck")
    run_step("configuring for ${case_prefix}" "${CMAKE_COMMAND}" -S "${source_dir}" -B "${WORK_DIR}/prefixcheck"
        -G "${CMAKE_GENERATOR}" "-DCMAKE_INSTALL_PREFIX=${case_prefix}" -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF)
    string(REGEX REPLACE "[ \n]+" " " step_output "${step_output}")
    string(FIND "${step_output}" "${warning_text}" found)
    if(expected STREQUAL "warns" AND found EQUAL -1)
        message(FATAL_ERROR "configured for ${case_prefix}, the build does not warn that the library will not find its data")
    elseif(expected STREQUAL "silent" AND NOT found EQUAL -1)
        message(FATAL_ERROR "configured for ${case_prefix}, the build warns about the data folder:\n${step_output}")
    endif()
endforeach()
