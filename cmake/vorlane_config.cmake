# The web hosts fixed at build time (vorlane_hosts, a generated header), and the
# product configuration: ConfigImp, its tables and the language codes (sources
# in app/).
#
# The hosts are a target of their own because the telemetry (report/) needs
# its endpoints' hosts and sits below app/; the configuration is a library of
# its own so that tests of the tables need not link the whole application.
# Included from report/ and app/; the first include defines everything.
include_guard(GLOBAL)

# Scheme and host with an optional port, no path: "https://host[:port]".
# The defaults are the shipped product's; test and demo builds pass loopback
# values (see the Makefile's build rule).
set(VORLANE_PRIMARY_HOST "https://cdn.vorlane.com" CACHE STRING
    "Primary package host (path /download/package/...)")
set(VORLANE_SPARE_HOST "https://dl.vorlane.net" CACHE STRING
    "Spare package host, independent of the primary one")
set(VORLANE_REPORT_HOST "https://collect.vorlane.com" CACHE STRING
    "Collection endpoint host (path /collection/biz/upload)")
set(VORLANE_ANALYTICS_HOST "https://www.google-analytics.com" CACHE STRING
    "Measurement Protocol host (path /mp/collect)")
set(VORLANE_SITE_HOST "https://www.vorlane.com" CACHE STRING
    "Web site host of the licence page (path /other/protocol.html)")

foreach(host_variable PRIMARY SPARE REPORT ANALYTICS SITE)
  set(host_value "${VORLANE_${host_variable}_HOST}")
  if(NOT host_value MATCHES "^https?://[A-Za-z0-9.-]+(:[0-9]+)?$")
    message(FATAL_ERROR "VORLANE_${host_variable}_HOST must be a scheme and a host with an "
                        "optional port, without a path: got \"${host_value}\"")
  endif()
endforeach()

set(VORLANE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vorlane_hosts.h.in
               ${VORLANE_GENERATED_DIR}/vorlane_hosts.h @ONLY)

add_library(vorlane_hosts INTERFACE)
target_include_directories(vorlane_hosts INTERFACE ${VORLANE_GENERATED_DIR})

add_library(vorlane_config STATIC
  ${CMAKE_SOURCE_DIR}/app/config_imp.cpp
  ${CMAKE_SOURCE_DIR}/app/site_tables.cpp
  ${CMAKE_SOURCE_DIR}/app/language_codes.cpp)
target_compile_options(vorlane_config PRIVATE ${VORLANE_WARNINGS})
target_link_libraries(vorlane_config PUBLIC vorlane_hosts vorlane_utility)
