# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later
#
# Installs the build into a scratch prefix, then configures, builds and runs a client that knows the
# library only through find_package(NimbStartMenu).

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
