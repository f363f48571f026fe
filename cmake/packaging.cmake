# The Debian package (scripts/package): the install tree below
# /opt/fleetmon/quillmark, plus the entries Debian users look for under /usr,
# which only CPack's staging adds, so `cmake --install` never writes outside
# its prefix.

set(QM_PACKAGE_PREFIX /opt/fleetmon/quillmark)

# The binary package holding a library, and its version as "(>= major.minor)".
# dpkg-shlibdeps cannot see libraries bound with dlopen, so each is declared
# from the file CMake found; the fallback serves machines without dpkg.
function(qm_deb_dependency library_file fallback out_var)
  set(dependency "${fallback}")
  find_program(QM_DPKG_QUERY dpkg-query)
  if(QM_DPKG_QUERY AND EXISTS "${library_file}")
    get_filename_component(real "${library_file}" REALPATH)
    get_filename_component(name "${real}" NAME)
    # Packages register /lib or /usr/lib; a merged /usr makes both one.
    string(REGEX REPLACE "^/usr/" "/" wanted "${real}")
    execute_process(COMMAND ${QM_DPKG_QUERY} -S "*/${name}"
                    OUTPUT_VARIABLE lines ERROR_QUIET RESULT_VARIABLE rc)
    string(REPLACE "\n" ";" lines "${lines}")
    foreach(line IN LISTS lines)
      if(line MATCHES "^([^:, ]+)(:[^:]+)?: (.+)$")
        set(package "${CMAKE_MATCH_1}")
        string(REGEX REPLACE "^/usr/" "/" path "${CMAKE_MATCH_3}")
        if(path STREQUAL wanted)
          execute_process(COMMAND ${QM_DPKG_QUERY} -W "-f=\${source:Upstream-Version}" "${package}"
                          OUTPUT_VARIABLE version ERROR_QUIET)
          if(version MATCHES "^([0-9]+\\.[0-9]+)")
            set(dependency "${package} (>= ${CMAKE_MATCH_1})")
          else()
            set(dependency "${package}")
          endif()
          break()
        endif()
      endif()
    endforeach()
  endif()
  set(${out_var} "${dependency}" PARENT_SCOPE)
endfunction()

function(qm_compiler_runtime name out_var)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(${out_var} "${path}" PARENT_SCOPE)
endfunction()

qm_compiler_runtime(libc.so.6 QM_LIBC_FILE)
qm_compiler_runtime(libstdc++.so.6 QM_LIBSTDCXX_FILE)
qm_compiler_runtime(libgcc_s.so.1 QM_LIBGCC_FILE)
qm_deb_dependency("${QM_LIBZIP_FILE}" libzip4 QM_DEP_ZIP)
qm_deb_dependency("${OPENSSL_CRYPTO_LIBRARY}" libssl3 QM_DEP_CRYPTO)
qm_deb_dependency("${QM_LIBSTDCXX_FILE}" libstdc++6 QM_DEP_STDCXX)
qm_deb_dependency("${QM_LIBGCC_FILE}" libgcc-s1 QM_DEP_GCC)
qm_deb_dependency("${QM_LIBC_FILE}" libc6 QM_DEP_C)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Fleetmon")
set(CPACK_PACKAGE_CONTACT "Fleetmon Quillmark team <quillmark@fleetmon.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "BIOS maintenance for Linux desktop fleets")
# Lines as they go into the control file.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "The qmkrnl2 kernel updates the BIOS from .bup packages, backs up and\n"
       "restores the BIOS configuration and builds combined packages through\n"
       "board modules; quillmark is its command line front-end. The simulated\n"
       "board module qmxsim is included; it stays inactive on real machines.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${QM_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${QM_DEP_ZIP}, ${QM_DEP_CRYPTO}, ${QM_DEP_STDCXX}, ${QM_DEP_GCC}, ${QM_DEP_C}")

# The profile and the module load order are edited on site (AllowedGroup,
# further modules): an upgrade must not silently replace them.
set(QM_CONFFILES "${CMAKE_BINARY_DIR}/packaging/conffiles")
file(WRITE "${QM_CONFFILES}"
     "${QM_PACKAGE_PREFIX}/config/quillmark.conf\n${QM_PACKAGE_PREFIX}/bin/qmx_modules.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${QM_CONFFILES}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Run by CPack only, with DESTDIR set to its staging tree.
set(QM_USR_SCRIPT "${CMAKE_BINARY_DIR}/packaging/usr_entries.cmake")
file(CONFIGURE OUTPUT "${QM_USR_SCRIPT}" @ONLY CONTENT [=[
# The package's /usr entries, made in CPack's staging tree.
set(prefix "@QM_PACKAGE_PREFIX@")
set(docs "@PROJECT_SOURCE_DIR@/docs")
# CPack stages the Debian package through DESTDIR; anything else is no staging.
set(root "$ENV{DESTDIR}")
if(NOT root MATCHES "/_CPack_Packages/")
  message(FATAL_ERROR "usr_entries.cmake runs only in CPack's staging tree (DESTDIR='${root}')")
endif()
file(MAKE_DIRECTORY "${root}/usr/bin" "${root}/usr/share/man/man1" "${root}/usr/share/man/man8"
     "${root}/usr/share/bash-completion/completions")
file(CREATE_LINK "${prefix}/bin/quillmark" "${root}/usr/bin/quillmark" SYMBOLIC)
foreach(page man1/quillmark.1 man8/qmkrnl2.8)
  get_filename_component(name "${page}" NAME)
  # -n: no name or time stamp, so the same page gives the same bytes.
  execute_process(COMMAND gzip -9n -c "${docs}/${name}" OUTPUT_FILE "${root}/usr/share/man/${page}.gz"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${name} failed")
  endif()
endforeach()
file(COPY_FILE "${docs}/quillmark.bash-completion" "${root}/usr/share/bash-completion/completions/quillmark")
file(MAKE_DIRECTORY "${root}/usr/lib/systemd/system")
file(COPY_FILE "@PROJECT_SOURCE_DIR@/config/quillmark-boot-check.service"
     "${root}/usr/lib/systemd/system/quillmark-boot-check.service")
]=])
set(CPACK_INSTALL_SCRIPTS "${QM_USR_SCRIPT}")

include(CPack)
