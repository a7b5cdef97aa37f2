# What the shipped installer says about itself (its version resource) and how
# it is signed. Included once from the top CMakeLists.txt.
include_guard(GLOBAL)

set(VORLANE_PRODUCT "Vorlane")
set(VORLANE_COMPANY "Vorlane Software Ltd.")
set(VORLANE_FILE_DESCRIPTION "Vorlane Online Installer")
set(VORLANE_COPYRIGHT "© ${VORLANE_COPYRIGHT_YEAR} Vorlane Software Ltd.")

# Authenticode signing after linking. A release build names the publisher's
# certificate and key; test and demo builds sign with the test certificate
# that standins/ makes, so the installer's own signature is tested too.
set(VORLANE_SIGN_CERT "" CACHE FILEPATH "PEM code-signing certificate (with its chain) for the installer")
set(VORLANE_SIGN_KEY "" CACHE FILEPATH "PEM private key of VORLANE_SIGN_CERT")
set(VORLANE_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signature (optional)")
option(VORLANE_SIGN_WITH_TEST_CERT "Sign with the test certificate made by standins/" OFF)

if(VORLANE_SIGN_WITH_TEST_CERT)
  set(VORLANE_SIGNING test)
elseif(VORLANE_SIGN_CERT OR VORLANE_SIGN_KEY)
  foreach(file VORLANE_SIGN_CERT VORLANE_SIGN_KEY)
    if(NOT EXISTS "${${file}}")
      message(FATAL_ERROR "${file} must name an existing file: \"${${file}}\"")
    endif()
  endforeach()
  set(VORLANE_SIGNING release)
else()
  set(VORLANE_SIGNING none)
  message(STATUS "The installer is built unsigned (set VORLANE_SIGN_CERT and VORLANE_SIGN_KEY to sign it)")
endif()

# Signs the executable of `target` in place after every link, keeping the
# unsigned bytes beside it as <name>.unsigned.exe.
function(vorlane_sign_after_link target)
  if(VORLANE_SIGNING STREQUAL none)
    return()
  endif()
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  if(VORLANE_SIGNING STREQUAL test)
    set(cert ${VORLANE_TEST_CERT_DIR}/test_cert.pem)
    set(key ${VORLANE_TEST_CERT_DIR}/test_key.pem)
    add_dependencies(${target} vorlane_standin_packages)
  else()
    set(cert ${VORLANE_SIGN_CERT})
    set(key ${VORLANE_SIGN_KEY})
  endif()
  set(timestamp)
  if(VORLANE_SIGN_TIMESTAMP_URL)
    set(timestamp -ts ${VORLANE_SIGN_TIMESTAMP_URL})
  endif()
  set(exe $<TARGET_FILE:${target}>)
  set(unsigned $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.unsigned.exe)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy ${exe} ${unsigned}
    COMMAND ${CMAKE_COMMAND} -E remove -f ${exe}.signing
    COMMAND ${OSSLSIGNCODE} sign -certs ${cert} -key ${key} -h sha256 -n ${VORLANE_FILE_DESCRIPTION}
            ${timestamp} -in ${unsigned} -out ${exe}.signing
    COMMAND ${CMAKE_COMMAND} -E rename ${exe}.signing ${exe}
    COMMENT "Signing ${target}"
    VERBATIM)
endfunction()

# A build to ship. Its configuration fails unless every web host is https://,
# the package signer is not the test certificate's and its key is pinned (and
# is not the test certificate's), the installer is not signed with the test
# certificate, no test-only relaxation of TLS checks is on and the partner's
# offer library is named (so the stand-in, with its test hooks, is never
# packed). A build signed with any certificate but the test one is a build to
# ship too, whether or not it says so. Checked at the end of the top
# CMakeLists.txt, once every setting is known.
option(VORLANE_RELEASE "A build to ship: refuses every setting of the tests" OFF)

function(vorlane_check_release_settings)
  set(signed_to_ship OFF)
  if(VORLANE_SIGNING STREQUAL release)
    file(READ ${VORLANE_SIGN_CERT} certificate)
    file(READ ${VORLANE_TEST_CERT_DIR}/test_cert.pem test_certificate)
    if(NOT certificate STREQUAL test_certificate)
      set(signed_to_ship ON)
    endif()
  endif()
  if(NOT VORLANE_RELEASE AND NOT signed_to_ship)
    return()
  endif()
  set(problems)
  foreach(host PRIMARY SPARE REPORT ANALYTICS SITE)
    if(NOT VORLANE_${host}_HOST MATCHES "^https://")
      list(APPEND problems "VORLANE_${host}_HOST is not an https:// host: ${VORLANE_${host}_HOST}")
    endif()
  endforeach()
  if(VORLANE_PACKAGE_SIGNER STREQUAL VORLANE_TEST_SIGNER)
    list(APPEND problems "VORLANE_PACKAGE_SIGNER is the test certificate's name")
  endif()
  if(NOT VORLANE_PACKAGE_SIGNER_KEYS)
    list(APPEND problems "no key of the package signer is pinned (VORLANE_PACKAGE_SIGNER_KEY_SHA256)")
  endif()
  foreach(test_key ${VORLANE_TEST_SIGNER_KEY_SHA256} ${VORLANE_OTHER_SIGNER_KEY_SHA256})
    if(test_key IN_LIST VORLANE_PACKAGE_SIGNER_KEYS)
      list(APPEND problems "VORLANE_PACKAGE_SIGNER_KEY_SHA256 pins a test certificate's key")
    endif()
  endforeach()
  if(VORLANE_SIGN_WITH_TEST_CERT)
    list(APPEND problems "VORLANE_SIGN_WITH_TEST_CERT is on")
  endif()
  if(VORLANE_TEST_TLS_RELAXED)
    list(APPEND problems "VORLANE_TEST_TLS_RELAXED is on")
  endif()
  if(NOT VORLANE_OFFER_LIBRARY)
    list(APPEND problems "no partner offer library is named (VORLANE_OFFER_LIBRARY)")
  endif()
  if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "A release build (VORLANE_RELEASE, or one signed with a certificate other "
                        "than the test one) cannot carry test settings:\n  ${text}")
  endif()
endfunction()
